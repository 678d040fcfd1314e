// The two exceptions of the data-access layer.
#pragma once

#include <QString>

#include <stdexcept>

namespace db {

// A failure reported by a database or by the data-access layer; the text is the driver's,
// unchanged, or a plain English sentence naming the field or text at fault.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

// A silent cancel: the operation stops and nobody is told.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace db
