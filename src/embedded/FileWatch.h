// Notices a database file overwritten in place (same inode) behind the session's back, as a
// backup copied over it would be: SQLite would go on writing over a file it no longer knows.
#pragma once

#include <QString>

struct sqlite3;

namespace embedded {

class FileWatch {
public:
    // Starts watching the session's main file, noting its header as it is now. The header
    // is read through SQLite's own file handle: closing another descriptor of the file
    // would drop every lock SQLite holds on it in this process.
    void start(sqlite3* handle, const QString& path);
    void stop() { watching_ = false; }

    // Notes the header after a call of the session: checkpoints of any session only ever
    // raise the change counter and grow the file.
    void note(sqlite3* handle);

    // Empty while the file is still the one noted; otherwise the message to stop with. A
    // change counter that went back, a file that shrank or a header that is no SQLite
    // header can only come from a copy written over the file.
    QString check(sqlite3* handle) const;

private:
    struct Header {
        bool read = false;
        bool valid = false;
        quint32 changeCounter = 0;
        qint64 size = 0;
    };
    static Header read(sqlite3* handle);

    bool watching_ = false;
    QString path_;
    quint32 changeCounter_ = 0;
    qint64 size_ = 0;
};

// A -wal or -shm file that SQLite made with the mode of a read-only database file stays
// read-only when the database is writable again, and nobody can sign in; it gets the
// database file's permissions back.
void restoreSideFilePermissions(const QString& path);

// True when this process may write the file (checked without opening it, for the same
// reason as above).
bool isWritableFile(const QString& path);

} // namespace embedded
