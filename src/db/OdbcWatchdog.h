// Holds one statement to its time-out on the client's own clock. FreeTDS answers its time-out
// with a cancel and then waits a full time-out again for the server to confirm it, so a
// silent server would cost twice the time-out; past the time-out the watchdog cancels, and a
// driver that still has not returned shortly after loses its link.
#pragma once

#include "db/OdbcLinkSocket.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace db::odbc {

class StatementWatchdog {
public:
    // How long after the time-out the statement is cancelled, and then its link cut.
    static constexpr std::chrono::milliseconds kCancelAfter{250};
    static constexpr std::chrono::milliseconds kDropAfter{1500};

    // Watches `statement` (an ODBC statement handle) while the object lives; the time-out runs
    // from the start and from each progress().
    StatementWatchdog(void* statement, const LinkSocket& link, int timeoutSeconds);
    ~StatementWatchdog();
    StatementWatchdog(const StatementWatchdog&) = delete;
    StatementWatchdog& operator=(const StatementWatchdog&) = delete;

    // The driver answered: the wait starts again.
    void progress();
    // Stops watching; returns once the watchdog has done whatever it was doing.
    void stop();
    // The link was cut: the statement's outcome on the server is unknown. Read after stop().
    bool dropped() const { return dropped_.load(); }

private:
    void watch();

    void* statement_;
    LinkSocket link_;
    std::chrono::seconds timeout_;
    std::atomic<std::chrono::steady_clock::rep> last_;
    std::atomic<bool> dropped_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

// The user's message for a statement whose server answered neither it nor its cancel.
QString serverSilentMessage(int timeoutSeconds);

} // namespace db::odbc
