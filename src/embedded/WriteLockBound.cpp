// The progress handler of a client call.
#include "embedded/WriteLockBound.h"

#include <sqlite3.h>

namespace embedded {
namespace {

int progressOf(void* bound) {
    return static_cast<WriteLockBound*>(bound)->progress();
}

} // namespace

WriteLockBound::WriteLockBound(sqlite3* handle, int timeoutSeconds, int writeLockMilliseconds)
    : handle_(handle)
    , deadline_(timeoutSeconds > 0 ? QDeadlineTimer(std::chrono::seconds(timeoutSeconds))
                                   : QDeadlineTimer(QDeadlineTimer::Forever))
    , writeLockMilliseconds_(writeLockMilliseconds) {
    if (handle_ != nullptr)
        sqlite3_progress_handler(handle_, 1000, &progressOf, this);
}

WriteLockBound::~WriteLockBound() {
    if (handle_ != nullptr)
        sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
}

int WriteLockBound::progress() {
    if (deadline_.hasExpired()) {
        timeoutExpired_ = true;
        return 1;
    }
    // Only the time the lock is really held counts, not the wait for it nor a read.
    if (sqlite3_txn_state(handle_, "main") != SQLITE_TXN_WRITE) {
        writeHeld_.invalidate();
        return 0;
    }
    if (!writeHeld_.isValid())
        writeHeld_.start();
    else if (writeHeld_.elapsed() > writeLockMilliseconds_) {
        writeLockExpired_ = true;
        return 1;
    }
    return 0;
}

} // namespace embedded
