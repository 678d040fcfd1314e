// The database connection of the data-access layer.
#pragma once

#include "db/ConnectionString.h"
#include "db/Driver.h"

#include <QObject>

#include <functional>
#include <memory>

namespace db {

// Makes the driver for a connection string.
using DriverFactory = std::function<std::unique_ptr<Driver>(const ConnectionString&)>;

// The default choice: an embedded file (Data Source ending in ".sqlite") gets the plain
// SQLite driver, anything else the SQL Server driver through ODBC and FreeTDS.
std::unique_ptr<Driver> makeDefaultDriver(const ConnectionString& settings);

// A connection chooses its driver by the connection string when it opens. Statements sent
// while closed open it on demand, as an ADO connection does; so does the first statement after
// the driver found the link lost and closed itself.
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

    ConnectionString settings_;
    DriverFactory factory_;
    std::unique_ptr<Driver> driver_;
    QStringList sessionStatements_;
    int transactionDepth_ = 0;
    bool givenUp_ = false;
};

} // namespace db
