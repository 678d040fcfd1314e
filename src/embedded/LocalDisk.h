// Whether a database file lies on a local disk: SQLite's WAL mode shares memory between the
// processes of one machine and is unsafe on a network file system.
#pragma once

#include <QString>

#include <optional>

namespace embedded {

// The name of the network file system with this statfs type, or nothing for a local one.
std::optional<QString> networkFileSystem(unsigned long type);

// The network file system holding the file at the path, or nothing.
std::optional<QString> networkFileSystemOf(const QString& path);

// The refusal shown for a database file on a network file system.
QString networkShareRefusal(const QString& path, const QString& fileSystem);

} // namespace embedded
