#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/SqliteDriver.h"

namespace db {

std::unique_ptr<Driver> makeDefaultDriver(const ConnectionString& settings) {
    if (settings.isEmbedded())
        return std::make_unique<SqliteDriver>();
    throw DatabaseError(QStringLiteral("[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does "
                                       "not exist or access denied."));
}

} // namespace db
