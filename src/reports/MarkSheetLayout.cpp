#include "reports/MarkSheetLayout.h"

#include "db/SqlText.h"
#include "reports/SheetTable.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace reports {
namespace {

// The client's face, whose metrics the texts were laid out for; embedded in a PDF.
QFont face(int size, bool bold = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(size);
    f.setBold(bold);
    return f;
}

// Of the printable width, in A4's proportions; a wider or narrower page scales them.
constexpr double BaseWidths[] = {28, 190, 80, 80, 60, 72};
constexpr Qt::Alignment ColumnAlignment[] = {Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter,
                                             Qt::AlignCenter, Qt::AlignCenter,
                                             Qt::AlignCenter, Qt::AlignCenter};
constexpr double CellPadding = 3;
constexpr double FooterGap = 10;
constexpr int MarkColumn = 3;
constexpr int StudentColumn = 1;
// The student column gives up at most this share of its width to fit the marks whole.
constexpr double StudentShareGiven = 0.4;
// A text too wide for its cell is drawn smaller, down to this share of the face's size;
// only beyond that is it cut with an ellipsis.
constexpr double SmallestFit = 0.7;
// Rows carried over to the footer's page when the footer does not fit under the last rows,
// so that the counts and signatures never stand alone.
constexpr int RowsKeptWithFooter = 3;

// The cell's text in the painter's font, or smaller so that it fits whole.
void drawFitted(QPainter& painter, const QRectF& inner, Qt::Alignment alignment,
                const QString& text) {
    const QFont font = painter.font();
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width <= inner.width()) {
        painter.drawText(inner, alignment, text);
        return;
    }
    QFont smaller = font;
    const double scale = qMax(SmallestFit, inner.width() / width);
    smaller.setPixelSize(qMax(1, int(font.pixelSize() * scale)));
    painter.setFont(smaller);
    const QString shown = QFontMetricsF(smaller).elidedText(text, Qt::ElideRight, inner.width());
    painter.drawText(inner, alignment, shown);
    painter.setFont(font);
}

QStringList rowCells(const MarkSheetRow& row) {
    return {QString::number(row.number),           row.student, row.code, row.mark, row.sheetNumber,
            row.handedIn.toString(db::dayFormat())};
}

QStringList countLines(const MarkSheet& sheet) {
    QStringList lines{QStringLiteral("Всего студентов: ") + QString::number(sheet.rows.size())};
    for (const auto& [mark, count] : sheet.markCounts())
        lines << mark + QStringLiteral(": ") + QString::number(count);
    lines << QStringLiteral("Дата печати: ") + sheet.printedOn.toString(db::dayFormat());
    return lines;
}

QStringList signatureTitles() {
    return {QStringLiteral("Подпись преподавателя:"), QStringLiteral("Подпись деканата:")};
}

} // namespace

MarkSheetLayout::MarkSheetLayout(const MarkSheet& sheet, QSizeF printable)
    : sheet_(sheet)
    , size_(printable) {
    const double bottom = size_.height() - PageNumberHeight;
    const int total = int(sheet_.rows.size());
    Page page;
    page.heading = true;
    double top = headingHeight();
    int next = 0;
    // At least one row per page, however small the paper, so the layout always ends.
    do {
        page.table = true;
        page.firstRow = next;
        const int room = int((bottom - top - TableTitleHeight) / RowHeight);
        page.rowCount = qMin(total - next, qMax(1, room));
        next += page.rowCount;
        top += TableTitleHeight + page.rowCount * RowHeight;
        if (next < total) {
            pages_.append(page);
            page = Page{};
            top = 0;
        }
    } while (next < total);
    if (top + FooterGap + footerHeight() <= bottom) {
        page.footer = true;
        pages_.append(page);
        return;
    }
    // The table's tail goes over with the footer; the page it leaves keeps at least one row.
    const int carried = qMin(RowsKeptWithFooter, page.rowCount - 1);
    page.rowCount -= qMax(0, carried);
    pages_.append(page);
    Page last;
    last.firstRow = page.firstRow + page.rowCount;
    last.rowCount = qMax(0, carried);
    last.table = last.rowCount > 0;
    last.footer = true;
    pages_.append(last);
}

double MarkSheetLayout::headingHeight() const {
    return TitleHeight + markSheetTitleLines(sheet_).size() * LineHeight + 8;
}

double MarkSheetLayout::footerHeight() const {
    return countLines(sheet_).size() * LineHeight + signatureTitles().size() * SignatureHeight;
}

QList<double> MarkSheetLayout::columnWidths() const {
    double sum = 0;
    for (double w : BaseWidths)
        sum += w;
    QList<double> widths;
    for (double w : BaseWidths)
        widths << w * size_.width() / sum;
    // The mark column as wide as its longest name ("неудовлетворительно"), at the student
    // column's cost.
    const QFontMetricsF cells(face(10));
    double needed =
        QFontMetricsF(face(9, true)).horizontalAdvance(markSheetColumnTitles().value(MarkColumn));
    for (const MarkSheetRow& row : sheet_.rows)
        needed = qMax(needed, cells.horizontalAdvance(row.mark));
    needed += 2 * CellPadding + 1;
    const double wider =
        qMin(needed - widths[MarkColumn], widths[StudentColumn] * StudentShareGiven);
    if (wider > 0) {
        widths[MarkColumn] += wider;
        widths[StudentColumn] -= wider;
    }
    return widths;
}

void MarkSheetLayout::paintPage(QPainter& painter, int index) const {
    const Page& page = pages_.at(index);
    double top = page.heading ? paintHeading(painter) : 0;
    if (page.table)
        top = paintTable(painter, top, page);
    if (page.footer)
        paintFooter(painter, top + FooterGap);
    paintPageNumber(painter, index);
}

double MarkSheetLayout::paintHeading(QPainter& painter) const {
    painter.setFont(face(14, true));
    painter.drawText(QRectF(0, 0, size_.width(), TitleHeight), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("ВЕДОМОСТЬ"));
    painter.setFont(face(10));
    double top = TitleHeight;
    for (const QString& line : markSheetTitleLines(sheet_)) {
        const QString shown =
            painter.fontMetrics().elidedText(line, Qt::ElideRight, int(size_.width()));
        painter.drawText(QRectF(0, top, size_.width(), LineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
        top += LineHeight;
    }
    return top + 8;
}

double MarkSheetLayout::paintTable(QPainter& painter, double top, const Page& page) const {
    const QList<double> widths = columnWidths();
    const auto drawRow = [&](double y, double height, const QStringList& cells, bool titles) {
        double x = 0;
        for (int c = 0; c < widths.size(); ++c) {
            const QRectF cell(x, y, widths[c], height);
            painter.drawRect(cell);
            const QRectF inner = cell.adjusted(CellPadding, 0, -CellPadding, 0);
            drawFitted(painter, inner, titles ? Qt::AlignCenter : ColumnAlignment[c],
                       cells.value(c));
            x += widths[c];
        }
    };
    painter.setPen(QPen(Qt::black, 0.5));
    painter.setFont(face(9, true));
    drawRow(top, TableTitleHeight, markSheetColumnTitles(), true);
    top += TableTitleHeight;
    painter.setFont(face(10));
    for (int r = page.firstRow; r < page.firstRow + page.rowCount; ++r) {
        drawRow(top, RowHeight, rowCells(sheet_.rows.at(r)), false);
        top += RowHeight;
    }
    return top;
}

void MarkSheetLayout::paintFooter(QPainter& painter, double top) const {
    painter.setFont(face(10));
    for (const QString& line : countLines(sheet_)) {
        painter.drawText(QRectF(0, top, size_.width(), LineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        top += LineHeight;
    }
    const double lineStart = 170;
    for (const QString& title : signatureTitles()) {
        const QRectF row(0, top, size_.width(), SignatureHeight);
        painter.drawText(row, Qt::AlignLeft | Qt::AlignBottom, title);
        const double y = row.bottom() - 2;
        painter.drawLine(QPointF(lineStart, y), QPointF(lineStart + 200, y));
        top += SignatureHeight;
    }
}

void MarkSheetLayout::paintPageNumber(QPainter& painter, int index) const {
    painter.setFont(face(9));
    const QString text = QStringLiteral("Стр. %1 из %2").arg(index + 1).arg(pages_.size());
    painter.drawText(QRectF(0, size_.height() - PageNumberHeight, size_.width(), PageNumberHeight),
                     Qt::AlignRight | Qt::AlignBottom, text);
}

void setMarkSheetPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

bool paintMarkSheet(const MarkSheet& sheet, QPagedPaintDevice& device) {
    const QRectF printable = device.pageLayout().paintRect(QPageLayout::Point);
    const MarkSheetLayout layout(sheet, printable.size());
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / 72.0;
    for (int i = 0; i < layout.pages().size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        layout.paintPage(painter, i);
        painter.restore();
    }
    return painter.end();
}

} // namespace reports
