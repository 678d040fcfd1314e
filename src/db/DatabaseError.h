// The two exceptions of the data-access layer.
#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// What a failure means for the user's work; set where the error is raised, so that nobody
// has to read it out of the text.
enum class ErrorKind {
    Other,
    Conflict,       // the row was changed or deleted by someone else since it was read
    RightRefused,   // the login lacks the right
    ConnectionLost, // the link to the server is gone
    Busy,           // another writer holds the database, or a write was cut short
    TimedOut,       // the statement's time-out expired
    FileGone,       // the database file is missing, unreadable or replaced
    ValueRefused,   // a constraint or the column's type refused the value
    AuditRefused,   // the audit record that goes with a change was refused, so was the change
};

// A failure reported by a database or by the data-access layer. The text is the database's
// own, without the driver's "[...]" prefixes, or a sentence naming the field or text at fault.
// A database error also keeps its SQLSTATE and the server's native error number.
class DatabaseError : public std::runtime_error {
public:
    // The kind follows from the SQLSTATE and the native number where the server gives them.
    explicit DatabaseError(const QString& message, const QString& sqlState = {},
                           int nativeError = 0);
    DatabaseError(ErrorKind kind, const QString& message);
    QString message() const { return message_; }
    QString sqlState() const { return sqlState_; }
    int nativeError() const { return nativeError_; }
    ErrorKind kind() const { return kind_; }
    // The link to the server is gone (SQLSTATE class 08): the statement did not complete,
    // and the next one opens a new connection.
    bool connectionLost() const;

private:
    QString message_;
    QString sqlState_;
    int nativeError_ = 0;
    ErrorKind kind_ = ErrorKind::Other;
};

// A silent cancel: the operation stops and nobody is told.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace db
