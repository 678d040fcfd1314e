// SQL Server through Qt's ODBC driver, unixODBC and FreeTDS.
#pragma once

#include "db/Driver.h"
#include "db/OdbcLinkSocket.h"

#include <memory>
#include <mutex>

namespace db {

namespace odbc {
class ValueCodec;
}

// The connection is an ODBC handle of its own, so that a failed sign-in keeps the driver's
// diagnostics (SQLSTATE, native number) and a dead link can be asked about; statements run on
// it through db::odbc::Statement. Every statement is forward-only and read to its last result,
// so the connection is free after each call.
//
// A statement that finds the link gone (SQLSTATE class 08, or the driver calling the
// connection dead) closes the connection and fails with connectionLost(); the next statement
// opens it again. On SQL Server every open sends SET NOCOUNT OFF, so updates report counts.
//
// open() takes the client's connection string and reaches SQL Server through FreeTDS
// (freeTdsConnectionString). A connection string that names its own ODBC "Driver" is handed
// to ODBC unchanged instead, e.g. "Driver=SQLite3;Database=/tmp/x.sqlite"; openOdbc() does the
// same with an ODBC connection string given directly.
class OdbcDriver : public Driver {
public:
    // Statements without their own time-out stop after this many seconds, as ADO commands do.
    static constexpr int kDefaultTimeoutSeconds = 30;
    // How long a login may take before it counts as an unreachable server.
    static constexpr int kLoginTimeoutSeconds = 15;
    // How long the SQL Server Browser may take to name an instance's port; twice this (the
    // sign-in opens twice) stays within the login time-out.
    static constexpr int kInstanceLookupMs = 5000;

    OdbcDriver();
    ~OdbcDriver() override;
    OdbcDriver(const OdbcDriver&) = delete;
    OdbcDriver& operator=(const OdbcDriver&) = delete;

    void open(const ConnectionString& settings) override;
    void openOdbc(const QString& odbcConnectionString);
    void close() override;
    bool isOpen() const override;
    Result execute(const QString& sql, const std::vector<QVariant>& binds = {},
                   int timeoutSeconds = 0) override;
    // Calls "{? = call name(?,...)}" (or "{call name(...)}" without a return value); the
    // return code and every output parameter are written back into the parameters.
    Result callProcedure(const QString& name, Parameters& parameters,
                         int timeoutSeconds = 0) override;
    QVariant lastInsertId() override;
    void cancel() override; // SQLCancel on the running statement
    void beginTransaction() override;
    void commit() override;
    void rollback() override;

    // The DBMS name the driver reports ("Microsoft SQL Server", "SQLite", ...) while open.
    QString dbmsName() const { return dbmsName_; }

private:
    // `port`, when known, tells the connection's socket apart from others opened meanwhile.
    void openOdbc(const QString& odbcConnectionString, int port);
    void* connectionHandle() const;
    // Chosen by the DBMS the connection reached; set while open.
    const odbc::ValueCodec& codec() const;
    [[noreturn]] void failOnConnection();
    void setAutoCommit(bool on);
    // Runs a statement; a failure that finds the link gone closes the connection first.
    template <typename Work> Result guarded(Work work);

    // The connection's socket, when it could be told apart, for statements the driver
    // outlives their time-out on.
    odbc::LinkSocket link_;
    void* environment_ = nullptr;
    void* connection_ = nullptr;
    QString dbmsName_;
    std::unique_ptr<odbc::ValueCodec> codec_;
    // The statement handle that runs now, for a cancel from another thread.
    std::mutex runningMutex_;
    void* running_ = nullptr;
    friend class RunningStatement;
};

// The user's message for a statement that found the link to the server gone.
QString connectionLostMessage();
// The user's message when no server answered the connect or the login in time.
QString serverUnreachableMessage();
// The user's message when no SQL Server Browser named the port of "HOST\INSTANCE".
QString instanceNotFoundMessage(const QString& dataSource);

// The ODBC call escape for a procedure: its ";n" group number dropped, one marker per
// parameter, and the return-value parameter (when it comes first) as "? =".
QString odbcCallEscape(const QString& procedureName, const std::vector<Parameter>& parameters);

} // namespace db
