// The mark sheet's outputs: print preview, printing, and files in PDF, XLSX and CSV.
#pragma once

#include "reports/ReportFiles.h"

#include <QString>

class QIODevice;
class QWidget;

namespace reports {

struct MarkSheet;

// The PDF of the sheet, fonts embedded.
bool writeMarkSheetPdf(const MarkSheet& sheet, QIODevice& out);

// A modal preview from which the user may print.
void previewMarkSheet(QWidget* owner, const MarkSheet& sheet);
// The printer dialog, then the sheet on the chosen printer.
void printMarkSheet(QWidget* owner, const MarkSheet& sheet);
// Asks for a file and saves the sheet in it; returns the path written or an empty text.
QString saveMarkSheet(QWidget* owner, const MarkSheet& sheet, FileKind kind);

} // namespace reports
