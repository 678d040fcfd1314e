#include "reports/MarkOrder.h"

#include "reports/MarkSheet.h"

#include <algorithm>

namespace reports {
namespace {

// Case, "ё", spaces, dots and slashes do not tell marks apart: "Удовл." is "удовл".
QString folded(const QString& name) {
    QString out;
    for (QChar c : name.toLower()) {
        if (c == u'ё')
            c = u'е';
        if (!c.isSpace() && c != u'.' && c != u'/')
            out += c;
    }
    return out;
}

} // namespace

int markRank(const QString& name) {
    const QString f = folded(name);
    if (f == folded(noMarkText()))
        return 100;
    // Longer prefixes first where one begins another ("неуд" before "не...").
    static const std::pair<int, QStringList> places[] = {
        {0, {QStringLiteral("отл"), QStringLiteral("5")}},
        {1, {QStringLiteral("хор"), QStringLiteral("4")}},
        {2, {QStringLiteral("уд"), QStringLiteral("3")}},
        {3, {QStringLiteral("неуд"), QStringLiteral("2")}},
        {4, {QStringLiteral("зач")}},
        {5, {QStringLiteral("незач")}},
        {6, {QStringLiteral("неяв"), QStringLiteral("ня")}},
        {7, {QStringLiteral("недоп")}},
        {8, {QStringLiteral("неатт")}},
        {9, {QStringLiteral("неизуч")}},
    };
    for (const auto& [rank, prefixes] : places)
        for (const QString& prefix : prefixes)
            if (prefix.front().isDigit() ? f == prefix : f.startsWith(prefix))
                return rank;
    return 50;
}

void sortByMarkOrder(QList<QPair<QString, int>>& counts) {
    std::stable_sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        const int ra = markRank(a.first), rb = markRank(b.first);
        if (ra != rb)
            return ra < rb;
        return a.first < b.first; // the same on every machine, whatever its locale
    });
}

} // namespace reports
