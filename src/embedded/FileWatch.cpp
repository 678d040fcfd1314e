// The database file's header between the session's calls, and its side files' permissions.
#include "embedded/FileWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace embedded {

FileWatch::Header FileWatch::read(const QString& path) {
    Header h;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return h;
    h.exists = true;
    h.size = f.size();
    const QByteArray bytes = f.read(100);
    static const QByteArray magic("SQLite format 3\0", 16);
    if (bytes.size() < 100 || !bytes.startsWith(magic))
        return h;
    h.valid = true;
    h.changeCounter = qFromBigEndian<quint32>(bytes.constData() + 24);
    return h;
}

void FileWatch::start(const QString& path) {
    path_ = path;
    changeCounter_ = 0;
    size_ = 0;
    note();
}

void FileWatch::note() {
    if (path_.isEmpty())
        return;
    const Header h = read(path_);
    if (!h.valid)
        return;
    changeCounter_ = qMax(changeCounter_, h.changeCounter);
    size_ = qMax(size_, h.size);
}

QString FileWatch::check() const {
    if (path_.isEmpty())
        return QString();
    const Header h = read(path_);
    // A file deleted or replaced by another one is the driver's to report.
    if (!h.exists)
        return QString();
    if (h.valid && h.changeCounter >= changeCounter_ && h.size >= size_)
        return QString();
    return QStringLiteral("Файл базы данных «%1» перезаписан другой программой во время работы "
                          "(например, восстановлен из резервной копии). Изменение не "
                          "сохранено, чтобы не испортить файл; закройте программу и войдите "
                          "заново.")
        .arg(QDir::toNativeSeparators(path_));
}

bool isWritableFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

void restoreSideFilePermissions(const QString& path) {
    if (!isWritableFile(path))
        return;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFileInfo::exists(side) && !isWritableFile(side))
            QFile::setPermissions(side, QFile::permissions(path));
    }
}

} // namespace embedded
