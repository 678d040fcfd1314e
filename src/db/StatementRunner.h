// The worker thread a connection runs its statements on, and the wait of the thread that
// sent them: it keeps painting and answering the window manager, but takes no input.
#pragma once

#include "db/DatabaseWait.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class QEventLoop;

namespace db::internal {

class StatementRunner {
public:
    StatementRunner();
    ~StatementRunner();
    StatementRunner(const StatementRunner&) = delete;
    StatementRunner& operator=(const StatementRunner&) = delete;

    // Runs `work` on the worker and returns once it has ended, rethrowing what it threw. The
    // calling thread runs its events meanwhile with user input dropped; after a second, and
    // each second after, the hook shows `describe(seconds)`.
    void runWaiting(const std::function<void()>& work, const WaitHook& hook,
                    const std::function<WaitState(int)>& describe);
    // The same without an event loop: the caller simply blocks (closing on destruction).
    void runBlocking(const std::function<void()>& work);
    // Called from `work`: runs fn on the waiting thread (objects that live there are made
    // there) and returns once it has, rethrowing what it threw.
    void onCaller(const std::function<void()>& fn);
    bool onWorker() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void serve();
    void start(const std::function<void()>& work, std::function<void()> whenDone);
    void finish();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::function<void()> job_;
    bool stop_ = false;
    bool running_ = false;
    bool callerWanted_ = false; // the work waits for onCaller
    std::exception_ptr error_;
    QEventLoop* waiting_ = nullptr;
    std::thread thread_;
};

} // namespace db::internal
