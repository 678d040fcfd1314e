// Binds one data set to controls through Qt signals.
#pragma once

#include <QObject>
#include <QPointer>

namespace db {

class DataSet;

// Emits what the controls need; silent while the data set's controls are disabled, then
// one full dataSetChanged when they are enabled again.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    DataSet* dataSet() const { return dataSet_; }
    void setDataSet(DataSet* ds);

    // Called by the data set.
    void notify(int what, int fieldIndex);

    enum Notification {
        ActiveChanged = 1,  // opened or closed: fields may differ
        DataSetChanged = 2, // rows changed: refresh, sort, filter, insert, delete, post
        RecordMoved = 3,    // the current row moved
        RecordChanged = 4,  // a field of the current row changed (fieldIndex, -1 for all)
        StateChanged = 5,   // browse, edit, insert
    };

Q_SIGNALS:
    // Opened, closed or another data set bound; followed by layoutChanged (fields may differ).
    void activeChanged();
    void dataSetChanged();
    void recordMoved();
    void recordChanged(int fieldIndex);
    void stateChanged();
    void layoutChanged();

private:
    QPointer<DataSet> dataSet_;
};

} // namespace db
