// SQLite through Qt's SQLite driver, with the hooks the embedded server builds on.
#pragma once

#include "db/Driver.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <atomic>
#include <optional>

struct sqlite3;

namespace db {

// A plain SQLite file. Subclasses (the embedded server) check logins, install an authorizer
// through the native handle, rewrite statements and answer procedures themselves.
class SqliteDriver : public Driver {
public:
    SqliteDriver();
    ~SqliteDriver() override;

    void open(const ConnectionString& settings) override;
    void close() override;
    bool isOpen() const override;
    Result execute(const QString& sql, const std::vector<QVariant>& binds = {},
                   int timeoutSeconds = 0) override;
    void query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
               RowSink& sink) override;
    Result callProcedure(const QString& name, Parameters& parameters,
                         int timeoutSeconds = 0) override;
    QVariant lastInsertId() override;
    void cancel() override;           // sqlite3_interrupt
    void beginTransaction() override; // BEGIN IMMEDIATE
    void commit() override;
    void rollback() override;

    // The native handle while open.
    sqlite3* handle() const;
    QSqlDatabase& database() { return db_; }

    // Runs a statement exactly as given, bypassing intercept and rewrite.
    Result executeRaw(const QString& sql, const std::vector<QVariant>& binds = {});
    // The same, handing the rows to `sink`; returns the rows changed (-1 for rows read).
    int executeRaw(const QString& sql, const std::vector<QVariant>& binds, RowSink& sink);

protected:
    // Called after the file is open (WAL, busy time-out and foreign keys already set); a
    // subclass checks the login here and throws DatabaseError to refuse it.
    virtual void afterOpen(const ConnectionString& settings) { (void)settings; }
    // Gives a subclass the first word on a statement: a result when it answered the
    // statement itself (EXEC ..., SET ...), nothing to let it go on.
    virtual std::optional<Result> intercept(const QString& sql,
                                            const std::vector<QVariant>& binds) {
        (void)sql;
        (void)binds;
        return std::nullopt;
    }
    // Rewrites a statement before SQLite sees it (TOP n, dbo. qualification).
    virtual QString rewrite(const QString& sql) { return sql; }

private:
    // Throws when the file at the database's path is no longer the one open.
    void checkFileInPlace();
    // intercept and rewrite done: the statement under its time-out.
    int run(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
            RowSink& sink);
    int runStatement(const QString& sql, const std::vector<QVariant>& binds, RowSink& sink);

    QSqlDatabase db_;
    QString connectionName_;
    QVariant lastInsertId_;
    // The native handle while open, for a cancel from another thread.
    std::atomic<sqlite3*> interruptible_{nullptr};
};

} // namespace db
