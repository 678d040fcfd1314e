// One SQLite statement stepped through the sqlite3 handle itself: each value is read once,
// straight into the type its column declares, with no driver-side copy of the rows.
#pragma once

#include "db/DatabaseError.h"
#include "db/Result.h"

#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// SQLite's own failure, with its primary result code (SQLITE_BUSY, ...).
// What SQLite's primary result code means for the user's work.
ErrorKind kindOfEngineCode(int code);

class SqliteError : public DatabaseError {
public:
    SqliteError(const QString& message, int code)
        : DatabaseError(kindOfEngineCode(code), message)
        , code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

class SqliteStatement {
public:
    // Prepares one statement with positional '?' parameters. Named parameters from typed
    // text, a second statement and SQLite's own errors throw DatabaseError.
    SqliteStatement(sqlite3* handle, const QString& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Binds one value per '?', in order, as SQLite stores them.
    void bind(const std::vector<QVariant>& binds);
    bool returnsRows() const;
    // The columns as their declared types describe them (Unknown for expressions).
    std::vector<Column> columns() const;
    // Steps to the next row; false at the end. A failed step throws.
    bool next();
    // The current row's value in `column`, converted to `type` (see sqlite::fromStored). With
    // `storedDateTimes`, a DateTime column's canonical texts come as LocalDateTime.
    QVariant value(int column, FieldType type, bool storedDateTimes = false) const;
    // Runs a statement without rows to its end.
    void run();

private:
    [[noreturn]] void fail(int code) const;

    sqlite3* handle_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace db
