#include "reports/SheetTable.h"

#include "reports/MarkSheet.h"

namespace reports {

int SheetTable::columnCount() const {
    qsizetype widest = 0;
    for (const auto& row : rows)
        widest = qMax(widest, row.size());
    return int(widest);
}

QStringList markSheetTitleLines(const MarkSheet& sheet) {
    const MarkSheetHeading& h = sheet.heading;
    QStringList lines;
    if (!h.info.trimmed().isEmpty())
        lines << h.info.trimmed();
    lines << QStringLiteral("Группа: ") + h.group + QStringLiteral("    Семестр: ") + h.semester;
    lines << QStringLiteral("Дисциплина: ") + h.discipline;
    lines << QStringLiteral("Форма контроля: ") + h.formOfControl;
    lines << QStringLiteral("Преподаватель: ") + sheet.teachers.join(QStringLiteral(", "));
    if (!h.filter.isEmpty())
        lines << QStringLiteral("Отбор: ") + h.filter;
    return lines;
}

QStringList markSheetColumnTitles() {
    return {QStringLiteral("П/П"),    QStringLiteral("Студент"), QStringLiteral("Шифр студента"),
            QStringLiteral("Оценка"), QStringLiteral("№"),       QStringLiteral("Дата сдачи")};
}

SheetTable markSheetTable(const MarkSheet& sheet) {
    SheetTable t;
    t.name = QStringLiteral("Ведомость");
    const auto add = [&t](QList<QVariant> row) { t.rows.push_back(std::move(row)); };
    t.boldRows = {0};
    add({QStringLiteral("ВЕДОМОСТЬ")});
    for (const QString& line : markSheetTitleLines(sheet))
        add({line});
    add({});
    t.headerRow = int(t.rows.size());
    QList<QVariant> titles;
    for (const QString& title : markSheetColumnTitles())
        titles << title;
    add(titles);
    for (const MarkSheetRow& r : sheet.rows)
        add({r.number, r.student, r.code, r.mark, r.sheetNumber,
             r.handedIn.isValid() ? QVariant(r.handedIn) : QVariant()});
    add({});
    add({QStringLiteral("Всего студентов"), int(sheet.rows.size())});
    for (const auto& [mark, count] : sheet.markCounts())
        add({mark, count});
    add({QStringLiteral("Дата печати"), sheet.printedOn});
    return t;
}

} // namespace reports
