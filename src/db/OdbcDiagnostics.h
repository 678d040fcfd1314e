// Turning an ODBC handle's diagnostic records into a DatabaseError.
#pragma once

#include "db/DatabaseError.h"

#include <QString>

namespace db::odbc {

// One line of a driver's message without its "[vendor][component]" prefixes.
QString withoutDriverPrefixes(const QString& line);

// The handle's diagnostic records as one error: the server's messages, one line each without
// prefixes (the driver's own lines only when the server sent none). It keeps the SQLSTATE and
// native number of the record that says most: a lost link, else the server's first error,
// else the first record that is not a mere warning (class 01).
DatabaseError diagnosticsError(short handleType, void* handle);

} // namespace db::odbc
