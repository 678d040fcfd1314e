// The ODBC driver run for real through unixODBC against the SQLite ODBC driver.
#include "db/OdbcDriver.h"
#include "db/Connection.h"
#include "db/DatabaseError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

namespace {

using db::FieldType;

class OdbcDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.path(QStringLiteral("odbc.sqlite"));
        driver_.openOdbc(odbcString());
    }

    QString odbcString() const { return QStringLiteral("Driver=SQLite3;Database=") + path_; }

    // The message of the DatabaseError a statement raises, or a failure when it raises none.
    QString errorOf(const QString& sql) {
        try {
            driver_.execute(sql);
        } catch (const db::DatabaseError& e) {
            return e.message();
        }
        ADD_FAILURE() << "no error from " << sql.toStdString();
        return {};
    }

    testsupport::TempDir dir_;
    QString path_;
    db::OdbcDriver driver_;
};

TEST_F(OdbcDriverTest, BoundValuesComeBackTyped) {
    driver_.execute(
        QStringLiteral("CREATE TABLE marks (id INTEGER PRIMARY KEY, fio VARCHAR(40), score REAL, "
                       "taken DATETIME, born DATE, passed BIT, note VARCHAR(10), big BIGINT)"));
    const QDateTime taken(QDate(2024, 1, 15), QTime(10, 30, 45, 120));
    const QDate born(2003, 12, 31);
    const db::Result insert = driver_.execute(
        QStringLiteral("INSERT INTO marks (id, fio, score, taken, born, passed, note, big) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {QVariant::fromValue<qint32>(7), QStringLiteral("Иванов Пётр Ёжикович"), 4.5, taken, born,
         true, QVariant(), QVariant::fromValue<qint64>(5000000000LL)});
    EXPECT_EQ(insert.rowsAffected, 1);

    const db::Result r = driver_.execute(
        QStringLiteral("SELECT id, fio, score, taken, born, passed, note, big FROM marks"));
    ASSERT_TRUE(r.hasRows());
    ASSERT_EQ(r.columns.size(), 8u);
    const FieldType types[] = {FieldType::Integer,  FieldType::String, FieldType::Float,
                               FieldType::DateTime, FieldType::Date,   FieldType::Boolean,
                               FieldType::String,   FieldType::Integer};
    for (size_t i = 0; i < r.columns.size(); ++i)
        EXPECT_EQ(r.columns[i].type, types[i]) << r.columns[i].name.toStdString();
    EXPECT_EQ(r.columns[1].name, QStringLiteral("fio"));
    EXPECT_EQ(r.columns[1].size, 40);
    EXPECT_EQ(r.columns[6].size, 10);

    ASSERT_EQ(r.rows.size(), 1u);
    const auto& row = r.rows.front();
    EXPECT_EQ(row[0].metaType(), QMetaType::fromType<qint32>());
    EXPECT_EQ(row[0].toInt(), 7);
    EXPECT_EQ(row[1].toString(), QStringLiteral("Иванов Пётр Ёжикович"));
    EXPECT_EQ(row[2].metaType(), QMetaType::fromType<double>());
    EXPECT_DOUBLE_EQ(row[2].toDouble(), 4.5);
    EXPECT_EQ(row[3].metaType(), QMetaType::fromType<QDateTime>());
    EXPECT_EQ(row[3].toDateTime(), taken);
    EXPECT_EQ(row[4].metaType(), QMetaType::fromType<QDate>());
    EXPECT_EQ(row[4].toDate(), born);
    EXPECT_EQ(row[5].metaType(), QMetaType::fromType<bool>());
    EXPECT_TRUE(row[5].toBool());
    EXPECT_FALSE(row[6].isValid()) << "a null is an invalid QVariant";
    EXPECT_EQ(row[7].metaType(), QMetaType::fromType<qint64>());
    EXPECT_EQ(row[7].toLongLong(), 5000000000LL);
}

// Servers keep finer fractions than milliseconds (DATETIME ticks of 1/300 s); they are read
// to the nearest millisecond, carrying into the second.
TEST_F(OdbcDriverTest, FractionsOfASecondRoundToMilliseconds) {
    driver_.execute(QStringLiteral("CREATE TABLE ticks (id INTEGER, at DATETIME)"));
    driver_.execute(QStringLiteral("INSERT INTO ticks VALUES (1, '2024-01-15 10:30:45.00333'), "
                                   "(2, '2024-01-15 10:30:45.00667'), "
                                   "(3, '2024-01-15 10:30:45.9996')"));
    const db::Result r = driver_.execute(QStringLiteral("SELECT at FROM ticks ORDER BY id"));
    ASSERT_EQ(r.rows.size(), 3u);
    const QDate day(2024, 1, 15);
    EXPECT_EQ(r.rows[0][0].toDateTime(), QDateTime(day, QTime(10, 30, 45, 3)));
    EXPECT_EQ(r.rows[1][0].toDateTime(), QDateTime(day, QTime(10, 30, 45, 7)));
    EXPECT_EQ(r.rows[2][0].toDateTime(), QDateTime(day, QTime(10, 30, 46)));
}

TEST_F(OdbcDriverTest, TextInTheStatementAndLongTextsSurviveWhole) {
    const db::Result literal = driver_.execute(QStringLiteral("SELECT 'Журнал успеваемости'"));
    ASSERT_EQ(literal.rows.size(), 1u);
    EXPECT_EQ(literal.rows[0][0].toString(), QStringLiteral("Журнал успеваемости"));

    // Longer than one read of the driver, so it arrives in pieces.
    QString longText;
    for (int i = 0; i < 3000; ++i)
        longText += QStringLiteral("Щука%1 ").arg(i);
    driver_.execute(QStringLiteral("CREATE TABLE notes (body TEXT, empty VARCHAR(5))"));
    driver_.execute(QStringLiteral("INSERT INTO notes VALUES (?, ?)"), {longText, QString()});
    const db::Result r = driver_.execute(QStringLiteral("SELECT body, empty FROM notes"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][0].toString(), longText);
    EXPECT_TRUE(r.rows[0][1].isValid()) << "an empty text is not a null";
    EXPECT_EQ(r.rows[0][1].toString(), QString());
}

TEST_F(OdbcDriverTest, RowsAffectedCountsWhatChanged) {
    driver_.execute(QStringLiteral("CREATE TABLE t (id INTEGER, mark INTEGER)"));
    for (int id = 1; id <= 3; ++id)
        driver_.execute(QStringLiteral("INSERT INTO t VALUES (?, 0)"), {id});

    const db::Result update =
        driver_.execute(QStringLiteral("UPDATE t SET mark = ? WHERE id >= ?"), {5, 2});
    EXPECT_FALSE(update.hasRows());
    EXPECT_EQ(update.rowsAffected, 2);
    EXPECT_EQ(driver_.execute(QStringLiteral("UPDATE t SET mark = 1 WHERE id = 99")).rowsAffected,
              0);
    EXPECT_EQ(driver_.execute(QStringLiteral("DELETE FROM t WHERE mark = 5")).rowsAffected, 2);

    const db::Result left = driver_.execute(QStringLiteral("SELECT id, mark FROM t"));
    ASSERT_EQ(left.rows.size(), 1u);
    EXPECT_EQ(left.rows[0][0].toInt(), 1);
    EXPECT_EQ(left.rows[0][1].toInt(), 0);
}

TEST_F(OdbcDriverTest, ErrorsCarryTheDriversTextAndLeaveTheConnectionUsable) {
    EXPECT_TRUE(errorOf(QStringLiteral("SELEC 1"))
                    .contains(QStringLiteral("near \"SELEC\": syntax error")));
    EXPECT_TRUE(errorOf(QStringLiteral("SELECT * FROM missing"))
                    .contains(QStringLiteral("no such table: missing")));

    driver_.execute(QStringLiteral("CREATE TABLE u (id INTEGER PRIMARY KEY)"));
    driver_.execute(QStringLiteral("INSERT INTO u VALUES (1)"));
    const QString duplicate = errorOf(QStringLiteral("INSERT INTO u VALUES (1)"));
    EXPECT_TRUE(duplicate.contains(QStringLiteral("UNIQUE constraint failed")))
        << duplicate.toStdString();

    EXPECT_TRUE(driver_.isOpen());
    EXPECT_EQ(driver_.execute(QStringLiteral("SELECT COUNT(*) FROM u")).rows[0][0].toInt(), 1);
}

TEST_F(OdbcDriverTest, AStatementFollowsAFullyReadResult) {
    driver_.execute(QStringLiteral("CREATE TABLE g (id INTEGER, name VARCHAR(20))"));
    driver_.execute(QStringLiteral("INSERT INTO g VALUES (1, 'ИС-21'), (2, 'ИС-22')"));
    for (int round = 0; round < 3; ++round) {
        const db::Result rows =
            driver_.execute(QStringLiteral("SELECT id, name FROM g ORDER BY id"));
        ASSERT_EQ(rows.rows.size(), 2u);
        EXPECT_EQ(rows.rows[1][1].toString(), QStringLiteral("ИС-22"));
        EXPECT_EQ(driver_
                      .execute(QStringLiteral("UPDATE g SET name = ? WHERE id = ?"),
                               {QStringLiteral("ИС-22"), 2})
                      .rowsAffected,
                  1);
    }
}

TEST_F(OdbcDriverTest, ManyRowsInOneTransaction) {
    driver_.execute(QStringLiteral("CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(30))"));
    driver_.beginTransaction();
    for (int i = 1; i <= 20000; ++i)
        driver_.execute(QStringLiteral("INSERT INTO big VALUES (?, ?)"),
                        {i, QStringLiteral("Студент %1").arg(i)});
    driver_.commit();

    const db::Result r = driver_.execute(QStringLiteral("SELECT id, name FROM big ORDER BY id"));
    ASSERT_EQ(r.rows.size(), 20000u);
    EXPECT_EQ(r.rows.back()[0].toInt(), 20000);
    EXPECT_EQ(r.rows.back()[1].toString(), QStringLiteral("Студент 20000"));
}

TEST_F(OdbcDriverTest, RollbackDropsTheTransactionsChanges) {
    driver_.execute(QStringLiteral("CREATE TABLE t (id INTEGER)"));
    driver_.execute(QStringLiteral("INSERT INTO t VALUES (1)"));
    driver_.beginTransaction();
    driver_.execute(QStringLiteral("INSERT INTO t VALUES (2)"));
    driver_.execute(QStringLiteral("DELETE FROM t WHERE id = 1"));
    driver_.rollback();

    const db::Result r = driver_.execute(QStringLiteral("SELECT id FROM t"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][0].toInt(), 1);
}

TEST_F(OdbcDriverTest, LastInsertIdIsTheNewKey) {
    driver_.execute(
        QStringLiteral("CREATE TABLE s (id_student INTEGER PRIMARY KEY AUTOINCREMENT, fio TEXT)"));
    driver_.execute(QStringLiteral("INSERT INTO s (fio) VALUES (?)"), {QStringLiteral("Петров")});
    driver_.execute(QStringLiteral("INSERT INTO s (fio) VALUES (?)"), {QStringLiteral("Сидоров")});
    EXPECT_EQ(driver_.lastInsertId(), QVariant::fromValue<qint32>(2));
}

TEST_F(OdbcDriverTest, ClosedDriverRefusesStatementsAndReopens) {
    driver_.execute(QStringLiteral("CREATE TABLE t (id INTEGER)"));
    driver_.close();
    EXPECT_FALSE(driver_.isOpen());
    EXPECT_THROW(driver_.execute(QStringLiteral("SELECT 1")), db::DatabaseError);

    driver_.open(db::ConnectionString(odbcString()));
    EXPECT_TRUE(driver_.isOpen());
    EXPECT_EQ(driver_.execute(QStringLiteral("SELECT COUNT(*) FROM t")).rows[0][0].toInt(), 0);
}

TEST(OdbcDriverOpen, FailuresAreDatabaseErrorsWithTheDriversText) {
    db::OdbcDriver driver;
    try {
        driver.openOdbc(QStringLiteral("Driver=NoSuchOdbcDriver;Database=x"));
        ADD_FAILURE() << "an unknown ODBC driver opened";
    } catch (const db::DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NoSuchOdbcDriver")) ||
                    e.message().contains(QStringLiteral("not found")))
            << e.message().toStdString();
    }
    EXPECT_FALSE(driver.isOpen());

    // FreeTDS for real: nothing listens on port 1 of this machine.
    try {
        driver.open(db::ConnectionString(
            QStringLiteral("Password=p;User ID=u;Initial Catalog=KEL;Data Source=127.0.0.1,1")));
        ADD_FAILURE() << "a server answered on port 1";
    } catch (const db::DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Unable to connect")))
            << e.message().toStdString();
        EXPECT_FALSE(e.message().contains(QLatin1Char('['))) << "driver prefixes stay out";
        EXPECT_TRUE(e.sqlState().startsWith(QStringLiteral("08"))) << e.sqlState().toStdString();
    }
    EXPECT_FALSE(driver.isOpen());
}

TEST(OdbcDriverChoice, ConnectionsReachAnythingButAnEmbeddedFileThroughOdbc) {
    testsupport::TempDir dir;
    db::Connection odbc;
    odbc.setConnectionString(QStringLiteral("Driver=SQLite3;Database=") +
                             dir.path(QStringLiteral("via-odbc.sqlite")));
    odbc.execute(QStringLiteral("CREATE TABLE t (name VARCHAR(20))"));
    EXPECT_NE(dynamic_cast<db::OdbcDriver*>(&odbc.driver()), nullptr);
    EXPECT_EQ(odbc.execute(QStringLiteral("INSERT INTO t VALUES (?)"), {QStringLiteral("Ия")}), 1);
    EXPECT_EQ(odbc.query(QStringLiteral("SELECT name FROM t")).rows.at(0).at(0).toString(),
              QStringLiteral("Ия"));

    db::Connection embedded;
    embedded.setConnectionString(QStringLiteral("Data Source=") +
                                 dir.path(QStringLiteral("embedded.sqlite")));
    embedded.open();
    EXPECT_EQ(dynamic_cast<db::OdbcDriver*>(&embedded.driver()), nullptr);

    db::Connection server;
    server.setConnectionString(
        QStringLiteral("Provider=SQLOLEDB.1;Password=p;User ID=u;Data Source=127.0.0.1,1"));
    EXPECT_THROW(server.open(), db::DatabaseError);
    EXPECT_FALSE(server.connected());
}

} // namespace
