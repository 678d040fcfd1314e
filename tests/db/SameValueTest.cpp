// "The same value" as the write-back, the update-history recorder and the lookup selectors
// decide it, on the pairs a plain comparison gets wrong.
#include "db/ValueCompare.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

QVariant nullOf(QMetaType::Type type) {
    return QVariant(QMetaType(type));
}

TEST(SameValue, DecidesWhatCountsAsAChange) {
    const QDate day(2024, 4, 5);
    const struct {
        const char* name;
        QVariant a, b;
        bool same;
    } cases[] = {
        {"null and empty text differ", QVariant(), QStringLiteral(""), false},
        {"a typed null and an empty text differ", nullOf(QMetaType::QString), QStringLiteral(""),
         false},
        {"null and zero differ", QVariant(), 0, false},
        {"nulls of any type are the same", QVariant(), nullOf(QMetaType::Int), true},
        {"int and double of one value", 5, 5.0, true},
        {"int and int64 of one value", 5, qint64(5), true},
        {"int64 beyond a double's precision", qint64(9007199254740993LL),
         qint64(9007199254740992LL), false},
        {"a fraction is not rounded to a whole key", 5.5, 6, false},
        {"true and one", true, 1, true},
        {"false and zero", false, 0, true},
        {"a number read as text", QStringLiteral("5"), 5, true},
        {"trailing spaces count", QStringLiteral("Иванов"), QStringLiteral("Иванов "), false},
        {"case counts", QStringLiteral("отлично"), QStringLiteral("Отлично"), false},
        {"date-times a fraction apart", QDateTime(day, QTime(10, 0)),
         QDateTime(day, QTime(10, 0, 0, 500)), false},
        {"a server's date-time ticks and a typed whole second", QDateTime(day, QTime(10, 0)),
         QDateTime(day, QTime(10, 0, 0, 3)), false},
        {"one date", day, day, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::sameValue(c.a, c.b), c.same) << c.name;
        EXPECT_EQ(db::sameValue(c.b, c.a), c.same) << c.name << " (swapped)";
    }
}

} // namespace
