// A report as spreadsheet cells: a title block, one header row, the data rows and a footer.
// The CSV and XLSX writers both write it, so the two files hold the same cells.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace reports {

struct MarkSheet;

struct SheetTable {
    QString name;                // the worksheet's name
    QList<QList<QVariant>> rows; // QString, int, double or QDate cells; invalid = empty
    int headerRow = -1;          // the row of column titles (bold, frozen below)
    QList<int> boldRows;         // further rows in bold: a title, a second table's titles
    int columnCount() const;
};

SheetTable markSheetTable(const MarkSheet& sheet);

// The title lines that head every output of a mark sheet.
QStringList markSheetTitleLines(const MarkSheet& sheet);
// The column titles of the mark sheet's table.
QStringList markSheetColumnTitles();

} // namespace reports
