// The data-access layer's error with the database's SQLSTATE and native number.
#include "db/DatabaseError.h"

namespace db {
namespace {

// SQL Server's numbers and the ODBC states for the kinds a user must be told apart.
ErrorKind kindOf(const QString& sqlState, int native) {
    if (sqlState.startsWith(QLatin1String("08")))
        return ErrorKind::ConnectionLost;
    if (sqlState == QLatin1String("HYT00") || sqlState == QLatin1String("HYT01"))
        return ErrorKind::TimedOut;
    switch (native) {
    case 229: // permission denied on the object
    case 230: // permission denied on a column
    case 262: // permission denied in the database
    case 300:
        return ErrorKind::RightRefused;
    case 1205: // chosen as the deadlock victim
    case 1222: // lock request time-out
        return ErrorKind::Busy;
    case 515: // NULL into a NOT NULL column
    case 547: // constraint
    case 2601:
    case 2627: // unique key
    case 245:
    case 8114: // conversion
        return ErrorKind::ValueRefused;
    default:
        break;
    }
    if (sqlState.startsWith(QLatin1String("23")) || sqlState.startsWith(QLatin1String("22")))
        return ErrorKind::ValueRefused;
    return ErrorKind::Other;
}

} // namespace

DatabaseError::DatabaseError(const QString& message, const QString& sqlState, int nativeError)
    : std::runtime_error(message.toStdString())
    , message_(message)
    , sqlState_(sqlState)
    , nativeError_(nativeError)
    , kind_(kindOf(sqlState, nativeError)) {}

DatabaseError::DatabaseError(ErrorKind kind, const QString& message)
    : std::runtime_error(message.toStdString())
    , message_(message)
    , kind_(kind) {}

bool DatabaseError::connectionLost() const {
    return kind_ == ErrorKind::ConnectionLost;
}

} // namespace db
