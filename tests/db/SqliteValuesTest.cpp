// Date-times read back from their stored text: the canonical forms, and the odd ones.
#include "db/SqliteValues.h"

#include <gtest/gtest.h>

#include <QDateTime>

TEST(SqliteValues, StoredDateTimeTextsReadAsTheirColumnType) {
    const QVariant null;
    const struct {
        const char* name;
        QVariant stored;
        db::FieldType type;
        QVariant expected;
    } cases[] = {
        {"null", null, db::FieldType::DateTime, null},
        {"null date", null, db::FieldType::Date, null},
        {"canonical", QStringLiteral("2024-03-05 14:30:07"), db::FieldType::DateTime,
         QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7))},
        {"milliseconds", QStringLiteral("2024-03-05 14:30:07.123"), db::FieldType::DateTime,
         QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7, 123))},
        {"date only", QStringLiteral("2024-03-05"), db::FieldType::DateTime,
         QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"ISO T separator", QStringLiteral("2024-03-05T14:30:07"), db::FieldType::DateTime,
         QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7))},
        {"one digit of milliseconds", QStringLiteral("2024-03-05 14:30:07.5"),
         db::FieldType::DateTime, QDateTime(QDate(2024, 3, 5), QTime(14, 30, 7, 500))},
        {"spaces around", QStringLiteral(" 2024-03-05 "), db::FieldType::DateTime,
         QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"date column drops the time", QStringLiteral("2024-03-05 14:30:07.123"),
         db::FieldType::Date, QDate(2024, 3, 5)},
        {"day out of range stays text", QStringLiteral("2024-02-30 10:00:00"),
         db::FieldType::DateTime, QStringLiteral("2024-02-30 10:00:00")},
        {"month out of range stays text", QStringLiteral("2024-13-01"), db::FieldType::Date,
         QStringLiteral("2024-13-01")},
        {"minute out of range stays text", QStringLiteral("2024-03-05 10:61:00"),
         db::FieldType::DateTime, QStringLiteral("2024-03-05 10:61:00")},
        {"not a date stays text", QStringLiteral("вчера"), db::FieldType::DateTime,
         QStringLiteral("вчера")},
    };
    for (const auto& c : cases) {
        const QVariant got = db::sqlite::fromStored(c.stored, c.type);
        EXPECT_EQ(got.typeId(), c.expected.typeId()) << c.name;
        EXPECT_EQ(got, c.expected) << c.name << ": got " << got.toString().toStdString();
    }
}
