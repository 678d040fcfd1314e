// A data set keeps its date-times as stored and places them in the local zone when they are
// read: what it shows must be what the driver's general conversion gives, odd values included.
#include "db/ColumnStore.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/Field.h"
#include "db/SqliteDriver.h"

#include "support/TempDir.h"
#include "support/ZoneScope.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <ctime>
#include <optional>

using namespace db;

namespace {

using testsupport::ZoneScope;

std::string shown(const QVariant& v) {
    return std::string(v.metaType().name() ? v.metaType().name() : "null") + " " +
           v.toString().toStdString() +
           (v.typeId() == QMetaType::QDateTime
                ? " spec " + std::to_string(int(v.toDateTime().timeSpec()))
                : "");
}

} // namespace

TEST(DataSetDateTimes, ReadAsTheDriversGeneralConversionReadsThem) {
    testsupport::TempDir dir;
    const QString path = dir.path(QStringLiteral("dates.sqlite"));
    SqliteDriver driver;
    driver.open(ConnectionString(QStringLiteral("Data Source=") + path));
    Connection conn;
    conn.setConnectionString(QStringLiteral("Data Source=") + path);

    const QVariant null;
    const struct {
        const char* name;
        const char* declared;
        QVariant stored;
        const char* zone; // nullptr: the zone the tests run in
    } cases[] = {
        {"null", "datetime", null, nullptr},
        {"canonical", "datetime", QStringLiteral("2024-03-05 14:30:07"), nullptr},
        {"milliseconds", "datetime", QStringLiteral("2024-03-05 14:30:07.123"), nullptr},
        {"date only", "datetime", QStringLiteral("2024-03-05"), nullptr},
        {"ISO T separator", "datetime", QStringLiteral("2024-03-05T14:30:07"), nullptr},
        {"first day of the range", "datetime", QStringLiteral("1753-01-01 00:00:00"), nullptr},
        {"last second of the range", "datetime", QStringLiteral("9999-12-31 23:59:59"), nullptr},
        {"one digit of milliseconds", "datetime", QStringLiteral("2024-03-05 14:30:07.5"), nullptr},
        {"spaces around", "datetime", QStringLiteral(" 2024-03-05 "), nullptr},
        {"day out of range", "datetime", QStringLiteral("2024-02-30 10:00:00"), nullptr},
        {"minute out of range", "datetime", QStringLiteral("2024-03-05 10:61:00"), nullptr},
        {"not a date", "datetime", QStringLiteral("вчера"), nullptr},
        {"a number", "datetime", 5, nullptr},
        {"date column", "date", QStringLiteral("2024-03-05 14:30:07"), nullptr},
        {"summer time", "datetime", QStringLiteral("2024-07-01 12:00:00"), "Europe/Berlin"},
        {"an hour the clock skips", "datetime", QStringLiteral("2024-03-31 02:30:00"),
         "Europe/Berlin"},
        {"an hour the clock repeats", "datetime", QStringLiteral("2024-10-27 02:30:00"),
         "Europe/Berlin"},
    };
    int i = 0;
    for (const auto& c : cases) {
        const QString table = QStringLiteral("t%1").arg(i++);
        driver.execute(QStringLiteral("create table %1 (id integer primary key, v %2)")
                           .arg(table, QLatin1String(c.declared)));
        // Two rows: the value, and a canonical one after it, so a column that turned into
        // variants for the first still reads the second right.
        driver.executeRaw(
            QStringLiteral("insert into %1 (v) values (?), ('2024-01-02 03:04:05')").arg(table),
            {c.stored});
        std::optional<ZoneScope> zone;
        if (c.zone)
            zone.emplace(c.zone);
        const Result general =
            driver.execute(QStringLiteral("select v from %1 order by id").arg(table));
        DataSet ds(DataSetKind::Query);
        ds.setConnection(&conn);
        ds.setSql(QStringLiteral("select v from %1 order by id").arg(table));
        ds.open();
        ASSERT_EQ(ds.recordCount(), 2) << c.name;
        for (int row = 0; row < 2; ++row) {
            ds.setRecNo(row + 1);
            const QVariant got = ds.fieldByName(QStringLiteral("v"))->value();
            const QVariant& expected = general.rows[size_t(row)][0];
            EXPECT_EQ(got.typeId(), expected.typeId()) << c.name << " row " << row;
            EXPECT_EQ(got, expected) << c.name << " row " << row << ": got " << shown(got)
                                     << ", the driver reads " << shown(expected);
            if (expected.typeId() == QMetaType::QDateTime) {
                EXPECT_EQ(got.toDateTime().timeSpec(), Qt::LocalTime) << c.name;
            }
        }
    }
}

// A date-time column keeps what is put into it: local values as stored, UTC or an offset as is.
TEST(DataSetDateTimes, AColumnKeepsTheZoneOfWhatIsPutIntoIt) {
    const QDateTime local(QDate(2024, 4, 5), QTime(13, 7, 9, 250));
    const QDateTime utc(QDate(2024, 4, 5), QTime(13, 7, 9), Qt::UTC);
    const QDateTime offset(QDate(2024, 4, 5), QTime(13, 7, 9), Qt::OffsetFromUTC, 3 * 3600);
    ColumnStore store;
    store.reset({QMetaType::QDateTime, QMetaType::Int}, 4);
    store.put(0, 0, QVariant(local), QMetaType::QDateTime);
    store.putDateTime(1, 0, LocalDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    store.set(2, 0, QVariant(local.addDays(1)));
    store.set(3, 0, QVariant());
    EXPECT_EQ(store.get(0, 0), QVariant(local));
    EXPECT_EQ(store.get(1, 0), QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))));
    EXPECT_EQ(store.get(2, 0), QVariant(local.addDays(1)));
    EXPECT_FALSE(store.get(3, 0).isValid());

    store.set(1, 0, QVariant(utc));
    store.set(2, 0, QVariant(offset));
    const QVariant gotUtc = store.get(1, 0);
    const QVariant gotOffset = store.get(2, 0);
    EXPECT_EQ(gotUtc.toDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(gotUtc, QVariant(utc));
    EXPECT_EQ(gotOffset.toDateTime().offsetFromUtc(), 3 * 3600);
    EXPECT_EQ(gotOffset, QVariant(offset));
    // The rows put before keep their values.
    EXPECT_EQ(store.get(0, 0), QVariant(local));
    EXPECT_FALSE(store.get(3, 0).isValid());
}
