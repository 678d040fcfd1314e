// TStringGrid: fixed title row and column as the table's headers.
#include "journal/StringGrid.h"

#include <QHeaderView>

TStringGrid::TStringGrid(QWidget* parent)
    : QTableWidget(parent) {
    setObjectName(QStringLiteral("StringGrid"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultSectionSize(DefaultColWidth);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight);
    verticalHeader()->setFixedWidth(FixedColWidth);
    setStyleSheet(QStringLiteral("QHeaderView::section { background-color: silver; }"));
    QPalette p = palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    setPalette(p);
    setColCount(5);
    setRowCount(5);
}

void TStringGrid::setColCount(int count) {
    const int old = columnCount();
    setColumnCount(std::max(count - 1, 0));
    for (int c = old; c < columnCount(); ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem());
        setColumnWidth(c, DefaultColWidth);
    }
}

void TStringGrid::setRowCount(int count) {
    const int old = rowCount();
    QTableWidget::setRowCount(std::max(count - 1, 0));
    for (int r = old; r < rowCount(); ++r)
        setVerticalHeaderItem(r, new QTableWidgetItem());
}

QString TStringGrid::Cells(int col, int row) const {
    const QTableWidgetItem* it = nullptr;
    if (col == 0 && row > 0)
        it = verticalHeaderItem(row - 1);
    else if (row == 0 && col > 0)
        it = horizontalHeaderItem(col - 1);
    else if (col > 0 && row > 0)
        it = item(row - 1, col - 1);
    return it != nullptr ? it->text() : QString();
}

void TStringGrid::setCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || (col == 0 && row == 0))
        return;
    if (col == 0) {
        verticalHeaderItem(row - 1)->setText(text);
    } else if (row == 0) {
        horizontalHeaderItem(col - 1)->setText(text);
    } else {
        QTableWidgetItem* it = item(row - 1, col - 1);
        if (it == nullptr) {
            it = new QTableWidgetItem();
            setItem(row - 1, col - 1, it);
        }
        it->setText(text);
    }
}

int TStringGrid::ColWidths(int col) const {
    return col == 0 ? verticalHeader()->width() : columnWidth(col - 1);
}

void TStringGrid::setColWidths(int col, int width) {
    if (col == 0)
        verticalHeader()->setFixedWidth(width);
    else if (col < ColCount())
        setColumnWidth(col - 1, width);
}
