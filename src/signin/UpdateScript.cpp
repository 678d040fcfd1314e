// The two forms of the update script: the batch file for Windows and a POSIX shell script.
#include "signin/UpdateScript.h"

#include "platform/Cp1251.h"

#include <QFile>
#include <QStringList>

namespace signin {

QByteArray windowsUpdateScript() {
    const QStringList lines = {
        QStringLiteral("@ECHO OFF"),
        QStringLiteral("SET KEL_PROG=KEL 14"),
        QStringLiteral("SET KEL_HOME=%CD%"),
        QStringLiteral("SET KEL_TEMP=%KEL_HOME%\\tempKEL"),
        QStringLiteral(":do_del"),
        QStringLiteral("DEL /Q \"%KEL_HOME%\\%KEL_PROG%.exe\""),
        QStringLiteral("IF EXIST \"%KEL_HOME%\\%KEL_PROG%.exe\" GOTO do_del"),
        QStringLiteral("COPY \"%KEL_TEMP%\\%KEL_PROG%.exe\" \"%KEL_HOME%\\%KEL_PROG%.exe\""),
        QStringLiteral("RD /S /Q \"%KEL_TEMP%\""),
        QStringLiteral("\"%KEL_HOME%\\%KEL_PROG%.exe\""),
    };
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += platform::toCp1251(line) + "\r\n";
    return bytes;
}

QByteArray shellQuoted(const QString& text) {
    QByteArray word = QFile::encodeName(text);
    word.replace('\'', "'\\''");
    return '\'' + word + '\'';
}

QByteArray posixUpdateScript(const QString& folder, const QString& executable, qint64 processId) {
    // A running executable may be replaced on these systems, so the script must wait for
    // the program to end by itself before it starts the new one.
    return "#!/bin/sh\n"
           "KEL_PROG=" +
           shellQuoted(executable) +
           "\n"
           "KEL_HOME=" +
           shellQuoted(folder) +
           "\n"
           "KEL_TEMP=\"$KEL_HOME/tempKEL\"\n"
           "KEL_PID=" +
           QByteArray::number(processId) +
           "\n"
           "while kill -0 \"$KEL_PID\" 2>/dev/null; do\n"
           "    sleep 1\n"
           "done\n"
           "mv -f \"$KEL_TEMP/$KEL_PROG\" \"$KEL_HOME/$KEL_PROG\" || exit 1\n"
           "rm -rf \"$KEL_TEMP\"\n"
           "cd \"$KEL_HOME\" || exit 1\n"
           "exec \"$KEL_HOME/$KEL_PROG\"\n";
}

} // namespace signin
