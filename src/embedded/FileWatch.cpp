// The database file's header between the session's calls, and its side files' permissions.
#include "embedded/FileWatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace embedded {

FileWatch::Header FileWatch::read(sqlite3* handle) {
    Header h;
    sqlite3_file* file = nullptr;
    if (handle == nullptr ||
        sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr)
        return h;
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return h;
    h.read = true;
    h.size = size;
    unsigned char bytes[100] = {};
    static const char magic[] = "SQLite format 3";
    if (file->pMethods->xRead(file, bytes, int(sizeof bytes), 0) != SQLITE_OK ||
        memcmp(bytes, magic, sizeof magic) != 0)
        return h;
    h.valid = true;
    h.changeCounter = qFromBigEndian<quint32>(bytes + 24);
    return h;
}

void FileWatch::start(sqlite3* handle, const QString& path) {
    watching_ = true;
    path_ = path;
    changeCounter_ = 0;
    size_ = 0;
    note(handle);
}

void FileWatch::note(sqlite3* handle) {
    if (!watching_)
        return;
    const Header h = read(handle);
    if (!h.valid)
        return;
    changeCounter_ = qMax(changeCounter_, h.changeCounter);
    size_ = qMax(size_, h.size);
}

QString FileWatch::check(sqlite3* handle) const {
    if (!watching_)
        return QString();
    const Header h = read(handle);
    // An empty file not yet written is SQLite's to handle; a file that cannot be read is
    // reported by the statement itself.
    if (!h.read || (h.size == 0 && size_ == 0))
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
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
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
