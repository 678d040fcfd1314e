#include "db/StatementRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace db::internal {

namespace {

// Holds the user's input to every window but the notice while a statement runs, and hands it
// on in order once the wait is over, as a window whose thread was busy would take it.
class InputGate : public QObject {
public:
    explicit InputGate(const std::function<bool(QObject*)>& takesInput)
        : takesInput_(takesInput) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputGate() override { release(); }

    // Lets input through again. What was held is posted: it comes before input that arrives
    // later, and after the handler that waited has gone on; a wait that follows holds it
    // again, still in order.
    void release() {
        if (released_)
            return;
        released_ = true;
        QCoreApplication::instance()->removeEventFilter(this);
        for (auto& [receiver, event] : held_) {
            if (!receiver.isNull())
                QCoreApplication::postEvent(receiver.data(), event.release());
        }
        held_.clear();
    }
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Only what the user does is held: a dialog that a handler closes meanwhile closes.
        if (!event->spontaneous() || !held(*event) || (takesInput_ && takesInput_(receiver)))
            return false;
        held_.emplace_back(receiver, std::unique_ptr<QEvent>(event->clone()));
        // A close asked for now is not done now.
        event->ignore();
        return true;
    }

private:
    static bool held(const QEvent& event) {
        switch (event.type()) {
        case QEvent::Close:
        case QEvent::InputMethod:
        case QEvent::Shortcut:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
            return true;
        default:
            return event.isInputEvent();
        }
    }

    const std::function<bool(QObject*)>& takesInput_;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
    bool released_ = false;
};

// How long the calling thread simply waits before it lets its events run.
constexpr std::chrono::milliseconds kQuietWait{40};

} // namespace

StatementRunner::StatementRunner()
    : thread_([this] { serve(); }) {}

StatementRunner::~StatementRunner() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StatementRunner::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || job_; });
        if (!job_)
            return;
        std::function<void()> job = std::move(job_);
        job_ = nullptr;
        lock.unlock();
        job();
        lock.lock();
        running_ = false;
        wake_.notify_all();
    }
}

void StatementRunner::start(const std::function<void()>& work, std::function<void()> whenDone) {
    std::lock_guard lock(mutex_);
    error_ = nullptr;
    callerWanted_ = false;
    running_ = true;
    job_ = [this, &work, whenDone = std::move(whenDone)] {
        try {
            work();
        } catch (...) {
            error_ = std::current_exception();
        }
        if (whenDone)
            whenDone();
    };
    wake_.notify_all();
}

void StatementRunner::finish() {
    std::exception_ptr error;
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return !running_; });
        error = std::exchange(error_, nullptr);
    }
    if (error)
        std::rethrow_exception(error);
}

void StatementRunner::runBlocking(const std::function<void()>& work) {
    start(work, {});
    finish();
}

void StatementRunner::runWaiting(const std::function<void()>& work, const WaitHook& hook,
                                 const std::function<WaitState(int)>& describe) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    const auto hide = [&] {
        if (shown && hook.hide)
            hook.hide();
        shown = false;
    };
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!hook.show)
            return;
        shown = true;
        // Timers may fire a little early: the seconds are rounded, not cut.
        hook.show(describe(static_cast<int>((clock.elapsed() + 500) / 1000)));
    });
    {
        InputGate gate(hook.takesInput);
        waiting_ = &loop;
        std::atomic<bool> ended{false};
        // Runs here as soon as the work has ended, even inside a loop that a handler opened
        // meanwhile (a message box): that box then takes its answers at once.
        const auto over = [&] {
            gate.release();
            tick.stop();
            hide();
            loop.quit();
        };
        start(work, [&loop, &ended, &over] {
            ended = true;
            QMetaObject::invokeMethod(&loop, over, Qt::QueuedConnection);
        });
        // A statement that answers at once ends before anything else of this thread runs, as
        // it always did; only a longer wait lets events through.
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kQuietWait, [this] { return !running_ || callerWanted_; });
        }
        tick.start();
        // A handler that quits every loop meanwhile must not leave the worker unanswered.
        while (!ended)
            loop.exec();
        tick.stop();
        waiting_ = nullptr;
    }
    try {
        finish();
    } catch (...) {
        hide();
        throw;
    }
    hide();
}

void StatementRunner::onCaller(const std::function<void()>& fn) {
    QEventLoop* loop = waiting_;
    if (loop == nullptr || !onWorker()) {
        fn();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        callerWanted_ = true;
    }
    wake_.notify_all();
    std::mutex doneMutex;
    std::condition_variable doneWake;
    bool done = false;
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        loop,
        [&] {
            try {
                fn();
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(doneMutex);
            done = true;
            doneWake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(doneMutex);
    doneWake.wait(lock, [&] { return done; });
    lock.unlock();
    if (error)
        std::rethrow_exception(error);
}

} // namespace db::internal
