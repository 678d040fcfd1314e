// The T-SQL text forms: date literals by DATEFORMAT and rewriting that never touches texts.
#include "db/DatabaseError.h"
#include "embedded/DateLiteral.h"
#include "embedded/TsqlRewrite.h"

#include <gtest/gtest.h>

using namespace embedded;

namespace {

QString rewrite(const char* sql, DateOrder order = DateOrder::dmy) {
    return rewriteTsql(QString::fromUtf8(sql), order,
                       {QStringLiteral("p36"), QStringLiteral("u_date")});
}

} // namespace

TEST(DateLiterals, ReadInTheSessionsOrder) {
    const struct {
        const char* text;
        DateOrder order;
        QDateTime expected;
    } cases[] = {
        {"05.04.2024", DateOrder::dmy, QDateTime(QDate(2024, 4, 5), QTime(0, 0))},
        {"05.04.2024", DateOrder::mdy, QDateTime(QDate(2024, 5, 4), QTime(0, 0))},
        {"5/4/24 13:30", DateOrder::dmy, QDateTime(QDate(2024, 4, 5), QTime(13, 30))},
        {"05-04-99", DateOrder::dmy, QDateTime(QDate(1999, 4, 5), QTime(0, 0))},
        {"2024-04-05 10:11:12.5", DateOrder::dmy,
         QDateTime(QDate(2024, 4, 5), QTime(10, 11, 12, 500))},
        {"2024.05.04", DateOrder::ydm, QDateTime(QDate(2024, 4, 5), QTime(0, 0))},
        {"20240405", DateOrder::mdy, QDateTime(QDate(2024, 4, 5), QTime(0, 0))},
        {"2024.04.05", DateOrder::dym, QDateTime(QDate(2024, 4, 5), QTime(0, 0))},
    };
    for (const auto& c : cases) {
        const DateLiteral d = readDateLiteral(QString::fromUtf8(c.text), c.order);
        EXPECT_TRUE(d.looksLikeDate) << c.text;
        EXPECT_EQ(d.value, c.expected) << c.text;
    }
    for (const char* invalid : {"31.02.2024", "12.13.2024", "05.04.2024 25:00"}) {
        const DateLiteral d = readDateLiteral(QString::fromUtf8(invalid), DateOrder::dmy);
        EXPECT_TRUE(d.looksLikeDate) << invalid;
        EXPECT_FALSE(d.value.isValid()) << invalid;
    }
    for (const char* notDate : {"21001", "н/д", "1.2", "05.04.2024x", ""})
        EXPECT_FALSE(readDateLiteral(QString::fromUtf8(notDate), DateOrder::dmy).looksLikeDate)
            << notDate;
}

TEST(Rewrite, ChangesOnlyWhatSqliteCannotReadAndNeverAText) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"select top 0 * from educ_sh", "select  * from educ_sh LIMIT 0"},
        {"Select top (1) g_r_y.* from g_r_y  where id_group=3",
         "Select  g_r_y.* from g_r_y  where id_group=3 LIMIT 1"},
        {"SELECT DISTINCT TOP 5 p36 FROM mark_mag ORDER BY p36;",
         "SELECT DISTINCT  p36 FROM mark_mag ORDER BY p36 LIMIT 5;"},
        {"select 'top 1', 'dbo.x' from dbo.s_g where x = N'dbo.y'",
         "select 'top 1', 'dbo.x' from s_g where x = 'dbo.y'"},
        {"GROUP BY dbo.s_g.id_student, [dbo].[s_g].s_fio", "GROUP BY s_g.id_student, [s_g].s_fio"},
        {"update mark_mag set p36 = '05.04.2024', p35 = '05.04.2024'",
         "update mark_mag set p36 = '2024-04-05 00:00:00', p35 = '05.04.2024'"},
        {"where m.u_date between '1.4.2024' and '30.04.2024 23:59' -- '1.1.2024'",
         "where m.u_date between '2024-04-01 00:00:00' and '2024-04-30 23:59:00' -- '1.1.2024'"},
        {"where '05.04.2024' <= [p36] and descr = '05.04.2024'",
         "where '2024-04-05 00:00:00' <= [p36] and descr = '05.04.2024'"},
        {"select 'it''s top 1' as [top]", "select 'it''s top 1' as [top]"},
        {"select top 2 * from t -- last two\n", "select  * from t LIMIT 2 -- last two\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewrite(c.in).toStdString(), std::string(c.out)) << c.in;

    for (const char* refused : {"select top 10 percent * from t", "select top (x) * from t",
                                "update mark_mag set p36 = '30.02.2024'"})
        EXPECT_THROW(rewrite(refused), db::DatabaseError) << refused;
}
