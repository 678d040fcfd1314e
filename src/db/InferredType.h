// The field type of a column whose type the database does not declare (an expression, a
// procedure's result), judged from a value it holds.
#pragma once

#include "db/Result.h"

#include <QVariant>

namespace db {

// Unknown for a null, which tells nothing.
FieldType inferredType(const QVariant& value);

} // namespace db
