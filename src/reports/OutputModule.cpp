#include "reports/OutputModule.h"

#include "reports/OutputModuleImage.h"

#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace reports {
namespace {

struct Loaded {
    const OutputModule* module = nullptr;
    QString error;
};

Loaded loadFile(const QString& path) {
    QLibrary library(path);
    using Entry = const OutputModule* (*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(KEL_OUTPUT_MODULE_ENTRY));
    if (entry == nullptr)
        return {nullptr, library.errorString()};
    const OutputModule* module = entry();
    if (module == nullptr || module->version != OutputModuleVersion)
        return {nullptr, QStringLiteral("модуль другой версии")};
    return {module, {}};
}

Loaded load(QByteArrayView image) {
    if (image.isEmpty())
        return {nullptr, QStringLiteral("модуль пуст")};
#ifdef Q_OS_LINUX
    // A file in memory only: nothing on disk to clean up or to be swapped by someone else.
    const int fd = memfd_create("kel-output", MFD_CLOEXEC);
    if (fd < 0)
        return {nullptr, QString::fromLocal8Bit(strerror(errno))};
    for (qsizetype done = 0; done < image.size();) {
        const ssize_t n = ::write(fd, image.data() + done, size_t(image.size() - done));
        if (n <= 0) {
            const QString reason = QString::fromLocal8Bit(strerror(errno));
            ::close(fd);
            return {nullptr, reason};
        }
        done += n;
    }
    const Loaded loaded = loadFile(QStringLiteral("/proc/self/fd/%1").arg(fd));
    // A loaded module keeps its descriptor for the rest of the run: the library loader knows
    // a library by its path, so a later file given the same number would be taken for it.
    if (loaded.module == nullptr)
        ::close(fd);
    return loaded;
#else
    // Kept for the rest of the run: the system will not delete a loaded library.
    static QTemporaryDir folder;
    if (!folder.isValid())
        return {nullptr, folder.errorString()};
    QFile file(folder.filePath(QStringLiteral("kel-output")));
    if (!file.open(QIODevice::WriteOnly) || file.write(image.data(), image.size()) != image.size())
        return {nullptr, file.errorString()};
    file.close();
    return loadFile(file.fileName());
#endif
}

const OutputModule* said(const Loaded& loaded, QString* error) {
    if (loaded.module == nullptr && error != nullptr)
        *error = QStringLiteral("Не удалось загрузить модуль печати и выгрузки: ") + loaded.error +
                 QLatin1Char('.');
    return loaded.module;
}

} // namespace

const OutputModule* loadOutputModule(QByteArrayView image, QString* error) {
    return said(load(image), error);
}

const OutputModule* outputModule(QString* error) {
    // Loaded once and kept for the rest of the run.
    static const Loaded loaded = load(outputModuleImage());
    return said(loaded, error);
}

} // namespace reports
