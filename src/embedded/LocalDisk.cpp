// Network file systems by their statfs magic numbers.
#include "embedded/LocalDisk.h"

#include <QFile>

#include <sys/vfs.h>

namespace embedded {

std::optional<QString> networkFileSystem(unsigned long type) {
    static const struct {
        unsigned long type;
        const char* name;
    } known[] = {{0x6969, "NFS"},      {0x517B, "SMB"},      {0xFF534D42, "CIFS"},
                 {0xFE534D42, "SMB2"}, {0x564C, "NCP"},      {0x73757245, "Coda"},
                 {0x5346414F, "AFS"},  {0x6B414653, "AFS"},  {0x01021997, "9P"},
                 {0x00C36400, "Ceph"}, {0x47504653, "GPFS"}, {0x0BD00BD0, "Lustre"},
                 {0x013111A8, "IBRIX"}};
    // FUSE is left out: it also carries local disks (NTFS through ntfs-3g).
    for (const auto& k : known)
        if (k.type == type)
            return QString::fromLatin1(k.name);
    return std::nullopt;
}

std::optional<QString> networkFileSystemOf(const QString& path) {
    struct statfs info {};
    if (statfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return networkFileSystem(static_cast<unsigned long>(info.f_type));
}

QString networkShareRefusal(const QString& path, const QString& fileSystem) {
    return QStringLiteral("Файл базы данных «%1» находится на сетевом диске (%2). Встроенная "
                          "база данных должна лежать на локальном диске этого компьютера; "
                          "чтобы с одной базой работали несколько компьютеров, используйте "
                          "SQL Server.")
        .arg(path, fileSystem);
}

} // namespace embedded
