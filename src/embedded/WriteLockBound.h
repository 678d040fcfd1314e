// Bounds one client call: how long it may hold the database's write lock, and the caller's
// own statement time-out. SQLite has one progress handler per session, so both live here.
#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>

struct sqlite3;

namespace embedded {

class WriteLockBound {
public:
    // timeoutSeconds <= 0: no time-out of the caller's.
    WriteLockBound(sqlite3* handle, int timeoutSeconds, int writeLockMilliseconds);
    ~WriteLockBound();
    WriteLockBound(const WriteLockBound&) = delete;
    WriteLockBound& operator=(const WriteLockBound&) = delete;

    // Which limit interrupted the statement, if one did.
    bool writeLockExpired() const { return writeLockExpired_; }
    bool timeoutExpired() const { return timeoutExpired_; }

    // Called by SQLite every few instructions; non-zero interrupts.
    int progress();

private:
    sqlite3* handle_;
    QDeadlineTimer deadline_;
    int writeLockMilliseconds_;
    QElapsedTimer writeHeld_;
    bool writeLockExpired_ = false;
    bool timeoutExpired_ = false;
};

} // namespace embedded
