#include "platform/Cp1251.h"
#include "platform/Cp1251Validator.h"
#include "support/KeyTyping.h"

#include <gtest/gtest.h>

#include <QLineEdit>

using namespace platform;

TEST(Cp1251, RoundTripsEveryDefinedByte) {
    // 0x98 is the one byte code page 1251 leaves undefined.
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98)
            all.append(static_cast<char>(b));
    const QString text = fromCp1251(all);
    EXPECT_EQ(text.size(), all.size());
    EXPECT_EQ(toCp1251(text), all);
}

TEST(Cp1251, CyrillicLettersAreSingleBytes) {
    EXPECT_EQ(toCp1251(QStringLiteral("Абв ёЁ№")), QByteArray("\xC0\xE1\xE2\x20\xB8\xA8\xB9"));
    EXPECT_EQ(fromCp1251(QByteArray("\xCF\xE0\xF0\xEE\xEB\xFC")), QStringLiteral("Пароль"));
}

TEST(Cp1251, TellsWhatDoesNotFit) {
    EXPECT_TRUE(fitsCp1251(QStringLiteral("Иванов И.И. 5 «отл» №3")));
    EXPECT_FALSE(fitsCp1251(QStringLiteral("日本")));
    EXPECT_FALSE(fitsCp1251(QStringLiteral("ok 😀")));
    EXPECT_EQ(firstNonCp1251(QStringLiteral("abcĀd")), QChar(0x0100));
    EXPECT_TRUE(firstNonCp1251(QStringLiteral("abc")).isNull());
}

TEST(Cp1251Validator, EditRefusesCharactersOutsideTheCodePage) {
    QLineEdit edit;
    restrictToCp1251(&edit);
    testsupport::typeText(&edit, QStringLiteral("Жук"));
    testsupport::typeText(&edit, QStringLiteral("Ā"));
    EXPECT_EQ(edit.text(), QStringLiteral("Жук"));

    // A paste of mixed text is refused whole rather than partly replaced.
    edit.clear();
    edit.insert(QStringLiteral("ab日c"));
    EXPECT_EQ(edit.text(), QString());
}
