// The connection string both sign-in connections are opened with.
#pragma once

#include <QString>

namespace signin {

// The fixed template filled with the four values as they are, unquoted.
QString BuildConnectionString(const QString& userId, const QString& password,
                              const QString& initialCatalog, const QString& dataSource);

// The message with every occurrence of the login removed (exact, left to right).
QString RemoveUserId(const QString& message, const QString& userId);

} // namespace signin
