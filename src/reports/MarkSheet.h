// The mark sheet of one loaded journal: what every output (print, PDF, XLSX, CSV) shows.
#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace db {
class DataSet;
}

namespace reports {

// What the main window's selectors and information strip say about the journal.
struct MarkSheetHeading {
    QString info; // faculty and speciality, as in the information strip
    QString group;
    QString semester;
    QString discipline;
    QString formOfControl;
    QString filter; // the filter's text while one narrows the rows; empty otherwise
};

struct MarkSheetRow {
    int number = 0;
    QString student;
    QString code;
    QString mark;
    QString sheetNumber;
    QDate handedIn;
};

struct MarkSheet {
    MarkSheetHeading heading;
    QStringList teachers; // in order of first appearance
    QList<MarkSheetRow> rows;
    QDate printedOn;

    // Each mark with its number of rows, in the order of the marks (markRank); rows without
    // a mark count under "без оценки", last.
    QList<QPair<QString, int>> markCounts() const;
};

// The text under which rows without a mark are counted.
QString noMarkText();

// Reads the journal's rows as shown (its order, under its filter).
MarkSheet readMarkSheet(db::DataSet& journal, const MarkSheetHeading& heading, QDate printedOn);

// A file name (without folder or suffix) from the group, discipline and form of control.
QString proposedFileName(const MarkSheetHeading& heading);

} // namespace reports
