// The output module's entry: XLSX through libxlsxwriter, previews and printing through Qt's
// print support.
#include "reports/OutputModule.h"
#include "reports/XlsxBook.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace reports {
namespace {

void setUp(QPrinter& printer, const PrintJob& job) {
    job.setUpPage(printer);
    printer.setDocName(job.docName);
    printer.setCreator(QStringLiteral("KEL 14"));
}

void preview(QWidget* owner, const PrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(job.caption);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { job.paint(*target); });
    dialog.exec();
}

void print(QWidget* owner, const PrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(job.caption);
    if (dialog.exec() == QDialog::Accepted)
        job.paint(printer);
}

const OutputModule module{OutputModuleVersion, &writeXlsxBook, &preview, &print};

} // namespace
} // namespace reports

extern "C" Q_DECL_EXPORT const reports::OutputModule* kelOutputModule() {
    return &reports::module;
}
