// The KEL_CI collation: names compared without regard to case, Cyrillic included.
#pragma once

#include <QStringView>

#include <string_view>

namespace embedded {

// <0, 0 or >0. Folds to lower case with Ё as Е; names equal so far compare as written.
int compareNames(QStringView a, QStringView b);
// The same order on UTF-8 text, as SQLite stores it, so that it need not convert per call.
int compareNamesUtf8(std::string_view a, std::string_view b);

} // namespace embedded
