// The T-SQL forms the client sends, turned into SQLite's: TOP n, dbo. names, N'' texts and
// date literals compared with or assigned to date columns.
#pragma once

#include "embedded/DateLiteral.h"

#include <QSet>
#include <QString>

namespace embedded {

// Rewrites one statement. dateColumns holds the lower-case names of the date columns;
// a quoted date next to one of them (col = '05.04.2024', '...' < col, col BETWEEN '...' AND
// '...') becomes canonical text read in the given order. Throws db::DatabaseError for a
// date that cannot be read and for TOP forms SQLite cannot express.
QString rewriteTsql(const QString& sql, DateOrder order, const QSet<QString>& dateColumns);

} // namespace embedded
