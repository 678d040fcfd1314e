// The XLSX writer inside the output module.
#pragma once

#include <QByteArray>
#include <QString>

namespace reports {

struct SheetTable;

QByteArray writeXlsxBook(const SheetTable& table, QString* error);

} // namespace reports
