// What the authorizer cannot see of a client statement, and the functions it may call.
#pragma once

#include <QString>

namespace embedded {

// True when the statement resolves a conflict by deleting the rows in the way (INSERT OR
// REPLACE, REPLACE INTO, UPDATE OR REPLACE): SQLite reports only the insert or update.
bool deletesOnConflict(const QString& sql);

// True for the functions a client statement may call: SQLite's plain scalar, aggregate and
// window functions and the server's own, never an extension's or the library's internals.
bool isAllowedFunction(const QString& name);

} // namespace embedded
