// The schema refuses values SQL Server's column types would refuse: a date column holds
// dates in the one stored form, the audit log's row id an integer.
#include "ServerFixture.h"

using namespace embeddedtest;

namespace {

class TypeChecks : public ServerFixture {};

const QString NotADate =
    QStringLiteral("Ошибка преобразования даты или времени из символьной строки.");

} // namespace

TEST_F(TypeChecks, DateColumnsAndTheLogsRowIdRefuseOtherValues) {
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    const QString withNul =
        QStringLiteral("2024-04-05") + QChar(0) + QString(1000, QLatin1Char('x'));
    const struct {
        const char* name;
        QVariant value;
        QString error; // empty: any error
    } refused[] = {
        {"a text", QStringLiteral("not a date"), NotADate},
        {"an integer", 12345, NotADate},
        {"a real", 45387.5, NotADate},
        {"the client's form", QStringLiteral("31.02.2024"), NotADate},
        {"day 31 of February", QStringLiteral("2024-02-31"), NotADate},
        {"month 13", QStringLiteral("2024-13-01"), NotADate},
        {"hour 24", QStringLiteral("2024-04-05 24:00:00"), NotADate},
        {"ISO with T", QStringLiteral("2024-04-05T10:00:00"), NotADate},
        {"a date and more", QStringLiteral("2024-04-05 10:00:00 and more"), NotADate},
        {"1 KB with a NUL", withNul, QString()},
    };
    for (const auto& c : refused) {
        const QString error = errorOf([&] {
            work->execute(QStringLiteral("UPDATE mark_mag SET p36 = ? WHERE id_student = 12"),
                          {c.value});
        });
        EXPECT_FALSE(error.isEmpty()) << c.name;
        if (!c.error.isEmpty()) {
            EXPECT_EQ(error, c.error) << c.name;
        }
    }
    const QString logInsert =
        QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                       "VALUES('mark_mag', ?, 'd', 'ivanova', 'PC')");
    for (const QVariant& id : {QVariant(QStringLiteral("abc")), QVariant(1.5)})
        EXPECT_EQ(errorOf([&] { work->execute(logInsert, {id}); }),
                  QStringLiteral("Ошибка при преобразовании типа данных varchar к int."))
            << id.toString().toStdString();

    embedded::ServerAdmin admin(path);
    EXPECT_EQ(admin.exec(QStringLiteral("select count(*) from mark_mag where p36 is not null"))
                  .rows[0][0]
                  .toInt(),
              0);
    EXPECT_EQ(admin.exec(QStringLiteral("select count(*) from KEL_LOG")).rows[0][0].toInt(), 0);

    // The forms the client and the server write are kept as written.
    const struct {
        QVariant value;
        const char* stored;
    } kept[] = {
        {QDateTime(QDate(2024, 2, 29), QTime(0, 0)), "2024-02-29 00:00:00"},
        {QDateTime(QDate(2024, 4, 5), QTime(10, 30, 15, 250)), "2024-04-05 10:30:15.250"},
        {QDate(2024, 4, 5), "2024-04-05"},
        {QStringLiteral("2023-12-31 23:59:59"), "2023-12-31 23:59:59"},
    };
    for (const auto& c : kept) {
        EXPECT_RUNS(work->execute(
            QStringLiteral("UPDATE mark_mag SET p36 = ? WHERE id_student = 12"), {c.value}));
        const db::Result r = admin.exec(QStringLiteral(
            "select p36, typeof(p36), u_date, KEL_Update from mark_mag where id_student = 12"));
        EXPECT_EQ(r.rows[0][1].toString(), QStringLiteral("text")) << c.stored;
        EXPECT_EQ(admin
                      .exec(QStringLiteral("select p36 from mark_mag where id_student = 12 "
                                           "and p36 = ?"),
                            {QString::fromLatin1(c.stored)})
                      .rows.size(),
                  1u)
            << c.stored;
        EXPECT_EQ(r.rows[0][2].toDateTime(), now) << c.stored;
        EXPECT_EQ(r.rows[0][3].toDate(), now.date()) << c.stored;
    }
    EXPECT_RUNS(work->execute(logInsert, {QStringLiteral("12")}));
    EXPECT_EQ(admin.exec(QStringLiteral("select row_id, typeof(row_id) from KEL_LOG"))
                  .rows[0][1]
                  .toString(),
              QStringLiteral("integer"));
    // A deleted row keeps its dates in the copy, which checks them too.
    EXPECT_RUNS(work->execute(QStringLiteral("DELETE FROM mark_mag WHERE id_student = 12")));
    EXPECT_EQ(admin.exec(QStringLiteral("select p36, del_date from DEL_mark_mag"))
                  .rows.at(0)
                  .at(1)
                  .toDateTime(),
              now);
}
