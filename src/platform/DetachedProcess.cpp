// Detached, windowless start of a helper program.
#include "platform/DetachedProcess.h"

#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

qint64 startDetachedHidden(const QString& program, const QStringList& arguments,
                           const QString& workingFolder) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* args) { args->flags |= CREATE_NO_WINDOW; });
#endif
    qint64 id = 0;
    return process.startDetached(&id) ? id : 0;
}

} // namespace platform
