// The driver a connection gets unless told otherwise: the embedded file or SQL Server.
#include "db/Connection.h"
#include "db/OdbcDriver.h"
#include "db/SqliteDriver.h"

namespace db {

std::unique_ptr<Driver> makeDefaultDriver(const ConnectionString& settings) {
    if (settings.isEmbedded())
        return std::make_unique<SqliteDriver>();
    return std::make_unique<OdbcDriver>();
}

} // namespace db
