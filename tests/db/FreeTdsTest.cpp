// The SQL Server connection and call strings, checked as text (no SQL Server runs here).
#include "db/FreeTds.h"
#include "db/OdbcDriver.h"

#include <gtest/gtest.h>

namespace {

struct FreeTdsCase {
    const char* title;
    const char* settings;
    const char* expected;
};

class FreeTdsString : public ::testing::TestWithParam<FreeTdsCase> {};

TEST_P(FreeTdsString, TranslatesTheClientSettings) {
    const FreeTdsCase& c = GetParam();
    EXPECT_EQ(db::freeTdsConnectionString(db::ConnectionString(QString::fromUtf8(c.settings))),
              QString::fromUtf8(c.expected))
        << c.title;
}

// The first case is the client's own template; the rest vary one value each.
INSTANTIATE_TEST_SUITE_P(
    Cases, FreeTdsString,
    ::testing::Values(
        FreeTdsCase{"the client's template",
                    "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User "
                    "ID=teacher;Initial Catalog=KEL;Data Source=SRV01;Use Procedure for "
                    "Prepare=1;Auto Translate=True;Packet Size=4096;Use Encryption for "
                    "Data=False;Tag with column collation when possible=False",
                    "DRIVER={FreeTDS};Server=SRV01;Database=KEL;UID=teacher;PWD=secret;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"named instance",
                    "Password=p;User ID=u;Initial Catalog=KEL;Data Source=SRV01\\SQLEXPRESS",
                    "DRIVER={FreeTDS};Server=SRV01\\SQLEXPRESS;Database=KEL;UID=u;PWD=p;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"host and port", "Password=p;User ID=u;Data Source=10.0.0.5,1500",
                    "DRIVER={FreeTDS};Server=10.0.0.5;Port=1500;UID=u;PWD=p;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"tcp prefix, spaces round the port",
                    "Password=p;User ID=u;Data Source=tcp:db.example.org , 1433",
                    "DRIVER={FreeTDS};Server=db.example.org;Port=1433;UID=u;PWD=p;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"local machine with instance",
                    "Password=p;User ID=u;Data Source=(local)\\SQLEXPRESS",
                    "DRIVER={FreeTDS};Server=localhost\\SQLEXPRESS;UID=u;PWD=p;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"dot for the local machine", "Password=p;User ID=u;Data Source=.",
                    "DRIVER={FreeTDS};Server=localhost;UID=u;PWD=p;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"password with braces and marks goes as it is",
                    "Password=p{a}ss@1!;User ID=u;Data Source=SRV",
                    "DRIVER={FreeTDS};Server=SRV;UID=u;PWD=p{a}ss@1!;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"Cyrillic values pass as they are",
                    "Password=пароль;User ID=преподаватель;Initial Catalog=Журнал;"
                    "Data Source=SRV",
                    "DRIVER={FreeTDS};Server=SRV;Database=Журнал;UID=преподаватель;"
                    "PWD=пароль;APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"},
        FreeTdsCase{"empty login and password are still sent", "Data Source=SRV",
                    "DRIVER={FreeTDS};Server=SRV;UID=;PWD=;"
                    "APP=KEL 14;TDS_Version=7.4;ClientCharset=UTF-8"}));

// FreeTDS 1.3 does not undo a doubled '}', so none is ever doubled; what it reads back is
// checked on the login packet in tests/tds.
TEST(OdbcAttributeValue, BracesOnlyWhatFreeTdsWouldMisread) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QStringLiteral("a}b{c"), QStringLiteral("a}b{c")},
        {QStringLiteral("}"), QStringLiteral("}")},
        {QStringLiteral("a=b"), QStringLiteral("a=b")},
        {QStringLiteral("{lead"), QStringLiteral("{{lead}")},
        {QStringLiteral("{a}b"), QStringLiteral("{{a}b}")},
        {QStringLiteral(" lead"), QStringLiteral("{ lead}")},
        {QStringLiteral("trail "), QStringLiteral("{trail }")},
        {QStringLiteral("a;b"), QStringLiteral("{a;b}")},
        {QStringLiteral("back\\slash"), QStringLiteral("back\\slash")},
        {QString(), QString()},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(db::odbcAttributeValue(value), expected) << value.toStdString();
}

db::Parameter param(const char* name,
                    db::ParameterDirection direction = db::ParameterDirection::Input) {
    db::Parameter p;
    p.name = QString::fromLatin1(name);
    p.direction = direction;
    return p;
}

TEST(OdbcCallEscape, ReturnValueFirstAndGroupNumberDropped) {
    using D = db::ParameterDirection;
    std::vector<db::Parameter> journal;
    journal.push_back(param("@RETURN_VALUE", D::ReturnValue));
    for (const char* name :
         {"@group", "@semester", "@discipline", "@examination", "@id_teacher", "@DoNotShow"})
        journal.push_back(param(name));
    EXPECT_EQ(db::odbcCallEscape(QStringLiteral("SORT_MARK_MAG;1"), journal),
              QStringLiteral("{? = call SORT_MARK_MAG(?,?,?,?,?,?)}"));

    std::vector<db::Parameter> plain;
    plain.push_back(param("@login"));
    plain.push_back(param("@result", D::Output));
    EXPECT_EQ(db::odbcCallEscape(QStringLiteral("GET_USER"), plain),
              QStringLiteral("{call GET_USER(?,?)}"));

    std::vector<db::Parameter> onlyReturn;
    onlyReturn.push_back(param("@RETURN_VALUE", D::ReturnValue));
    EXPECT_EQ(db::odbcCallEscape(QStringLiteral("dbo.Refresh;2"), onlyReturn),
              QStringLiteral("{? = call dbo.Refresh}"));
    EXPECT_EQ(db::odbcCallEscape(QStringLiteral("Refresh"), {}), QStringLiteral("{call Refresh}"));
}

} // namespace
