// Text sizes count every character, and a NUL character is refused in text columns.
#include "ServerFixture.h"

using namespace embeddedtest;

namespace {

class TextLimits : public ServerFixture {};

QString withNul(int tail) {
    return QStringLiteral("a") + QChar(0) + QString(tail, QLatin1Char('b'));
}

} // namespace

TEST_F(TextLimits, ANulCharacterNeitherHidesTheRestNorIsStored) {
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    const QString logInsert =
        QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                       "VALUES('mark_mag', 1, ?, 'ivanova', 'PC')");
    const struct {
        const char* name;
        QString sql;
        std::vector<QVariant> binds;
    } cases[] = {
        {"bound p35", QStringLiteral("UPDATE mark_mag SET p35 = ?"), {withNul(10000)}},
        {"short bound p35", QStringLiteral("UPDATE mark_mag SET p35 = ?"), {withNul(3)}},
        {"p35 made with char(0)",
         QStringLiteral("UPDATE mark_mag SET p35 = 'a' || char(0) || printf('%.10000c', 'b')"),
         {}},
        {"bound descr", logInsert, {withNul(1000000)}},
        {"bound idid",
         QStringLiteral("UPDATE s_fio SET idid = ? WHERE id_student = 12"),
         {withNul(2)}},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(errorOf([&] { work->execute(c.sql, c.binds); }).isEmpty()) << c.name;

    embedded::ServerAdmin admin(path);
    EXPECT_EQ(admin.exec(QStringLiteral("select count(*) from mark_mag where p35 is not null"))
                  .rows[0][0]
                  .toInt(),
              0);
    EXPECT_EQ(admin.exec(QStringLiteral("select count(*) from KEL_LOG")).rows[0][0].toInt(), 0);
    EXPECT_EQ(admin.exec(QStringLiteral("select idid from s_fio where id_student = 12"))
                  .rows[0][0]
                  .toString(),
              QStringLiteral("21001"));

    // Texts up to the size, Cyrillic included, are kept whole.
    const QString fifty = QString(50, QChar(0x0416));
    EXPECT_RUNS(work->execute(QStringLiteral("UPDATE mark_mag SET p35 = ?"), {fifty}));
    EXPECT_RUNS(work->execute(logInsert, {QString(4000, QChar(0x0436))}));
    EXPECT_EQ(admin.exec(QStringLiteral("select min(p35) from mark_mag")).rows[0][0].toString(),
              fifty);
}
