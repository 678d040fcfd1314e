// The KEL_CI collation, folding one character at a time so that a sort allocates nothing.
#include "embedded/NameCollation.h"

#include <QString>

#include <algorithm>
#include <cstring>

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

// Decodes one character of the Basic Multilingual Plane (no surrogate); 0 bytes when the
// text holds anything else there.
int decodeBmp(std::string_view s, size_t i, char16_t& out) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const auto continuation = [&](size_t k) { return k < s.size() && (byte(k) & 0xC0) == 0x80; };
    const unsigned lead = byte(i);
    if (lead < 0x80) {
        out = char16_t(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1)) {
        out = char16_t(((lead & 0x1F) << 6) | (byte(i + 1) & 0x3F));
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
        const unsigned c =
            ((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
        if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))
            return 0;
        out = char16_t(c);
        return 3;
    }
    return 0;
}

} // namespace

int compareNamesUtf8(std::string_view a, std::string_view b) {
    const auto whole = [&] {
        return compareWhole(QString::fromUtf8(a.data(), qsizetype(a.size())),
                            QString::fromUtf8(b.data(), qsizetype(b.size())));
    };
    // Names of one group share long beginnings: equal ASCII and two-byte (Cyrillic)
    // characters are passed over without decoding; anything else is read below.
    size_t i = 0;
    const size_t shorter = std::min(a.size(), b.size());
    while (i < shorter && a[i] == b[i]) {
        const auto lead = static_cast<unsigned char>(a[i]);
        if (lead < 0x80) {
            ++i;
        } else if (lead >= 0xC2 && lead <= 0xDF && i + 1 < shorter && a[i + 1] == b[i + 1] &&
                   (static_cast<unsigned char>(a[i + 1]) & 0xC0) == 0x80) {
            i += 2;
        } else {
            break;
        }
    }
    size_t j = i;
    while (i < a.size() && j < b.size()) {
        char16_t x = 0, y = 0;
        const int nx = decodeBmp(a, i, x), ny = decodeBmp(b, j, y);
        if (nx == 0 || ny == 0)
            return whole();
        if (x != y) {
            if (!foldsAlone(x) || !foldsAlone(y))
                return whole();
            const char16_t fx = fold(x), fy = fold(y);
            if (fx != fy)
                return fx < fy ? -1 : 1;
        }
        i += size_t(nx);
        j += size_t(ny);
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Characters of this plane only: the bytes order as their UTF-16 units do.
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return c != 0 ? (c < 0 ? -1 : 1) : sign(qsizetype(a.size()) - qsizetype(b.size()));
}

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
