// Starting a program that outlives ours, with no window of its own.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Starts program with arguments in workingFolder, detached and hidden. Returns its process
// id, or 0 when it could not be started.
qint64 startDetachedHidden(const QString& program, const QStringList& arguments,
                           const QString& workingFolder);

} // namespace platform
