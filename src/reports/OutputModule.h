// Printing and XLSX live in a module of their own, loaded when first used, so that the
// program starts without the print support and spreadsheet libraries.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QWidget;

namespace reports {

struct SheetTable;

// A document to print; setting up the page and painting it stay with the caller.
struct PrintJob {
    QString caption;
    QString docName;
    std::function<void(QPagedPaintDevice&)> setUpPage;
    std::function<void(QPagedPaintDevice&)> paint;
};

struct OutputModule {
    int version;
    // The file's bytes; empty, with the reason in error, when the library failed.
    QByteArray (*toXlsx)(const SheetTable& table, QString* error);
    // A modal preview from which the user may print.
    void (*preview)(QWidget* owner, const PrintJob& job);
    // The printer dialog, then the document on the chosen printer.
    void (*print)(QWidget* owner, const PrintJob& job);
};

// Raised whenever the table above changes, so that a stale module is refused, not called.
constexpr int OutputModuleVersion = 1;

// The module built into the program, loaded once; null, with the reason in error, when it
// cannot be loaded.
const OutputModule* outputModule(QString* error);
// A module from its file's bytes, loaded anew.
const OutputModule* loadOutputModule(QByteArrayView image, QString* error);

} // namespace reports

// The module's one exported entry.
#define KEL_OUTPUT_MODULE_ENTRY "kelOutputModule"
