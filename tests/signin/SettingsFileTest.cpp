#include "signin/SettingsFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace signin;

namespace {

// An 84-byte image with raw field bytes and length bytes as given.
QByteArray image(const QByteArray& user, int userLen, const QByteArray& password, int passLen,
                 const QByteArray& source, int sourceLen, const QByteArray& catalog,
                 int catalogLen) {
    QByteArray b(84, '\x7A');
    b.replace(0, user.size(), user);
    b.replace(20, password.size(), password);
    b[40] = static_cast<char>(userLen);
    b[41] = static_cast<char>(passLen);
    b.replace(42, source.size(), source);
    b.replace(62, catalog.size(), catalog);
    b[82] = static_cast<char>(sourceLen);
    b[83] = static_cast<char>(catalogLen);
    return b;
}

} // namespace

TEST(DecodeSettingText, ShiftsEachByteUpByOne) {
    EXPECT_EQ(DecodeSettingText(QByteArray("\x4D\x6E\x6C")), QStringLiteral("Nom"));
    EXPECT_EQ(DecodeSettingText(QByteArray(1, '\xFF')), QString(QChar(0)));
    EXPECT_EQ(DecodeSettingText(QByteArray()), QString());
    // Code page 1251 letters: 0xCE + 1 = 0xCF, "П".
    EXPECT_EQ(DecodeSettingText(QByteArray("\xCE")), QStringLiteral("П"));
    EXPECT_EQ(EncodeSettingText(QStringLiteral("Пароль;x")).size(), 8);
    EXPECT_EQ(DecodeSettingText(EncodeSettingText(QStringLiteral("Пароль;x"))),
              QStringLiteral("Пароль;x"));
}

TEST(SettingsFile, LengthBytesChooseWhatCounts) {
    // Lengths 3, 0, 25 (whole field) and 20; bytes after each length are ignored.
    const QByteArray b =
        image("\x4D\x6E\x6C"
              "zzzz",
              3, "secret", 0, QByteArray(20, '\x60'), 25, "cbaaaaaaaaaaaaaaaaa\x60", 20);
    const TFirstConnectInfo info = decodeSettings(b);
    EXPECT_EQ(info.UserID, QStringLiteral("Nom"));
    EXPECT_EQ(info.Password, QString());
    EXPECT_EQ(info.DataSource, QString(20, QLatin1Char('a')));
    EXPECT_EQ(info.InitialCatalog, QStringLiteral("dcbbbbbbbbbbbbbbbbba"));
}

TEST(SettingsFile, ReadsTheFirst84BytesOfALongerFile) {
    testsupport::TempDir dir;
    const TFirstConnectInfo written{QStringLiteral("kel_check"), QStringLiteral("пароль"),
                                    QStringLiteral("KEL"), QStringLiteral("db.sqlite")};
    const QString path = dir.write("KEL", encodeSettings(written) + QByteArray(16, '\x01'));
    const TFirstConnectInfo read = readSettingsFile(path);
    EXPECT_EQ(read.UserID, written.UserID);
    EXPECT_EQ(read.Password, written.Password);
    EXPECT_EQ(read.InitialCatalog, written.InitialCatalog);
    EXPECT_EQ(read.DataSource, written.DataSource);
}

namespace {

std::string failure(const QString& path) {
    try {
        readSettingsFile(path);
    } catch (const InOutError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(SettingsFile, FailuresCarryTheTextsTheUserSees) {
    testsupport::TempDir dir;
    EXPECT_EQ(failure(dir.path("missing")), "File not found");
    EXPECT_EQ(failure(dir.write("short", QByteArray(83, 'x'))), "Read beyond end of file");
    EXPECT_EQ(failure(dir.write("empty", QByteArray())), "Read beyond end of file");
    EXPECT_EQ(failure(dir.path("no/such/folder/KEL")), "File not found");

    // A file the user may read but not write is fine: it is opened for reading only.
    const QString readOnly = dir.write("readonly", QByteArray(84, '\0'));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser);
    EXPECT_EQ(failure(readOnly), "no error");
}

TEST(SettingsFile, UnreadableFileIsAccessDenied) {
    testsupport::TempDir dir;
    // A file nobody may read; root reads everything, so only an ordinary user can check it.
    const QString unreadable = dir.write("unreadable", QByteArray(84, '\0'));
    QFile::setPermissions(unreadable, QFile::WriteOwner);
    if (QFile(unreadable).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running as a user who reads any file";
    EXPECT_EQ(failure(unreadable), "File access denied");
}

TEST(SettingsFile, EncodeRefusesValuesLongerThanTheField) {
    EXPECT_THROW(encodeSettings({QString(21, QLatin1Char('x')), {}, {}, {}}),
                 std::invalid_argument);
    EXPECT_NO_THROW(encodeSettings({QString(20, QChar(0x044F)), {}, {}, {}}));
}
