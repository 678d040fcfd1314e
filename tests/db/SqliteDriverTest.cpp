#include "db/SqliteDriver.h"
#include "db/DatabaseError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDateTime>

using namespace db;

namespace {

class SqliteDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.open(ConnectionString(QStringLiteral("Data Source=") + dir.path("t.sqlite")));
        driver.execute(QStringLiteral(
            "create table m (id integer primary key autoincrement, n int, s varchar(5), "
            "w nchar(10), f float, d datetime, dd date, b bit, memo text)"));
    }
    testsupport::TempDir dir;
    SqliteDriver driver;
};

} // namespace

TEST_F(SqliteDriverTest, ValuesComeBackInTheirDeclaredTypes) {
    const QDateTime when(QDate(2024, 4, 5), QTime(13, 7, 9, 250));
    driver.execute(QStringLiteral("insert into m (n, s, w, f, d, dd, b, memo) "
                                  "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {7, QStringLiteral("абв"), QStringLiteral("оператор"), 2.5, when,
                    QDate(2024, 1, 31), true, QStringLiteral("long")});
    EXPECT_EQ(driver.lastInsertId().toInt(), 1);
    driver.execute(QStringLiteral("insert into m (n) values (null)"));

    const Result r = driver.execute(QStringLiteral("select * from m order by id"));
    ASSERT_EQ(r.columns.size(), 9u);
    const FieldType types[] = {FieldType::Integer,    FieldType::Integer, FieldType::String,
                               FieldType::WideString, FieldType::Float,   FieldType::DateTime,
                               FieldType::Date,       FieldType::Boolean, FieldType::Memo};
    for (size_t i = 0; i < 9; ++i)
        EXPECT_EQ(r.columns[i].type, types[i]) << r.columns[i].name.toStdString();
    EXPECT_EQ(r.columns[2].size, 5);
    EXPECT_EQ(r.columns[3].size, 10);

    ASSERT_EQ(r.rows.size(), 2u);
    const auto& row = r.rows[0];
    EXPECT_EQ(row[1].typeId(), QMetaType::Int);
    EXPECT_EQ(row[1].toInt(), 7);
    EXPECT_EQ(row[2].toString(), QStringLiteral("абв"));
    EXPECT_DOUBLE_EQ(row[4].toDouble(), 2.5);
    EXPECT_EQ(row[5].toDateTime(), when);
    EXPECT_EQ(row[6].toDate(), QDate(2024, 1, 31));
    EXPECT_EQ(row[7].typeId(), QMetaType::Bool);
    EXPECT_TRUE(row[7].toBool());
    for (size_t i = 1; i < 9; ++i)
        EXPECT_FALSE(r.rows[1][i].isValid()) << "column " << i << " should be null";

    // Stored in one canonical text form, so text comparisons and ordering work.
    const Result raw =
        driver.executeRaw(QStringLiteral("select cast(d as text) from m where id = 1"));
    EXPECT_EQ(raw.rows[0][0].toString(), QStringLiteral("2024-04-05 13:07:09.250"));
}

// Values are read straight from the statement; odd stored values come back as the general
// conversion gives them, never lost or cut.
TEST_F(SqliteDriverTest, OddStoredValuesReadAsTheirColumnTypeAllows) {
    const QVariant null;
    const struct {
        const char* name;
        const char* declared;
        QVariant stored;
        QVariant expected;
    } cases[] = {
        {"null date-time", "datetime", null, null},
        {"milliseconds", "datetime", QStringLiteral("2024-03-05 14:30:07.123"),
         QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7, 123))},
        {"date only", "datetime", QStringLiteral("2024-03-05"),
         QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"last second of the range", "datetime", QStringLiteral("9999-12-31 23:59:59"),
         QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))},
        {"day out of range stays text", "datetime", QStringLiteral("2024-02-30 10:00:00"),
         QStringLiteral("2024-02-30 10:00:00")},
        {"spaces around", "datetime", QStringLiteral(" 2024-03-05 "),
         QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"number in a date-time column", "datetime", 5, QVariant(qint64(5))},
        {"date column drops the time", "date", QStringLiteral("2024-03-05 14:30:07"),
         QDate(2024, 3, 5)},
        {"NUL inside a text", "varchar(10)", QString::fromUtf8("a\0b", 3),
         QString::fromUtf8("a\0b", 3)},
        {"Cyrillic text", "nvarchar(10)", QStringLiteral("ёлка"), QStringLiteral("ёлка")},
        {"small integer", "int", 7, QVariant(qint32(7))},
        {"large integer", "int", qint64(3000000000), QVariant(qint64(3000000000))},
        {"flag", "bit", 1, true},
        {"flag stored as text", "bit", QStringLiteral("true"), true},
        {"integer in a float column", "float", 2, 2.0},
        {"bytes in a text column", "text", QByteArray("xy"), QStringLiteral("xy")},
    };
    int i = 0;
    for (const auto& c : cases) {
        const QString table = QStringLiteral("o%1").arg(i++);
        driver.execute(QStringLiteral("create table %1 (v %2)").arg(table, c.declared));
        driver.execute(QStringLiteral("insert into %1 values (?)").arg(table), {c.stored});
        const Result r = driver.execute(QStringLiteral("select v from ") + table);
        ASSERT_EQ(r.rows.size(), 1u) << c.name;
        const QVariant got = r.rows[0][0];
        EXPECT_EQ(got.typeId(), c.expected.typeId()) << c.name;
        EXPECT_EQ(got, c.expected) << c.name << ": got " << got.toString().toStdString();
    }
}

// An expression's column takes the type of its first value that is not null, however late.
TEST_F(SqliteDriverTest, ExpressionColumnsTakeTheirFirstValuesType) {
    const Result r = driver.execute(
        QStringLiteral("select case when x < 3 then null else x * 1.5 end, x || '', x * 2, "
                       "cast(x as blob) from (select 1 as x union all select 2 union all "
                       "select 3 union all select 4) order by x"));
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(r.columns[0].type, FieldType::Float);
    EXPECT_EQ(r.columns[1].type, FieldType::String);
    EXPECT_EQ(r.columns[2].type, FieldType::Integer);
    // Bytes are not a number: the same rule as for a procedure's untyped column.
    EXPECT_EQ(r.columns[3].type, FieldType::String);
    EXPECT_FALSE(r.rows[0][0].isValid());
    EXPECT_DOUBLE_EQ(r.rows[2][0].toDouble(), 4.5);
    EXPECT_EQ(r.rows[3][1], QVariant(QStringLiteral("4")));
    const Result empty = driver.execute(QStringLiteral("select 1 + 1 where 0"));
    ASSERT_EQ(empty.columns.size(), 1u);
    EXPECT_EQ(empty.columns[0].type, FieldType::String);
    EXPECT_TRUE(empty.rows.empty());
}

TEST_F(SqliteDriverTest, StatementErrorsCarrySqliteText) {
    try {
        driver.execute(QStringLiteral("select nope from m"));
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("no such column: nope")))
            << e.message().toStdString();
    }
    EXPECT_EQ(driver.execute(QStringLiteral("update m set n = 1")).rowsAffected, 0);
}

// Named placeholders come only from typed text; Qt's driver and SQLite disagree on where such
// a name ends (or on text after a NUL), and its exec crashed on the disagreement.
TEST_F(SqliteDriverTest, NamedPlaceholdersInTypedTextAreRefused) {
    const struct {
        const char* name;
        QString sql;
        QString error;
    } cases[] = {
        // Refused for its NUL before its names are looked at.
        {"name past a NUL", QString::fromUtf8("SELECT :5s\x9a\0\0\0\xff LECT :5s\x9a R", 23),
         QStringLiteral("Текст запроса содержит символ с кодом 0")},
        {"name with a dollar", QStringLiteral("SELECT :a$, :z -- :q"),
         QStringLiteral("Incorrect syntax near ':a$'.")},
        {"numbered after a commented name", QStringLiteral("SELECT ?1, 1 -- :a :b"),
         QStringLiteral("Incorrect syntax near")},
        {"variable", QStringLiteral("SELECT @x"),
         QStringLiteral("Must declare the scalar variable \"@x\".")},
        {"tcl name", QStringLiteral("SELECT $x"), QStringLiteral("Incorrect syntax near '$x'.")},
        {"name after ours", QStringLiteral("SELECT ?, :a"),
         QStringLiteral("Incorrect syntax near ':a'.")},
    };
    for (const auto& c : cases) {
        try {
            driver.execute(c.sql);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const DatabaseError& e) {
            EXPECT_TRUE(e.message().startsWith(c.error))
                << c.name << ": " << e.message().toStdString();
        }
    }
    // Our own anonymous placeholders still bind, on the same connection.
    const Result r = driver.execute(QStringLiteral("select ? + 1, ?, '?:a'"), {41, 7});
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][0].toInt(), 42);
    EXPECT_EQ(r.rows[0][1].toInt(), 7);
    EXPECT_EQ(r.rows[0][2].toString(), QStringLiteral("?:a"));
}

// SQLite reads statement text up to the first NUL and Qt's driver reads past it; they then
// disagree on the placeholders (Qt's exec crashed) or SQLite runs a statement cut short.
TEST_F(SqliteDriverTest, StatementTextWithANulIsRefusedAndRunsNothing) {
    driver.execute(QStringLiteral("insert into m (n) values (1), (2)"));
    const QString refused = QStringLiteral("Текст запроса содержит символ с кодом 0; запрос не "
                                           "выполнен.");
    const struct {
        const char* name;
        QString sql;
        std::vector<QVariant> binds;
    } cases[] = {
        {"placeholders past a NUL (found by the rights fuzzer)",
         QString::fromUtf8(QByteArray::fromBase64(
             "U0VMRUNUPyBzXwAAAAAAAAAAAAAAACAAAP//RUxFQ1QgOl9fX19fX19fX19fX19fX1OBgYGBgUVMRUNf"
             "X19fX19fX19fX19fX19fX19NRUNUIDpfX19fX19fX19fX19fX19fVF9fX19fXwAA+V9n")),
         {}},
        {"a WHERE behind a NUL",
         QStringLiteral("delete from m ") + QChar(0) + QStringLiteral(" where n = 2"),
         {}},
        {"a NUL in a literal",
         QStringLiteral("update m set n = 'a") + QChar(0) + QStringLiteral("' where n = ?"),
         {1}},
        {"only a NUL", QString(QChar(0)), {}},
    };
    for (const auto& c : cases) {
        try {
            driver.execute(c.sql, c.binds);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.message(), refused) << c.name;
        }
    }
    const Result r = driver.execute(QStringLiteral("select group_concat(n) from m"));
    EXPECT_EQ(r.rows[0][0].toString(), QStringLiteral("1,2"));
    // A NUL in a bound value still reaches the database.
    const Result bound = driver.execute(QStringLiteral("select length(cast(? as blob))"),
                                        {QStringLiteral("a") + QChar(0) + QStringLiteral("b")});
    EXPECT_EQ(bound.rows[0][0].toInt(), 3);
}

TEST_F(SqliteDriverTest, TransactionsRollBack) {
    driver.beginTransaction();
    driver.execute(QStringLiteral("insert into m (n) values (1)"));
    driver.rollback();
    EXPECT_TRUE(driver.execute(QStringLiteral("select * from m")).rows.empty());
}

TEST_F(SqliteDriverTest, ProceduresAreUnknownToAPlainFile) {
    Parameters p;
    try {
        driver.callProcedure(QStringLiteral("SORT_MARK_MAG;1"), p);
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Could not find stored procedure 'SORT_MARK_MAG'."));
    }
}

TEST_F(SqliteDriverTest, LongStatementTimesOut) {
    const QString endless =
        QStringLiteral("with recursive c(x) as (select 1 union all select x + 1 from c) "
                       "select count(*) from c");
    try {
        driver.execute(endless, {}, 1);
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Query timeout expired"));
    }
    // The connection is still usable afterwards.
    EXPECT_EQ(driver.execute(QStringLiteral("select 1")).rows.size(), 1u);
}
