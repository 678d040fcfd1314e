// The connection string both sign-in connections are opened with.
#pragma once

#include <QString>

namespace signin {

// The fixed template filled with the four values; a value that holds ';' or starts with a
// quote is quoted so that it reaches the server whole.
QString BuildConnectionString(const QString& userId, const QString& password,
                              const QString& initialCatalog, const QString& dataSource);

// The message with every occurrence of the login removed (exact, left to right).
QString RemoveUserId(const QString& message, const QString& userId);

} // namespace signin
