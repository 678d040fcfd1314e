// The KEL_CI collation, folding one character at a time so that a sort allocates nothing.
#include "embedded/NameCollation.h"

#include <QString>

#include <algorithm>

namespace embedded {
namespace {

// Surrogates and İ (lower case "i̇", two units) do not fold unit by unit.
bool foldsAlone(char16_t c) {
    return (c < 0xD800 || c > 0xDFFF) && c != 0x0130;
}

char16_t fold(char16_t c) {
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
    const auto lower = char16_t(QChar::toLower(char32_t(c)));
    return lower == 0x0451 ? char16_t(0x0435) : lower;
}

int sign(qsizetype n) {
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

int compareWhole(QStringView a, QStringView b) {
    auto folded = [](QStringView s) {
        QString f = s.toString().toLower();
        f.replace(QChar(0x0451), QChar(0x0435));
        return f;
    };
    const int c = folded(a).compare(folded(b));
    return c != 0 ? c : a.compare(b);
}

} // namespace

int compareNames(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y)
            continue;
        if (!foldsAlone(x) || !foldsAlone(y))
            return compareWhole(a, b);
        const char16_t fx = fold(x), fy = fold(y);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    if (a.size() != b.size())
        return sign(a.size() - b.size());
    return sign(a.compare(b));
}

} // namespace embedded
