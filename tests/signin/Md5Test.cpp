#include "signin/md5.h"

#include <gtest/gtest.h>

struct Md5Case {
    const char* text;
    const char* digest;
};

TEST(MD5Hex, Rfc1321Suite) {
    const Md5Case cases[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const Md5Case& c : cases)
        EXPECT_EQ(MD5Hex(QString::fromLatin1(c.text)), QLatin1String(c.digest)) << c.text;
}

TEST(MD5Hex, PaddingBoundaries) {
    // Digests of "a" repeated n times, as any RFC 1321 MD5 computes them.
    const std::pair<int, const char*> cases[] = {
        {55, "EF1772B6DFF9A122358552954AD0DF65"}, {56, "3B0C8AC703F828B04C6C197006D17218"},
        {63, "B06521F39153D618550606BE297466D5"}, {64, "014842D480B571495A4A0363793F7367"},
        {65, "C743A45E0D2E6A95CB859ADAE0248435"},
    };
    for (const auto& [n, digest] : cases)
        EXPECT_EQ(MD5Hex(QString(n, QLatin1Char('a'))), QLatin1String(digest)) << n;
}

TEST(MD5Hex, CyrillicIsDigestedAsItsCodePage1251Bytes) {
    // "Пароль" in code page 1251 is CF E0 F0 EE EB FC; its UTF-8 form has another digest.
    EXPECT_EQ(MD5Hex(QStringLiteral("Пароль")), QLatin1String("08F8E03BD59A7C67DC44028B3E073D5E"));
}

TEST(MD5Hex, NeverLowerCase) {
    for (const char* t : {"", "x", "hello world", "Zz"}) {
        const QString d = MD5Hex(QString::fromLatin1(t));
        EXPECT_EQ(d.size(), 32);
        EXPECT_EQ(d, d.toUpper());
    }
}
