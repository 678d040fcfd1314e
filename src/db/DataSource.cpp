// The data source: turns a data set's notifications into Qt signals for controls.
#include "db/DataSource.h"

#include "db/DataSet.h"

namespace db {

DataSource::DataSource(QObject* parent)
    : QObject(parent) {}

DataSource::~DataSource() {
    if (dataSet_)
        dataSet_->detachSource(this);
}

void DataSource::setDataSet(DataSet* ds) {
    if (dataSet_ == ds)
        return;
    if (dataSet_)
        dataSet_->detachSource(this);
    dataSet_ = ds;
    if (dataSet_)
        dataSet_->attachSource(this);
    Q_EMIT activeChanged();
    Q_EMIT layoutChanged();
}

void DataSource::notify(int what, int fieldIndex) {
    if (dataSet_ && dataSet_->controlsDisabled())
        return;
    switch (what) {
    case ActiveChanged:
        Q_EMIT activeChanged();
        Q_EMIT layoutChanged();
        break;
    case DataSetChanged:
        Q_EMIT dataSetChanged();
        break;
    case RecordMoved:
        Q_EMIT recordMoved();
        break;
    case RecordChanged:
        Q_EMIT recordChanged(fieldIndex);
        break;
    case StateChanged:
        Q_EMIT stateChanged();
        break;
    default:
        break;
    }
}

} // namespace db
