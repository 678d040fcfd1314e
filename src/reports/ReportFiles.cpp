#include "reports/ReportFiles.h"

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace reports {
namespace {

const char* const FolderKey = "reports/folder";

QString suffix(FileKind kind) {
    switch (kind) {
    case FileKind::Pdf:
        return QStringLiteral("pdf");
    case FileKind::Xlsx:
        return QStringLiteral("xlsx");
    case FileKind::Csv:
        return QStringLiteral("csv");
    }
    return {};
}

QString filter(FileKind kind) {
    switch (kind) {
    case FileKind::Pdf:
        return QStringLiteral("Документ PDF (*.pdf)");
    case FileKind::Xlsx:
        return QStringLiteral("Книга Excel (*.xlsx)");
    case FileKind::Csv:
        return QStringLiteral("Текст CSV (*.csv)");
    }
    return {};
}

QString reason(QFileDevice::FileError error) {
    switch (error) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QStringLiteral("Папка недоступна для записи.");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
        return QStringLiteral("Не удалось записать файл: возможно, диск заполнен.");
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
        return QStringLiteral("Не удалось заменить существующий файл.");
    default:
        return QStringLiteral("Ошибка записи.");
    }
}

QString failure(const QString& path, const QString& why, const QString& details) {
    QString text = QStringLiteral("Не удалось сохранить файл \"") + QDir::toNativeSeparators(path) +
                   QStringLiteral("\".\n") + why;
    if (!details.isEmpty())
        text += QStringLiteral("\n(") + details + QLatin1Char(')');
    return text;
}

QString lastFolder() {
    const QString saved = QSettings().value(QLatin1String(FolderKey)).toString();
    if (!saved.isEmpty() && QFileInfo(saved).isDir())
        return saved;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

QString writeFileAtomically(const QString& path, const ContentWriter& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, reason(file.error()), file.errorString());
    QString error;
    if (!write(file, error)) {
        file.cancelWriting();
        return failure(path, QStringLiteral("Не удалось подготовить содержимое файла."), error);
    }
    if (!file.commit())
        return failure(path, reason(file.error()), file.errorString());
    return {};
}

QString saveReport(QWidget* owner, FileKind kind, const QString& baseName,
                   const ContentWriter& write) {
    const QString proposed =
        QDir(lastFolder()).filePath(baseName + QLatin1Char('.') + suffix(kind));
    QString path =
        platform::saveFileName(owner, QStringLiteral("Сохранить как"), proposed, filter(kind));
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix(kind);
    const QString error = writeFileAtomically(path, write);
    if (!error.isEmpty()) {
        platform::messageBox(owner, error, QStringLiteral("Ошибка"), QMessageBox::Critical);
        return {};
    }
    QSettings().setValue(QLatin1String(FolderKey), QFileInfo(path).absolutePath());
    return path;
}

} // namespace reports
