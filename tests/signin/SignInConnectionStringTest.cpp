#include "signin/SignInConnectionString.h"

#include "db/ConnectionString.h"

#include <gtest/gtest.h>

using namespace signin;

TEST(ConnectionString, FillsTheTemplateVerbatim) {
    EXPECT_EQ(
        BuildConnectionString(QStringLiteral("sa"), QStringLiteral("p=w"), QStringLiteral("KEL"),
                              QStringLiteral("srv\\inst")),
        QStringLiteral("Provider=SQLOLEDB.1;Password=p=w;Persist Security Info=True;User ID=sa;"
                       "Initial Catalog=KEL;Data Source=srv\\inst;Use Procedure for Prepare=1;"
                       "Auto Translate=True;Packet Size=4096;Use Encryption for Data=False;"
                       "Tag with column collation when possible=False"));
}

// Whatever a password or login holds reaches the connection whole: a ';' no longer cuts it.
TEST(ConnectionString, ValuesAreReadBackWholeWhateverTheyHold) {
    const char* const values[] = {
        "secret", "pa;ss", ";",      "a;b;c;", "\"quoted\"", "'single'", "it's",
        "x\"y;z", " lead", "trail ", "=eq=",   "Пароль;1",   "",
    };
    for (const char* v : values) {
        SCOPED_TRACE(v);
        const QString value = QString::fromUtf8(v);
        const db::ConnectionString read(BuildConnectionString(value, value, QStringLiteral("KEL"),
                                                              QStringLiteral("10.0.0.5,1433")));
        EXPECT_EQ(read.password(), value);
        EXPECT_EQ(read.userId(), value);
        EXPECT_EQ(read.initialCatalog(), QStringLiteral("KEL"));
        EXPECT_EQ(read.dataSource(), QStringLiteral("10.0.0.5,1433"));
        EXPECT_EQ(read.value(QStringLiteral("Packet Size")), QStringLiteral("4096"));
        EXPECT_EQ(read.value(QStringLiteral("Provider")), QStringLiteral("SQLOLEDB.1"));
    }
}

TEST(ConnectionString, RemovesEveryOccurrenceOfTheLogin) {
    const struct {
        const char* message;
        const char* user;
        const char* expected;
    } cases[] = {
        {"Login failed for user 'kel'.", "kel", "Login failed for user ''."},
        {"kelkel kel", "kel", " "},
        {"aaaa", "aa", ""},
        {"aaa", "aa", "a"},
        {"Login failed for user 'KEL'.", "kel", "Login failed for user 'KEL'."},
        {"Server not found", "kel", "Server not found"},
        {"Server not found", "", "Server not found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveUserId(QString::fromUtf8(c.message), QString::fromUtf8(c.user)),
                  QString::fromUtf8(c.expected))
            << c.message;
}
