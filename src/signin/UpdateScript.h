// The script that swaps the program's executable for the downloaded one once the program ends.
#pragma once

#include <QByteArray>
#include <QString>

namespace signin {

// The Windows batch file's bytes: ten lines in code page 1251, each ended by CR LF. It runs
// in the executable's folder and replaces "KEL 14.exe" with tempKEL's copy.
QByteArray windowsUpdateScript();

// The POSIX shell script with the same duty for the executable named executable in folder:
// it waits until the process processId has ended, renames the downloaded file over the
// executable (its mode, run bit included, goes with it), removes tempKEL and starts the
// new program in folder.
QByteArray posixUpdateScript(const QString& folder, const QString& executable, qint64 processId);

// A text as one single-quoted shell word, whatever it holds.
QByteArray shellQuoted(const QString& text);

} // namespace signin
