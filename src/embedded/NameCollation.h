// The KEL_CI collation: names compared without regard to case, Cyrillic included.
#pragma once

#include <QStringView>

namespace embedded {

// <0, 0 or >0. Folds to lower case with Ё as Е; names equal so far compare as written.
int compareNames(QStringView a, QStringView b);

} // namespace embedded
