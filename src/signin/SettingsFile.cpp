#include "signin/SettingsFile.h"

#include "platform/Cp1251.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace signin {
namespace {

// Offsets of the four fields and their length bytes in the file.
constexpr int UserIdAt = 0, PasswordAt = 20, UserIdLenAt = 40, PasswordLenAt = 41;
constexpr int SourceAt = 42, CatalogAt = 62, SourceLenAt = 82, CatalogLenAt = 83;

QString field(const QByteArray& image, int at, int lengthAt) {
    const int n = std::min<int>(static_cast<unsigned char>(image[lengthAt]), SettingsFieldWidth);
    return DecodeSettingText(image.mid(at, n));
}

void putField(QByteArray& image, int at, int lengthAt, const QString& value) {
    const QByteArray bytes = EncodeSettingText(value);
    if (bytes.size() > SettingsFieldWidth)
        throw std::invalid_argument("a settings value is longer than 20 bytes");
    image.replace(at, bytes.size(), bytes);
    image[lengthAt] = static_cast<char>(bytes.size());
}

InOutError ioError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return InOutError("File not found");
    case EACCES:
    case EPERM:
        return InOutError("File access denied");
    default:
        return InOutError(QStringLiteral("I/O error %1").arg(error).toStdString());
    }
}

} // namespace

QString DecodeSettingText(const QByteArray& bytes) {
    QByteArray shifted(bytes);
    for (char& c : shifted)
        c = static_cast<char>(static_cast<unsigned char>(c) + 1);
    return platform::fromCp1251(shifted);
}

QByteArray EncodeSettingText(const QString& text) {
    QByteArray bytes = platform::toCp1251(text);
    for (char& c : bytes)
        c = static_cast<char>(static_cast<unsigned char>(c) - 1);
    return bytes;
}

QString settingsFilePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Data/KEL");
}

TFirstConnectInfo readSettingsFile(const QString& path) {
    // Read-only: a system-wide installation's users may read the file but not write it.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(QFile::encodeName(path).constData(), "rb"), &std::fclose);
    if (!file)
        throw ioError(errno);
    QByteArray image(SettingsFileSize, '\0');
    const size_t got = std::fread(image.data(), 1, SettingsFileSize, file.get());
    if (got < static_cast<size_t>(SettingsFileSize)) {
        if (std::ferror(file.get()))
            throw ioError(errno);
        throw InOutError("Read beyond end of file");
    }
    return decodeSettings(image);
}

TFirstConnectInfo decodeSettings(const QByteArray& image) {
    if (image.size() < SettingsFileSize)
        throw InOutError("Read beyond end of file");
    TFirstConnectInfo info;
    info.UserID = field(image, UserIdAt, UserIdLenAt);
    info.Password = field(image, PasswordAt, PasswordLenAt);
    info.DataSource = field(image, SourceAt, SourceLenAt);
    info.InitialCatalog = field(image, CatalogAt, CatalogLenAt);
    return info;
}

QByteArray encodeSettings(const TFirstConnectInfo& info) {
    QByteArray image(SettingsFileSize, '\0');
    putField(image, UserIdAt, UserIdLenAt, info.UserID);
    putField(image, PasswordAt, PasswordLenAt, info.Password);
    putField(image, SourceAt, SourceLenAt, info.DataSource);
    putField(image, CatalogAt, CatalogLenAt, info.InitialCatalog);
    return image;
}

} // namespace signin
