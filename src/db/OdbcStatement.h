// One ODBC statement on an open connection: it binds, runs, reads every result and frees itself.
#pragma once

#include "db/OdbcLinkSocket.h"
#include "db/Parameter.h"
#include "db/Result.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace db::odbc {

struct Slot;
class StatementWatchdog;

// What one '?' of a statement carries.
struct Argument {
    QString name; // for error messages; may be empty
    ParameterDirection direction = ParameterDirection::Input;
    FieldType type = FieldType::Unknown; // Unknown: taken from the value
    int size = 0;                        // characters an output text may hold; 0: a default
    QVariant value;                      // receives the output of non-input arguments
};

// Owns an ODBC statement handle. The handle is forward-only and read-only, and every call
// reads its results to the end, so the connection is free again when run() returns.
class Statement {
public:
    // `link`, when known, is cut if the driver outlives a statement's time-out by much.
    explicit Statement(void* connectionHandle, const LinkSocket& link = {});
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Runs the text with its arguments. The first result with columns becomes the rows; later
    // results are drained, and their errors are dropped once rows are in hand (except a lost
    // link). rowsAffected is the last count the server sent; -1 when it sent none (NOCOUNT).
    // Output arguments are filled once every result has been read (the server sends them
    // last). timeoutSeconds <= 0 leaves the driver's own limit; otherwise the call returns
    // within about that long after the server last answered, its link cut if need be.
    Result run(const QString& sql, std::vector<Argument>& arguments, int timeoutSeconds);
    void* handle() const { return handle_; }

private:
    Result runWatched(void* handle, const QString& text, std::vector<Argument>& arguments,
                      std::vector<Slot>& bound, StatementWatchdog* watchdog);

    void* handle_ = nullptr;
    LinkSocket link_;
};

} // namespace db::odbc
