// The mark sheet laid out on pages: the one layout behind the preview, the printer and PDF.
// Every length is in points; a row is one line, so no row is ever cut across pages.
#pragma once

#include "reports/MarkSheet.h"

#include <QList>
#include <QSizeF>

class QPagedPaintDevice;
class QPainter;

namespace reports {

class MarkSheetLayout {
public:
    struct Page {
        bool heading = false; // the title block (first page)
        int firstRow = 0;
        int rowCount = 0;
        bool table = false;  // the table's column titles
        bool footer = false; // counts, printing date and signature lines (last page)
    };

    // Lays the sheet out on pages whose printable area has this size.
    MarkSheetLayout(const MarkSheet& sheet, QSizeF printable);

    const QList<Page>& pages() const { return pages_; }
    // Paints one page with the painter's units in points, its origin the printable area's corner.
    void paintPage(QPainter& painter, int index) const;

    static constexpr double RowHeight = 16;
    static constexpr double TableTitleHeight = 20;
    static constexpr double LineHeight = 15;
    static constexpr double TitleHeight = 24;
    static constexpr double PageNumberHeight = 18;
    static constexpr double SignatureHeight = 26;

private:
    double headingHeight() const;
    double footerHeight() const;
    QList<double> columnWidths() const;
    double paintHeading(QPainter& painter) const;
    double paintTable(QPainter& painter, double top, const Page& page) const;
    void paintFooter(QPainter& painter, double top) const;
    void paintPageNumber(QPainter& painter, int index) const;

    const MarkSheet& sheet_;
    QSizeF size_;
    QList<Page> pages_;
};

// A4 portrait with 15 mm margins: what a new printer or PDF writer is set to.
void setMarkSheetPage(QPagedPaintDevice& device);

// Paints the whole sheet on the device (a printer or a PDF writer) as laid out for its page.
// False when the device could not be painted on.
bool paintMarkSheet(const MarkSheet& sheet, QPagedPaintDevice& device);

} // namespace reports
