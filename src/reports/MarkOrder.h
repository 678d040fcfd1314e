// The order in which marks are listed and charted: best first, then the passes and the
// failures of a credit, the absences, and any other name; never the order of the data.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace reports {

// The mark's place: 0 for "отлично" (also "отл.", "5"), 1 "хорошо", 2 "удовлетворительно",
// 3 "неудовлетворительно", then "зачтено", "не зачтено", "неявка", "не допущен",
// "не аттестован", "не изучает"; any other name after them, "без оценки" last.
int markRank(const QString& name);

// Sorts counts of marks by their place; names of one place by their text.
void sortByMarkOrder(QList<QPair<QString, int>>& counts);

} // namespace reports
