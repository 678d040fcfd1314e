// The connection settings file: 84 bytes beside the executable, four shifted texts.
#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace signin {

// A failure to read the settings file, with the text the user sees.
class InOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The four values of one sign-in attempt, decoded.
struct TFirstConnectInfo {
    QString UserID;
    QString Password;
    QString InitialCatalog;
    QString DataSource;
};

constexpr int SettingsFileSize = 84;
constexpr int SettingsFieldWidth = 20;

// Each byte becomes the code page 1251 character whose code is the byte plus one, modulo 256.
QString DecodeSettingText(const QByteArray& bytes);
// The reverse: each character's code page 1251 code minus one, modulo 256.
QByteArray EncodeSettingText(const QString& text);

// "Data/KEL" under the folder of the running executable.
QString settingsFilePath();

// Reads the first 84 bytes of the file; throws InOutError with "File not found",
// "File access denied", "Read beyond end of file" or "I/O error <n>".
TFirstConnectInfo readSettingsFile(const QString& path);
// Decodes an 84-byte (or longer) image of the file.
TFirstConnectInfo decodeSettings(const QByteArray& image);
// The 84-byte image of four values; each must fit 20 bytes in code page 1251.
QByteArray encodeSettings(const TFirstConnectInfo& info);

} // namespace signin
