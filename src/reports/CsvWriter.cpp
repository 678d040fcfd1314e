#include "reports/CsvWriter.h"

#include "db/SqlText.h"
#include "db/ValueCompare.h"

#include "reports/SheetTable.h"

#include <QDate>

namespace reports {
namespace {

QString fieldText(const QVariant& cell) {
    if (db::isNullValue(cell))
        return {};
    if (cell.typeId() == QMetaType::QDate)
        return cell.toDate().toString(db::dayFormat());
    if (cell.typeId() == QMetaType::Double)
        return QString::number(cell.toDouble(), 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
    QString text = cell.toString();
    // A spreadsheet runs a text that starts like a formula; a leading apostrophe keeps it a
    // text. Numbers are not texts here, so a negative number stays a number.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (cell.typeId() == QMetaType::QString && !text.isEmpty() && formulaStarts.contains(text[0]))
        text.prepend(QLatin1Char('\''));
    return text;
}

QString quoted(const QString& text) {
    const bool needs = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!needs)
        return text;
    QString out = text;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

QByteArray toCsv(const SheetTable& table) {
    QString out;
    for (const auto& row : table.rows) {
        QStringList fields;
        for (const QVariant& cell : row)
            fields << quoted(fieldText(cell));
        out += fields.join(QLatin1Char(';'));
        out += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace reports
