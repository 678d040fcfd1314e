// XLSX through libxlsxwriter: one worksheet, bold column titles with the rows below them
// scrolling under a frozen pane, dates as date cells, columns as wide as their contents.
#pragma once

#include <QByteArray>
#include <QString>

namespace reports {

struct SheetTable;

// The file's bytes; empty, with the reason in error, when the library failed.
QByteArray toXlsx(const SheetTable& table, QString* error = nullptr);

} // namespace reports
