// CSV as a spreadsheet in a Russian locale opens it without asking: UTF-8 with a byte-order
// mark, ";" between fields, CR LF line ends, dates as dd.MM.yyyy.
#pragma once

#include <QByteArray>

namespace reports {

struct SheetTable;

QByteArray toCsv(const SheetTable& table);

} // namespace reports
