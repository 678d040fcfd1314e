// The output module's entry: XLSX through libxlsxwriter, previews and printing through Qt's
// print support.
#include "reports/OutputModule.h"
#include "reports/XlsxBook.h"

#include <QAction>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

namespace reports {
namespace {

void setUp(QPrinter& printer, const PrintJob& job) {
    job.setUpPage(printer);
    printer.setDocName(job.docName);
    printer.setCreator(QStringLiteral("KEL 14"));
}

// Most of the screen the owner is on, the page as wide as the window: a portrait page at about
// its printed size, where the dialog's own default is a small window and a small page.
void fitToScreen(QPrintPreviewDialog& dialog, QWidget* owner) {
    QScreen* screen = owner != nullptr ? owner->screen() : dialog.screen();
    const QRect available = screen->availableGeometry();
    const int height = available.height() * 9 / 10;
    const int width = qMin(available.width() * 9 / 10, qMax(height * 3 / 4, 900));
    dialog.resize(width, height);
    dialog.move(available.center() - QPoint(width / 2, height / 2));
    if (auto* fitWidth = dialog.findChild<QAction*>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto* view = dialog.findChild<QPrintPreviewWidget*>())
        view->fitToWidth();
}

void preview(QWidget* owner, const PrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    setUp(printer, job);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(job.caption);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { job.paint(*target); });
    fitToScreen(dialog, owner);
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
