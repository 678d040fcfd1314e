#include "reports/MarkSheet.h"

#include "db/DataSet.h"
#include "db/Field.h"
#include "reports/MarkOrder.h"

#include <QRegularExpression>

namespace reports {
namespace {

QString text(db::DataSet& journal, const char* name) {
    const db::Field* field = journal.findField(QString::fromLatin1(name));
    return field != nullptr ? field->text().trimmed() : QString();
}

QDate date(db::DataSet& journal, const char* name) {
    const db::Field* field = journal.findField(QString::fromLatin1(name));
    if (field == nullptr || field->isNull())
        return {};
    return field->value().toDateTime().date();
}

} // namespace

QString noMarkText() {
    return QStringLiteral("без оценки");
}

QList<QPair<QString, int>> MarkSheet::markCounts() const {
    QList<QPair<QString, int>> counts;
    int unmarked = 0;
    for (const MarkSheetRow& row : rows) {
        if (row.mark.isEmpty()) {
            ++unmarked;
            continue;
        }
        auto found = std::find_if(counts.begin(), counts.end(),
                                  [&](const auto& c) { return c.first == row.mark; });
        if (found == counts.end())
            counts.append({row.mark, 1});
        else
            ++found->second;
    }
    sortByMarkOrder(counts);
    if (unmarked > 0)
        counts.append({noMarkText(), unmarked});
    return counts;
}

MarkSheet readMarkSheet(db::DataSet& journal, const MarkSheetHeading& heading, QDate printedOn) {
    MarkSheet sheet;
    sheet.heading = heading;
    sheet.printedOn = printedOn;
    if (!journal.active())
        return sheet;
    const int count = journal.visibleRowCount();
    sheet.rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        db::DisplayRowScope at(journal, i);
        MarkSheetRow row;
        row.number = i + 1;
        row.student = text(journal, "student");
        row.code = text(journal, "idid");
        row.mark = text(journal, "estimation");
        row.sheetNumber = text(journal, "p35");
        row.handedIn = date(journal, "p36");
        const QString teacher = text(journal, "teacher");
        if (!teacher.isEmpty() && !sheet.teachers.contains(teacher))
            sheet.teachers.append(teacher);
        sheet.rows.append(row);
    }
    return sheet;
}

QString proposedFileName(const MarkSheetHeading& heading) {
    QStringList parts{QStringLiteral("Ведомость")};
    for (const QString& part : {heading.group, heading.discipline, heading.formOfControl})
        if (!part.trimmed().isEmpty())
            parts.append(part.trimmed());
    // Characters no file system of the staff's machines takes in a name.
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return parts.join(QLatin1Char(' ')).replace(unsafe, QStringLiteral("_"));
}

} // namespace reports
