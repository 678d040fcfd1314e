// The KEL_CI collation: case folded one character at a time must order as whole folded names do.
#include "ServerFixture.h"

#include "embedded/NameCollation.h"

using namespace embeddedtest;

namespace {

class NameCollation : public ServerFixture {};

int sign(int c) {
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

TEST_F(NameCollation, OrdersNamesWithoutCaseAndKeepsWrittenFormsApart) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"Петров", "Петров", 0},
        {"", "", 0},
        {"", "а", -1},
        {"иванов", "ИВАНОВ", 1},   // equal folded: capitals first, as written
        {"Ёлкин", "Елкин", -1},    // Ё folds to Е; as written Ё (U+0401) comes first
        {"ёлка", "Ежов", 1},       // л after ж once Ё is Е
        {"Егоров", "ёлкин", -1},   // г before л
        {"Ёж", "ежевика", -1},     // a folded prefix sorts first
        {"abc", "ABD", -1},        // ASCII folds too
        {"Ivanov", "ivanova", -1}, // shorter first
        {"Яков", "zeta", 1},       // Cyrillic after Latin
        {"Ωmega", "ωmega", -1},    // any alphabet folds
        {"İa", "ib", 1},           // İ lower-cases to two units: i and a combining dot
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", -1}, // a pair of surrogates folds as one
        {"\xF0\x90\x90\x80x", "\xF0\x90\x90\xA8y", -1},
        {"\xEF\xBD\x81", "\xF0\x90\x90\x80", 1}, // ａ (U+FF41) after U+10400 in UTF-16
        {"я\xEF\xBD\x81", "Я\xF0\x90\x90\x80", 1},
        {"Петров Иван", "Петров иван", -1}, // a shared beginning, then case alone differs
        {"Петров Ян", "Петров иван", 1},
        {"ab\xF0\x90\x90\x80", "ab\xF0\x90\x90\xA8", -1}, // surrogates after it
    };
    embedded::ServerAdmin admin(path);
    for (const auto& c : cases) {
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(sign(embedded::compareNames(a, b)), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(embedded::compareNames(b, a)), -c.order) << c.b << " vs " << c.a;
        EXPECT_EQ(sign(embedded::compareNamesUtf8(c.a, c.b)), c.order) << "UTF-8: " << c.a;
        EXPECT_EQ(sign(embedded::compareNamesUtf8(c.b, c.a)), -c.order) << "UTF-8: " << c.b;
        const db::Result r = admin.exec(
            QStringLiteral("SELECT CASE WHEN ? = ? COLLATE KEL_CI THEN 0 WHEN ? < ? COLLATE KEL_CI "
                           "THEN -1 ELSE 1 END"),
            {a, b, a, b});
        EXPECT_EQ(r.rows.at(0).at(0).toInt(), c.order) << "in SQL: " << c.a << " vs " << c.b;
    }
}
