// The self-update: download of the new build, the swapping script, the program's end.
#include "signin/SelfUpdate.h"

#include "platform/ApplicationState.h"
#include "platform/DetachedProcess.h"
#include "platform/HttpDownload.h"
#include "platform/MessageBoxes.h"
#include "signin/Unit10.h"
#include "signin/UpdateHost.h"
#include "signin/UpdateScript.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include <stdexcept>

namespace signin {
namespace {

const QString TempFolder = QStringLiteral("tempKEL");

#ifdef Q_OS_WIN
// The batch file's text names the executable itself.
const QString WindowsExecutable = QStringLiteral("KEL 14.exe");
#endif

void writeScript(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error(QStringLiteral("Не удалось записать файл \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
}

// The new build runs as the old one did: same owner rights, run bit included.
void takeOverMode(const QString& downloaded, const QString& executable) {
    QFile::Permissions mode = QFileInfo::exists(executable)
                                  ? QFile::permissions(executable)
                                  : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(downloaded, mode | QFile::ReadOwner | QFile::WriteOwner);
}

void startScript(const QString& script, const QString& folder) {
    // The script works in the executable's folder whatever folder the program was started
    // from. Whether it starts is not checked: the program ends either way.
#ifdef Q_OS_WIN
    platform::startDetachedHidden(QStringLiteral("cmd.exe"),
                                  {QStringLiteral("/c"), QDir::toNativeSeparators(script)}, folder);
#else
    platform::startDetachedHidden(QStringLiteral("/bin/sh"), {script}, folder);
#endif
}

} // namespace

UpdateTarget runningProgram() {
    UpdateTarget target;
    target.folder = QCoreApplication::applicationDirPath();
#ifdef Q_OS_WIN
    target.executable = WindowsExecutable;
#else
    target.executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
#endif
    target.processId = QCoreApplication::applicationPid();
    target.server = QStringLiteral("http://") + updateHost();
    return target;
}

QString downloadPath() {
    // Each platform fetches its own build, so a Windows build never replaces a Linux one.
#ifdef Q_OS_WIN
    return QStringLiteral("/kelprogs/KEL 14.exe");
#else
    return QStringLiteral("/kelprogs/KEL 14");
#endif
}

QString packageMarkerPath(const QString& folder) {
    return folder + QStringLiteral("/installed-by-package");
}

QString packagedUpdateMessage() {
    return QStringLiteral("Эта версия программы устарела.") + u'\n' +
           QStringLiteral("Программа установлена пакетом, обновить её может только "
                          "администратор.") +
           u'\n' +
           QStringLiteral("Обратитесь к администратору: нужно установить новую версию "
                          "пакета kel14.");
}

QString updateScriptPath(const QString& folder) {
#ifdef Q_OS_WIN
    const QString extension = QStringLiteral(".bat");
#else
    const QString extension = QStringLiteral(".sh");
#endif
    return folder + QStringLiteral("/KEL 14") + extension;
}

void StartSelfUpdate(TForm8& form, const UpdateTarget& target) {
    // The package manager owns a packaged executable, which its users may not replace anyway.
    if (QFileInfo::exists(packageMarkerPath(target.folder))) {
        platform::messageBox(&form, packagedUpdateMessage(), QStringLiteral("Уведомление"),
                             QMessageBox::Information);
        platform::requestTermination();
        form.done(TForm8::ModalCancel);
        return;
    }
    form.Label1->setText(QStringLiteral("Идёт обновление программы, ПОДОЖДИТЕ..."));
    form.Label1->adjustSize();
    // The notice must be painted before the download starts.
    QCoreApplication::processEvents();

    const QString temp = target.folder + u'/' + TempFolder;
    QDir().mkpath(temp);
    const QString downloaded = temp + u'/' + target.executable;
    platform::HttpDownloader downloader(
        target.server, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    const bool received = downloader.DownloadFile(downloadPath(), downloaded);
    if (platform::terminationRequested())
        return; // cancelled while downloading
    if (!received) {
        platform::messageBox(&form,
                             QStringLiteral("Сервер обновлений не доступен.") + u'\n' +
                                 QStringLiteral("Обратитесь к администратору."),
                             QStringLiteral("Уведомление"), QMessageBox::Information);
        platform::requestTermination();
        form.done(TForm8::ModalCancel);
        return;
    }

    const QString executable = target.folder + u'/' + target.executable;
    takeOverMode(downloaded, executable);
    const QString script = updateScriptPath(target.folder);
#ifdef Q_OS_WIN
    writeScript(script, windowsUpdateScript());
#else
    writeScript(script, posixUpdateScript(target.folder, target.executable, target.processId));
#endif
    startScript(script, target.folder);
    form.Timer1->start();
}

} // namespace signin
