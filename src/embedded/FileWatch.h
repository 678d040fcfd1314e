// Notices a database file overwritten in place (same inode) behind the session's back, as a
// backup copied over it would be: SQLite would go on writing over a file it no longer knows.
#pragma once

#include <QString>

namespace embedded {

class FileWatch {
public:
    // Starts watching the file at `path`, noting its header as it is now.
    void start(const QString& path);
    void stop() { path_.clear(); }

    // Notes the header after a call of the session: checkpoints of any session only ever
    // raise the change counter and grow the file.
    void note();

    // Empty while the file is still the one noted; otherwise the message to stop with. A
    // change counter that went back, a file that shrank or a header that is no SQLite
    // header can only come from a copy written over the file.
    QString check() const;

private:
    struct Header {
        bool exists = false;
        bool valid = false;
        quint32 changeCounter = 0;
        qint64 size = 0;
    };
    static Header read(const QString& path);

    QString path_;
    quint32 changeCounter_ = 0;
    qint64 size_ = 0;
};

// A -wal or -shm file that SQLite made with the mode of a read-only database file stays
// read-only when the database is writable again, and nobody can sign in; it gets the
// database file's permissions back.
void restoreSideFilePermissions(const QString& path);

// True when the file can be opened for writing by this process.
bool isWritableFile(const QString& path);

} // namespace embedded
