// The data-access layer's error with the database's SQLSTATE and native number.
#include "db/DatabaseError.h"

namespace db {

DatabaseError::DatabaseError(const QString& message, const QString& sqlState, int nativeError)
    : std::runtime_error(message.toStdString())
    , message_(message)
    , sqlState_(sqlState)
    , nativeError_(nativeError) {}

bool DatabaseError::connectionLost() const {
    return sqlState_.startsWith(QLatin1String("08"));
}

} // namespace db
