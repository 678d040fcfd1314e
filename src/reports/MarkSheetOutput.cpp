#include "reports/MarkSheetOutput.h"

#include "platform/MessageBoxes.h"
#include "reports/CsvWriter.h"
#include "reports/MarkSheet.h"
#include "reports/MarkSheetLayout.h"
#include "reports/OutputModule.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"

#include <QIODevice>
#include <QPdfWriter>

namespace reports {
namespace {

// The sheet as a print job; a page that cannot be painted is said to the user.
PrintJob printJob(QWidget* owner, const MarkSheet& sheet, const QString& caption) {
    return {caption, proposedFileName(sheet.heading),
            [](QPagedPaintDevice& device) { setMarkSheetPage(device); },
            [owner, &sheet](QPagedPaintDevice& device) {
                if (!paintMarkSheet(sheet, device))
                    platform::messageBox(owner, QStringLiteral("Не удалось напечатать ведомость."),
                                         QStringLiteral("Ошибка"), QMessageBox::Critical);
            }};
}

// The module, or null after telling the user why it is missing.
const OutputModule* printingModule(QWidget* owner) {
    QString error;
    const OutputModule* module = outputModule(&error);
    if (module == nullptr)
        platform::messageBox(owner, error, QStringLiteral("Ошибка"), QMessageBox::Critical);
    return module;
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
    if (const OutputModule* module = printingModule(owner))
        module->preview(
            owner, printJob(owner, sheet, QStringLiteral("Ведомость: предварительный просмотр")));
}

void printMarkSheet(QWidget* owner, const MarkSheet& sheet) {
    if (const OutputModule* module = printingModule(owner))
        module->print(owner, printJob(owner, sheet, QStringLiteral("Печать ведомости")));
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
