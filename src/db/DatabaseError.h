// The two exceptions of the data-access layer.
#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// A failure reported by a database or by the data-access layer. The text is the database's
// own, without the driver's "[...]" prefixes, or a sentence naming the field or text at fault.
// A database error also keeps its SQLSTATE and the server's native error number.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message, const QString& sqlState = {},
                           int nativeError = 0);
    QString message() const { return message_; }
    QString sqlState() const { return sqlState_; }
    int nativeError() const { return nativeError_; }
    // The link to the server is gone (SQLSTATE class 08): the statement did not complete,
    // and the next one opens a new connection.
    bool connectionLost() const;

private:
    QString message_;
    QString sqlState_;
    int nativeError_ = 0;
};

// A silent cancel: the operation stops and nobody is told.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace db
