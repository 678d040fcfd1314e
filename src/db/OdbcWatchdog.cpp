#include "db/OdbcWatchdog.h"

#include <sql.h>

namespace db::odbc {

namespace {

std::chrono::steady_clock::rep nowTicks() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

} // namespace

StatementWatchdog::StatementWatchdog(void* statement, const LinkSocket& link, int timeoutSeconds)
    : statement_(statement)
    , link_(link)
    , timeout_(timeoutSeconds)
    , last_(nowTicks()) {
    thread_ = std::thread([this] { watch(); });
}

StatementWatchdog::~StatementWatchdog() {
    stop();
}

void StatementWatchdog::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void StatementWatchdog::progress() {
    last_.store(nowTicks(), std::memory_order_relaxed);
}

void StatementWatchdog::watch() {
    using Clock = std::chrono::steady_clock;
    bool cancelled = false;
    std::unique_lock lock(mutex_);
    while (!stop_) {
        const Clock::time_point last{Clock::duration(last_.load(std::memory_order_relaxed))};
        const Clock::time_point due = last + timeout_ + (cancelled ? kDropAfter : kCancelAfter);
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        if (!cancelled) {
            // Safe from another thread while the statement runs; a cancel the driver has
            // already sent for its own time-out is not sent twice.
            SQLCancel(statement_);
            cancelled = true;
            continue;
        }
        dropped_.store(link_.shutDown());
        return;
    }
}

QString serverSilentMessage(int timeoutSeconds) {
    return QStringLiteral("Сервер не ответил за %1 с и не подтвердил отмену команды; связь с "
                          "сервером разорвана. Выполнил ли сервер команду, неизвестно: "
                          "проверьте данные после повторного подключения.")
        .arg(timeoutSeconds);
}

} // namespace db::odbc
