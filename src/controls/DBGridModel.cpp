// Reads cells through the data set's display row, so the cursor never moves for reading.
#include "controls/DBGridModel.h"

#include "controls/DBGridEh.h"
#include "db/DataSet.h"

namespace controls {

DBGridModel::DBGridModel(TDBGridEh* grid)
    : QAbstractTableModel(grid)
    , grid_(grid) {}

int DBGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_->viewRowCount();
}

int DBGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_->columnCount();
}

QVariant DBGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    TColumnEh* column = grid_->Column(index.column());
    db::DataSet* ds = grid_->dataSet();
    if (column == nullptr || ds == nullptr)
        return QVariant();
    db::Field* field = column->Field();
    if (field == nullptr)
        return QVariant();
    db::DisplayRowScope row(*ds, index.row());
    return role == Qt::DisplayRole ? QVariant(field->text()) : field->value();
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        TColumnEh* column = grid_->Column(section);
        if (column == nullptr)
            return QVariant();
        if (role == Qt::DisplayRole)
            return column->TitleCaption;
        if (role == Qt::TextAlignmentRole)
            return int(column->TitleAlignment | Qt::AlignVCenter) |
                   (grid_->MultiLineTitles() ? int(Qt::TextWordWrap) : 0);
        return QVariant();
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr || grid_->currentDataRow() != section)
        return QString();
    switch (ds->state()) {
    case db::DataSetState::Insert:
        return QStringLiteral("*");
    case db::DataSetState::Edit:
        return QStringLiteral("I");
    default:
        return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_->cellEditable(index.row(), index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

void DBGridModel::reset() {
    indicatorRow_ = -1;
    beginResetModel();
    endResetModel();
}

void DBGridModel::rowChanged(int row) {
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DBGridModel::indicatorChanged(int row) {
    const int rows = rowCount();
    if (indicatorRow_ >= 0 && indicatorRow_ < rows && indicatorRow_ != row)
        Q_EMIT headerDataChanged(Qt::Vertical, indicatorRow_, indicatorRow_);
    indicatorRow_ = row >= 0 && row < rows ? row : -1;
    if (indicatorRow_ >= 0)
        Q_EMIT headerDataChanged(Qt::Vertical, indicatorRow_, indicatorRow_);
}

} // namespace controls
