// The @DoNotShow condition of the journal procedure, read and rebuilt, never spliced.
#pragma once

#include <QString>

namespace embedded {

// Reads a condition made of comparisons (=, <>, !=, <, >, <=, >=) between journal columns
// and integer literals, "column [NOT] IN (integers)", "column IS [NOT] NULL", AND, OR, NOT
// and parentheses ("1=1", "(id_estimation <> 25)", "(id_estimation in(8, 9, 10, 11, 16))").
// Returns the same condition written by the server, columns qualified with the given table
// alias; an empty or null condition gives "1=1". Throws db::DatabaseError for anything else.
QString journalCondition(const QString& condition, const QString& alias);

} // namespace embedded
