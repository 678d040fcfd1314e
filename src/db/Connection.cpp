#include "db/Connection.h"

#include "db/DatabaseError.h"
#include "db/StatementRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace db {

namespace {

// Without TZ, the C library looks at the zone file again on every local-time conversion,
// one file-system call per date-time read; naming the same file once avoids that.
void fixTimeZoneLookup() {
    static const bool done = [] {
        if (!qEnvironmentVariableIsSet("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime")))
            qputenv("TZ", ":/etc/localtime");
        return true;
    }();
    (void)done;
}

// Statements without a time-out of their own may be cancelled after this long, the longest
// a driver waits by default.
constexpr int kDefaultCancelSeconds = 30;

// Takes the result's columns on the waiting thread, where the data set's fields live; the rows
// stay on the worker.
class ColumnsOnCaller : public RowSink {
public:
    ColumnsOnCaller(RowSink& sink, internal::StatementRunner& runner)
        : sink_(sink)
        , runner_(runner) {}
    void begin(const std::vector<Column>& columns, size_t rowsHint) override {
        runner_.onCaller([&] { sink_.begin(columns, rowsHint); });
    }
    void row(std::vector<QVariant>& values) override { sink_.row(values); }
    bool takesStoredDateTimes() const override { return sink_.takesStoredDateTimes(); }

private:
    RowSink& sink_;
    internal::StatementRunner& runner_;
};

} // namespace

WaitPurpose::WaitPurpose(Connection& connection, const QString& what, bool cancellable)
    : connection_(connection)
    , what_(std::exchange(connection.waitingFor_, what))
    , cancellable_(std::exchange(connection.cancellable_, cancellable)) {}

WaitPurpose::~WaitPurpose() {
    connection_.waitingFor_ = what_;
    connection_.cancellable_ = cancellable_;
}

Connection::Connection(QObject* parent)
    : QObject(parent) {
    fixTimeZoneLookup();
}

Connection::~Connection() {
    close();
}

void Connection::setWaitHook(WaitHook hook) {
    waitHook_ = std::move(hook);
}

bool Connection::offThread() const {
    const QCoreApplication* app = QCoreApplication::instance();
    return waitHook_.show && app != nullptr && QThread::currentThread() == app->thread() &&
           !(runner_ && runner_->onWorker());
}

void Connection::cancelStatement() {
    cancelled_ = true;
    if (driver_)
        driver_->cancel();
}

void Connection::perform(int timeoutSeconds, const std::function<void()>& work) {
    if (!offThread()) {
        work();
        return;
    }
    if (performing_)
        throw DatabaseError(ErrorKind::Busy,
                            QStringLiteral("База данных ещё отвечает на предыдущий запрос; "
                                           "повторите действие, когда он закончится."));
    if (!runner_)
        runner_ = std::make_unique<internal::StatementRunner>();
    performing_ = true;
    cancelled_ = false;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{performing_};
    const int limit = timeoutSeconds > 0 ? timeoutSeconds : kDefaultCancelSeconds;
    const QString what = waitingFor_.isEmpty() ? QStringLiteral("ответ базы данных") : waitingFor_;
    const bool cancellable = cancellable_;
    const auto describe = [this, limit, what, cancellable](int seconds) {
        WaitState state;
        state.what = what;
        state.seconds = seconds;
        if (cancellable || seconds >= limit)
            state.cancel = [this] { cancelStatement(); };
        return state;
    };
    try {
        runner_->runWaiting(work, waitHook_, describe);
    } catch (const DatabaseError& e) {
        // A time-out or a lost link that beat the cancel is what the user is told.
        if (!cancelled_ || e.connectionLost() || e.kind() == ErrorKind::TimedOut)
            throw;
        throw DatabaseError(ErrorKind::TimedOut,
                            QStringLiteral("Запрос прерван по вашей команде: %1.").arg(what));
    }
}

void Connection::performQuery(int timeoutSeconds, RowSink& sink,
                              const std::function<void(RowSink&)>& work) {
    if (!offThread()) {
        work(sink);
        return;
    }
    if (!runner_)
        runner_ = std::make_unique<internal::StatementRunner>();
    ColumnsOnCaller onCaller(sink, *runner_);
    perform(timeoutSeconds, [&] { work(onCaller); });
}

void Connection::setConnectionString(const QString& text) {
    settings_ = ConnectionString(text);
}

void Connection::setDriverFactory(DriverFactory factory) {
    factory_ = std::move(factory);
}

void Connection::open() {
    if (connected())
        return;
    driver_.reset();
    std::unique_ptr<Driver> d = factory_ ? factory_(settings_) : makeDefaultDriver(settings_);
    if (!d)
        throw DatabaseError(QStringLiteral("No database driver for this connection string"));
    if (onStatement) {
        for (const QString& sql : sessionStatements_)
            onStatement(sql);
    }
    {
        WaitPurpose purpose(*this, QStringLiteral("соединение с сервером"), false);
        perform(0, [&] {
            d->open(settings_);
            for (const QString& sql : sessionStatements_)
                d->execute(sql);
        });
    }
    driver_ = std::move(d);
    Q_EMIT opened();
}

void Connection::close() {
    if (!driver_)
        return;
    Q_EMIT closing();
    // Closed where it was used; no event loop runs while a connection goes away.
    if (runner_ && !runner_->onWorker())
        runner_->runBlocking([this] { driver_->close(); });
    else
        driver_->close();
    driver_.reset();
}

bool Connection::connected() const {
    return driver_ && driver_->isOpen();
}

void Connection::setSessionStatements(const QStringList& statements) {
    sessionStatements_ = statements;
}

Driver& Connection::driver() {
    open();
    return *driver_;
}

int Connection::execute(const QString& sql, const std::vector<QVariant>& binds) {
    Driver& d = driver();
    if (onStatement)
        onStatement(sql);
    int rows = -1;
    perform(0, [&] { rows = d.execute(sql, binds).rowsAffected; });
    return rows;
}

Result Connection::query(const QString& sql, const std::vector<QVariant>& binds,
                         int timeoutSeconds) {
    Driver& d = driver();
    if (onStatement)
        onStatement(sql);
    Result result;
    perform(timeoutSeconds, [&] { result = d.execute(sql, binds, timeoutSeconds); });
    return result;
}

void Connection::query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
                       RowSink& sink) {
    Driver& d = driver();
    if (onStatement)
        onStatement(sql);
    performQuery(timeoutSeconds, sink, [&](RowSink& s) { d.query(sql, binds, timeoutSeconds, s); });
}

Result Connection::callProcedure(const QString& name, Parameters& parameters, int timeoutSeconds) {
    Driver& d = driver();
    if (onStatement)
        onStatement(name);
    Result result;
    perform(timeoutSeconds, [&] { result = d.callProcedure(name, parameters, timeoutSeconds); });
    return result;
}

void Connection::queryProcedure(const QString& name, Parameters& parameters, int timeoutSeconds,
                                RowSink& sink) {
    Driver& d = driver();
    if (onStatement)
        onStatement(name);
    performQuery(timeoutSeconds, sink,
                 [&](RowSink& s) { d.queryProcedure(name, parameters, timeoutSeconds, s); });
}

QVariant Connection::lastInsertId() {
    Driver& d = driver();
    QVariant id;
    perform(0, [&] { id = d.lastInsertId(); });
    return id;
}

} // namespace db
