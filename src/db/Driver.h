// The interface every database driver implements.
#pragma once

#include "db/ConnectionString.h"
#include "db/Parameter.h"
#include "db/Result.h"
#include "db/RowSink.h"

#include <QString>
#include <QVariant>

namespace db {

// One open session with a database. Every failure is a DatabaseError with the database's
// own text, unchanged.
class Driver {
public:
    virtual ~Driver() = default;

    virtual void open(const ConnectionString& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Runs one statement with positional '?' parameters; returns its rows (if it has any)
    // or the number of rows it changed. timeoutSeconds 0 means the driver's default.
    virtual Result execute(const QString& sql, const std::vector<QVariant>& binds = {},
                           int timeoutSeconds = 0) = 0;

    // Runs a statement that returns rows, handing each row to `sink` as it is read. A driver
    // that cannot hand them over one by one reads them all first.
    virtual void query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
                       RowSink& sink) {
        sink.take(execute(sql, binds, timeoutSeconds));
    }

    // Calls a stored procedure. The name may carry a ";1" group number. Parameters go in
    // order; the return-value parameter, if any, is first and receives the return code.
    virtual Result callProcedure(const QString& name, Parameters& parameters,
                                 int timeoutSeconds = 0) = 0;

    // Calls a stored procedure that returns rows, handing each row to `sink` as it is read. A
    // driver that cannot hand them over one by one reads them all first.
    virtual void queryProcedure(const QString& name, Parameters& parameters, int timeoutSeconds,
                                RowSink& sink) {
        sink.take(callProcedure(name, parameters, timeoutSeconds));
    }

    // Asks the statement that runs now to stop; called from another thread than the one that
    // runs it, and harmless when none runs. The statement then fails as the driver reports.
    virtual void cancel() {}

    // The key the last INSERT created in an auto-increment column.
    virtual QVariant lastInsertId() = 0;

    // Write transactions that group several statements (the embedded server's procedures).
    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
};

} // namespace db
