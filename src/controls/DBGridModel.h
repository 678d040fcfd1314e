// The table model behind the data-aware grid: counts and headers only, nothing cached.
#pragma once

#include <QAbstractTableModel>

class TDBGridEh;

namespace controls {

class DBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DBGridModel(TDBGridEh* grid);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void reset();
    // The cells of one row changed.
    void rowChanged(int row);
    // The indicator (current row and its state) is now on this row; repaints the old one too.
    void indicatorChanged(int row);

private:
    TDBGridEh* grid_;
    int indicatorRow_ = -1;
};

} // namespace controls
