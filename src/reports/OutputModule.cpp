#include "reports/OutputModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace reports {
namespace {

struct Loaded {
    const OutputModule* module = nullptr;
    QString error;
};

QString moduleFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("kel-output.dll");
#else
    return QStringLiteral("kel-output.so");
#endif
}

Loaded load(const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(moduleFileName());
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        using Entry = const OutputModule* (*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve(KEL_OUTPUT_MODULE_ENTRY));
        if (entry == nullptr)
            return {nullptr, library.errorString()};
        const OutputModule* module = entry();
        if (module == nullptr || module->version != OutputModuleVersion)
            return {nullptr,
                    QStringLiteral("файл %1 от другой версии программы")
                        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))};
        return {module, {}};
    }
    return {nullptr, QStringLiteral("файл %1 не найден рядом с программой").arg(moduleFileName())};
}

const OutputModule* said(const Loaded& loaded, QString* error) {
    if (loaded.module == nullptr && error != nullptr)
        *error = QStringLiteral("Не удалось загрузить модуль печати и выгрузки: ") + loaded.error +
                 QLatin1Char('.');
    return loaded.module;
}

} // namespace

const OutputModule* loadOutputModule(const QStringList& folders, QString* error) {
    return said(load(folders), error);
}

const OutputModule* outputModule(QString* error) {
    // Beside the program; the build tree's tests and benchmarks run from folders next to bin.
    // Loaded once and kept for the rest of the run.
    static const Loaded loaded = [] {
        const QDir home(QCoreApplication::applicationDirPath());
        return load({home.path(), home.filePath(QStringLiteral("../bin"))});
    }();
    return said(loaded, error);
}

} // namespace reports
