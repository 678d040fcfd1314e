#include "reports/MarkSheetOutput.h"

#include "platform/MessageBoxes.h"
#include "reports/CsvWriter.h"
#include "reports/MarkSheet.h"
#include "reports/MarkSheetLayout.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"

#include <QIODevice>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace reports {
namespace {

void setUpPrinter(QPrinter& printer, const MarkSheet& sheet) {
    setMarkSheetPage(printer);
    printer.setDocName(proposedFileName(sheet.heading));
    printer.setCreator(QStringLiteral("KEL 14"));
}

void paintOrSay(QWidget* owner, const MarkSheet& sheet, QPrinter& printer) {
    if (!paintMarkSheet(sheet, printer))
        platform::messageBox(owner, QStringLiteral("Не удалось напечатать ведомость."),
                             QStringLiteral("Ошибка"), QMessageBox::Critical);
}

bool writeBytes(QIODevice& out, const QByteArray& bytes, QString& error) {
    if (out.write(bytes) == bytes.size())
        return true;
    error = out.errorString();
    return false;
}

} // namespace

bool writeMarkSheetPdf(const MarkSheet& sheet, QIODevice& out) {
    QPdfWriter writer(&out);
    setMarkSheetPage(writer);
    writer.setResolution(300);
    writer.setTitle(proposedFileName(sheet.heading));
    writer.setCreator(QStringLiteral("KEL 14"));
    return paintMarkSheet(sheet, writer);
}

void previewMarkSheet(QWidget* owner, const MarkSheet& sheet) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, sheet);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Ведомость: предварительный просмотр"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { paintOrSay(owner, sheet, *target); });
    dialog.exec();
}

void printMarkSheet(QWidget* owner, const MarkSheet& sheet) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, sheet);
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Печать ведомости"));
    if (dialog.exec() == QDialog::Accepted)
        paintOrSay(owner, sheet, printer);
}

QString saveMarkSheet(QWidget* owner, const MarkSheet& sheet, FileKind kind) {
    const QString name = proposedFileName(sheet.heading);
    switch (kind) {
    case FileKind::Pdf:
        return saveReport(owner, kind, name, [&](QIODevice& out, QString& error) {
            if (writeMarkSheetPdf(sheet, out))
                return true;
            error = out.errorString();
            return false;
        });
    case FileKind::Xlsx:
        return saveReport(owner, kind, name, [&](QIODevice& out, QString& error) {
            const QByteArray bytes = toXlsx(markSheetTable(sheet), &error);
            return !bytes.isEmpty() && writeBytes(out, bytes, error);
        });
    case FileKind::Csv:
        return saveReport(owner, kind, name, [&](QIODevice& out, QString& error) {
            return writeBytes(out, toCsv(markSheetTable(sheet)), error);
        });
    }
    return {};
}

} // namespace reports
