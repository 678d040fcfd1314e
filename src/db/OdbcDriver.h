// SQL Server through Qt's ODBC driver, unixODBC and FreeTDS.
#pragma once

#include "db/Driver.h"

#include <QSqlDatabase>

namespace db {

// Qt opens, closes and runs the transactions of the ODBC connection; statements run on its
// native handle (db::odbc::Statement). QSqlQuery binds output parameters to buffers that die
// with exec(), while SQL Server sends them after a procedure's rows; it also offers no
// statement time-out. Every statement is forward-only and read to its last result, so the
// connection is free after each call.
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
    void beginTransaction() override;
    void commit() override;
    void rollback() override;

    // The DBMS name the driver reports ("Microsoft SQL Server", "SQLite", ...) while open.
    QString dbmsName() const { return dbmsName_; }

private:
    void* connectionHandle() const;
    [[noreturn]] void failWithQtError() const;

    QSqlDatabase db_;
    QString connectionName_;
    QString dbmsName_;
};

// The ODBC call escape for a procedure: its ";n" group number dropped, one marker per
// parameter, and the return-value parameter (when it comes first) as "? =".
QString odbcCallEscape(const QString& procedureName, const std::vector<Parameter>& parameters);

} // namespace db
