// The DSN-less FreeTDS connection string built from the client's ADO-style settings.
#pragma once

#include "db/ConnectionString.h"

#include <QString>

namespace db {

// The ODBC driver name FreeTDS is registered under (odbcinst.ini).
inline constexpr const char* kFreeTdsDriverName = "FreeTDS";

// Data Source "HOST", "HOST\INSTANCE" or "HOST,PORT" (an optional "tcp:" prefix and "(local)"
// or "." for this machine are understood), Initial Catalog, User ID and Password become
// Server, Port, Database, UID and PWD; the application name is "KEL 14"; TDS 7.4 and UTF-8
// client text keep Cyrillic intact.
QString freeTdsConnectionString(const ConnectionString& settings);

// Where a Data Source points: "HOST", "HOST\INSTANCE" or "HOST,PORT", with an optional "tcp:"
// prefix; "(local)" and "." become localhost.
struct ServerAddress {
    QString host;
    QString instance;
    QString port;
};
ServerAddress serverAddress(QString dataSource);

// One ODBC attribute value as FreeTDS 1.3 reads it back unchanged: braced only for a leading
// '{' or spaces at its ends, '}' never doubled.
QString odbcAttributeValue(const QString& value);

} // namespace db
