#include "reports/XlsxBook.h"

#include "db/ValueCompare.h"
#include "reports/SheetTable.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace reports {
namespace {

QString displayed(const QVariant& cell) {
    if (cell.typeId() == QMetaType::QDate)
        return QStringLiteral("00.00.0000");
    return cell.toString();
}

// Characters wide enough for the header row and everything below it; the title block's
// long lines may run across empty cells.
QList<double> columnWidths(const SheetTable& table) {
    QList<double> widths(table.columnCount(), 8.0);
    for (int r = qMax(0, table.headerRow); r < table.rows.size(); ++r) {
        const auto& row = table.rows[r];
        for (int c = 0; c < row.size(); ++c)
            widths[c] = qMax(widths[c], qMin(60.0, displayed(row[c]).size() * 1.1 + 2.0));
    }
    return widths;
}

bool writeCells(lxw_workbook* book, const SheetTable& table) {
    const QByteArray name =
        (table.name.isEmpty() ? QStringLiteral("Лист1") : table.name).left(31).toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
    if (sheet == nullptr)
        return false;
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    format_set_bottom(bold, LXW_BORDER_THIN);
    lxw_format* plainBold = workbook_add_format(book);
    format_set_bold(plainBold);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");

    const QList<double> widths = columnWidths(table);
    for (int c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
    if (table.headerRow >= 0)
        worksheet_freeze_panes(sheet, lxw_row_t(table.headerRow + 1), 0);

    for (int r = 0; r < table.rows.size(); ++r) {
        lxw_format* rowFormat =
            r == table.headerRow ? bold : (table.boldRows.contains(r) ? plainBold : nullptr);
        const auto& row = table.rows[r];
        for (int c = 0; c < row.size(); ++c) {
            const QVariant& cell = row[c];
            const auto rr = lxw_row_t(r);
            const auto cc = lxw_col_t(c);
            lxw_error result = LXW_NO_ERROR;
            if (db::isNullValue(cell))
                continue;
            switch (cell.typeId()) {
            case QMetaType::QDate: {
                const QDate d = cell.toDate();
                lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0.0};
                result = worksheet_write_datetime(sheet, rr, cc, &when, date);
                break;
            }
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::Double:
                result = worksheet_write_number(sheet, rr, cc, cell.toDouble(), rowFormat);
                break;
            default: {
                const QByteArray text = cell.toString().toUtf8();
                result = worksheet_write_string(sheet, rr, cc, text.constData(), rowFormat);
                break;
            }
            }
            if (result != LXW_NO_ERROR)
                return false;
        }
    }
    return true;
}

} // namespace

QByteArray writeXlsxBook(const SheetTable& table, QString* error) {
    // The library writes only to a named file: a private folder keeps it from others.
    QTemporaryDir dir;
    if (!dir.isValid()) {
        if (error != nullptr)
            *error = dir.errorString();
        return {};
    }
    const QString path = dir.filePath(QStringLiteral("sheet.xlsx"));
    const QByteArray nativePath = QFile::encodeName(path);
    lxw_workbook_options options{};
    const QByteArray tmp = QFile::encodeName(dir.path());
    options.tmpdir = const_cast<char*>(tmp.constData());
    lxw_workbook* book = workbook_new_opt(nativePath.constData(), &options);
    if (book == nullptr) {
        if (error != nullptr)
            *error = QStringLiteral("libxlsxwriter: workbook_new");
        return {};
    }
    const bool written = writeCells(book, table);
    const lxw_error closed = workbook_close(book);
    if (!written || closed != LXW_NO_ERROR) {
        if (error != nullptr)
            *error = QString::fromUtf8(lxw_strerror(closed));
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error != nullptr)
            *error = file.errorString();
        return {};
    }
    return file.readAll();
}

} // namespace reports
