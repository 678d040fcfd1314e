// The statements the embedded server answers itself: EXEC of a procedure and SET options.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

namespace embedded {

// EXEC [dbo.]name[;n] arg, ...: each argument a quoted text, an integer or NULL, optionally
// named (@name = value).
struct ExecCall {
    QString procedure; // without schema and group number
    struct Argument {
        QString name; // "" for a positional argument, else without '@'
        QVariant value;
    };
    std::vector<Argument> arguments;
};

// The call, or nothing when the statement is not an EXEC; throws db::DatabaseError for an
// EXEC it cannot read.
std::optional<ExecCall> parseExec(const QString& sql);

// SET option value: option upper-cased ("DATEFORMAT", "NOCOUNT", "TRANSACTION ISOLATION
// LEVEL"), value as written without quotes.
struct SetOption {
    QString option;
    QString value;
};

// The option, or nothing when the statement is not a SET; throws db::DatabaseError for an
// option the server does not know.
std::optional<SetOption> parseSet(const QString& sql);

} // namespace embedded
