// The value texts of log_u: quoting, row-image values and change-message values.
#include "history/log_u.h"

#include "support/TempDir.h"

#include "db/Connection.h"
#include "db/DataSet.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

namespace {

TEST(QuoteSqlTest, WrapsWithoutDoublingInnerQuotes) {
    EXPECT_EQ(QuoteSQL(QStringLiteral("mark_mag")), QStringLiteral("'mark_mag'"));
    EXPECT_EQ(QuoteSQL(QStringLiteral("O'Neil")), QStringLiteral("'O'Neil'"));
    EXPECT_EQ(QuoteSQL(QString()), QStringLiteral("''"));
    EXPECT_EQ(QuoteSQLTwice(QStringLiteral("1234")), QStringLiteral("''1234''"));
    EXPECT_EQ(QuoteSQLTwice(QStringLiteral("a'b")), QStringLiteral("''a'b''"));
}

// One row of every kind of value, read back through a data set's fields.
class FieldTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        conn.setConnectionString(QStringLiteral("Data Source=") + dir.path("values.sqlite"));
        conn.execute(QStringLiteral(
            "CREATE TABLE v(id INTEGER PRIMARY KEY, f REAL, d DATE, dt DATETIME, midnight "
            "DATETIME, b BIT, w NVARCHAR(10), m TEXT, s VARCHAR(20), e VARCHAR(20), n INTEGER)"));
        conn.execute(
            QStringLiteral("INSERT INTO v VALUES(1, 2.5, '2024-04-05', '2024-04-05 14:30:15', "
                           "'2024-04-05 00:00:00', 1, 'O''Neil', 'x''y', 'д', '', NULL)"));
        ds.setConnection(&conn);
        ds.setSql(QStringLiteral("select * from v"));
        ds.setUpdateTable(QStringLiteral("v"), QStringLiteral("id"));
        ds.open();
    }

    const db::Field& f(const char* name) const {
        return *ds.fieldByName(QString::fromLatin1(name));
    }

    testsupport::TempDir dir;
    db::Connection conn;
    db::DataSet ds{db::DataSetKind::Query};
};

TEST_F(FieldTextTest, RowImageQuotesTextsNumbersWithFractionsAndDatesOnly) {
    const QString date = QLocale().toString(QDate(2024, 4, 5), QLocale::ShortFormat);
    ASSERT_FALSE(f("f").text().isEmpty());
    const struct {
        const char* field;
        QString image;
    } cases[] = {
        {"id", QStringLiteral("1")},
        {"f", QStringLiteral("''") + f("f").text() + QStringLiteral("''")},
        {"d", QStringLiteral("''") + date + QStringLiteral("''")},
        {"dt", QStringLiteral("''") + f("dt").text() + QStringLiteral("''")},
        {"midnight", QStringLiteral("''") + date + QStringLiteral("''")},
        {"b", QStringLiteral("True")},
        {"w", QStringLiteral("''O''Neil''")},
        {"m", QStringLiteral("''x''y''")},
        {"s", QStringLiteral("''д''")},
        {"e", QStringLiteral("NULL")},
        {"n", QStringLiteral("NULL")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldImageText(f(c.field)), c.image) << c.field;
    EXPECT_TRUE(f("dt").text().startsWith(date + QLatin1Char(' '))) << "time of day is shown";
}

TEST_F(FieldTextTest, ChangeTextShowsDatesWithoutTimeAndDoublesQuotesWithoutAddingAny) {
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("dt"))->setValue(QDateTime(QDate(2025, 1, 2), QTime(9, 0)));
    ds.fieldByName(QStringLiteral("w"))->setValue(QStringLiteral("a'b"));
    ds.fieldByName(QStringLiteral("n"))->setValue(7);
    ds.fieldByName(QStringLiteral("s"))->clear();
    const auto shortDate = [](int y, int m, int d) {
        return QLocale().toString(QDate(y, m, d), QLocale::ShortFormat);
    };
    const struct {
        const char* field;
        QString oldText, newText;
    } cases[] = {
        {"dt", shortDate(2024, 4, 5), shortDate(2025, 1, 2)},
        {"d", shortDate(2024, 4, 5), shortDate(2024, 4, 5)},
        {"w", QStringLiteral("O''Neil"), QStringLiteral("a''b")},
        {"n", QStringLiteral("NULL"), QStringLiteral("7")},
        {"s", QStringLiteral("д"), QStringLiteral("NULL")},
        {"e", QStringLiteral("NULL"), QStringLiteral("NULL")},
        {"b", QStringLiteral("True"), QStringLiteral("True")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FieldChangeText(f(c.field), true), c.oldText) << c.field;
        EXPECT_EQ(FieldChangeText(f(c.field), false), c.newText) << c.field;
    }
    ds.cancel();
}

} // namespace
