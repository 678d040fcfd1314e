#include "db/Connection.h"

#include "db/DatabaseError.h"

#include <QFileInfo>

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

} // namespace

Connection::Connection(QObject* parent)
    : QObject(parent) {
    fixTimeZoneLookup();
}

Connection::~Connection() {
    close();
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
    d->open(settings_);
    for (const QString& sql : sessionStatements_) {
        if (onStatement)
            onStatement(sql);
        d->execute(sql);
    }
    driver_ = std::move(d);
    Q_EMIT opened();
}

void Connection::close() {
    if (!driver_)
        return;
    Q_EMIT closing();
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
    return d.execute(sql, binds).rowsAffected;
}

Result Connection::query(const QString& sql, const std::vector<QVariant>& binds,
                         int timeoutSeconds) {
    Driver& d = driver();
    if (onStatement)
        onStatement(sql);
    return d.execute(sql, binds, timeoutSeconds);
}

void Connection::query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
                       RowSink& sink) {
    Driver& d = driver();
    if (onStatement)
        onStatement(sql);
    d.query(sql, binds, timeoutSeconds, sink);
}

Result Connection::callProcedure(const QString& name, Parameters& parameters, int timeoutSeconds) {
    Driver& d = driver();
    if (onStatement)
        onStatement(name);
    return d.callProcedure(name, parameters, timeoutSeconds);
}

void Connection::queryProcedure(const QString& name, Parameters& parameters, int timeoutSeconds,
                                RowSink& sink) {
    Driver& d = driver();
    if (onStatement)
        onStatement(name);
    d.queryProcedure(name, parameters, timeoutSeconds, sink);
}

} // namespace db
