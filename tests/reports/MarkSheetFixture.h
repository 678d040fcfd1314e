// Mark sheets built by hand, for the outputs' tests and benchmarks.
#pragma once

#include "reports/MarkSheet.h"

namespace reportstest {

inline reports::MarkSheet sampleSheet(int students) {
    reports::MarkSheet sheet;
    sheet.heading.info = QStringLiteral("[Информатика] [2023-2024]");
    sheet.heading.group = QStringLiteral("ИВТ-21");
    sheet.heading.semester = QStringLiteral("Весенний");
    sheet.heading.discipline = QStringLiteral("Математика");
    sheet.heading.formOfControl = QStringLiteral("Экзамен");
    sheet.teachers = {QStringLiteral("Сергеев С.С.")};
    sheet.printedOn = QDate(2024, 6, 21);
    const QString marks[] = {QStringLiteral("отлично"), QStringLiteral("удовл."), QString()};
    for (int i = 0; i < students; ++i) {
        reports::MarkSheetRow row;
        row.number = i + 1;
        row.student = QStringLiteral("Студент%1 Иван").arg(i + 1, 4, 10, QLatin1Char('0'));
        row.code = QStringLiteral("A-%1").arg(i + 1);
        row.mark = marks[i % 3];
        row.sheetNumber = QString::number(100 + i);
        row.handedIn = i % 3 == 2 ? QDate() : QDate(2024, 6, 20);
        sheet.rows.append(row);
    }
    return sheet;
}

} // namespace reportstest
