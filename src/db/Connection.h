// The database connection of the data-access layer.
#pragma once

#include "db/ConnectionString.h"
#include "db/DatabaseWait.h"
#include "db/Driver.h"

#include <QObject>

#include <atomic>

#include <functional>
#include <memory>

namespace db {

namespace internal {
class StatementRunner;
}

// Makes the driver for a connection string.
using DriverFactory = std::function<std::unique_ptr<Driver>(const ConnectionString&)>;

// The default choice: an embedded file (Data Source ending in ".sqlite") gets the plain
// SQLite driver, anything else the SQL Server driver through ODBC and FreeTDS.
std::unique_ptr<Driver> makeDefaultDriver(const ConnectionString& settings);

// A connection chooses its driver by the connection string when it opens. Statements sent
// while closed open it on demand, as an ADO connection does; so does the first statement after
// the driver found the link lost and closed itself.
//
// With a wait hook installed, every statement (and the open) runs on a worker thread of the
// connection while the calling thread waits in an event loop that paints but drops input, so a
// handler still goes on only once its statement has ended. A statement asked for while one is
// waited for (a timer's handler during the wait) is refused as busy: it would run inside the
// other's transaction. Without a hook, statements run on the calling thread.
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    QString connectionString() const { return settings_.text(); }
    void setConnectionString(const QString& text);
    // Replaces the default driver choice (the embedded server installs its own).
    void setDriverFactory(DriverFactory factory);

    void open();
    void close();
    bool connected() const;

    // A statement without rows; returns the rows it changed (-1 when unknown).
    int execute(const QString& sql, const std::vector<QVariant>& binds = {});
    // A statement that returns rows.
    Result query(const QString& sql, const std::vector<QVariant>& binds = {},
                 int timeoutSeconds = 0);
    // The same, each row handed to `sink` as the driver reads it.
    void query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
               RowSink& sink);
    Result callProcedure(const QString& name, Parameters& parameters, int timeoutSeconds = 0);
    // A procedure's rows, handed to sink as they are read where the driver can.
    void queryProcedure(const QString& name, Parameters& parameters, int timeoutSeconds,
                        RowSink& sink);

    // Installs how waits are shown and moves the statements off the calling thread.
    void setWaitHook(WaitHook hook);
    // Asks the driver to cancel the statement that runs now (from the notice, another thread
    // may call it); the statement then fails with a Russian text saying it was cancelled.
    void cancelStatement();

    // The key the last INSERT created.
    QVariant lastInsertId();

    // The open driver; opens the connection when needed.
    Driver& driver();

    // Statements that set up a session (SET DATEFORMAT dmy, ...): sent again, in order, each
    // time the connection opens, so a connection reopened after a lost link behaves as the
    // first one did. Setting them sends nothing now.
    void setSessionStatements(const QStringList& statements);
    QStringList sessionStatements() const { return sessionStatements_; }

    // A write transaction is open (see Transaction).
    bool inTransaction() const { return transactionDepth_ > 0; }

    // Every statement text sent, in order, while a listener is set (tests capture them).
    std::function<void(const QString&)> onStatement;

Q_SIGNALS:
    void opened();
    void closing();

private:
    friend class Transaction;
    friend class WaitPurpose;

    // Runs one call of the driver: on the worker while the caller waits when a hook is
    // installed, here otherwise.
    void perform(int timeoutSeconds, const std::function<void()>& work);
    // A row sink whose columns are taken on the waiting thread.
    void performQuery(int timeoutSeconds, RowSink& sink, const std::function<void(RowSink&)>& work);
    bool offThread() const;

    ConnectionString settings_;
    DriverFactory factory_;
    std::unique_ptr<Driver> driver_;
    QStringList sessionStatements_;
    int transactionDepth_ = 0;
    bool givenUp_ = false;
    WaitHook waitHook_;
    std::unique_ptr<internal::StatementRunner> runner_;
    QString waitingFor_;
    bool cancellable_ = false;
    bool performing_ = false;
    std::atomic<bool> cancelled_{false};
};

} // namespace db
