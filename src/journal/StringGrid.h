// A text grid with one fixed column and one fixed title row, addressed as (column, row).
#pragma once

#include <QTableWidget>

// Column 0 is the fixed column and row 0 the fixed title row; both stay in place while the
// other cells scroll. Counts and indexes include them.
class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount() + 1; }
    void setColCount(int count);
    int RowCount() const { return rowCount() + 1; }
    void setRowCount(int count);

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    int ColWidths(int col) const;
    void setColWidths(int col, int width);

    static constexpr int DefaultColWidth = 64;
    static constexpr int DefaultRowHeight = 18;
    static constexpr int FixedColWidth = 11;
};
