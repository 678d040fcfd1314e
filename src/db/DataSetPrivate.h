// A data set's state, shared by the files that implement it and by nothing else.
#pragma once

#include "db/ColumnStore.h"
#include "db/DataSet.h"
#include "db/FilterExpression.h"
#include "db/RowIndex.h"
#include "db/ValueCompare.h"

#include <QPointer>

namespace db {

// This data set as a lookup source: one index per (key field, result field), rebuilt when the
// rows change.
struct LookupIndex {
    QString keyFields, resultField;
    quint64 builtAt = 0;
    bool built = false;
    int resultFieldIndex = -1;
    KeyIndex keys; // key -> rows_ index
};

struct DataSet::Private {
    Private(DataSet* owner, DataSetKind kind)
        : q(owner)
        , kind_(kind) {}

    // Life
    class Intake;
    // Reads the statement's rows into the column store; on a re-read the fields stay.
    void readRows(bool reread);
    void fetchInto(RowSink& sink);
    void bindFields(const Result& result, bool reopen);
    void destroyDynamicFields();
    void resetRows();

    // The visible order and the cursor
    void rebuildView(bool keepCurrent);
    void rebuildOrder();
    void invalidateIndexes();
    void ensureIndexes() const;
    int rowIndexOfId(quint64 id) const;
    int visibleOfRow(int rowIndex) const;
    void moveTo(int visibleIndex);
    void bindFilter(FilterExpression* expr) const;

    // Reading
    int readVisible() const;
    QVariant valueOf(const Field& f, int rowIndex, int visibleIndex) const;
    // The value of a result column in a row: the edit buffer for the row being edited.
    QVariant cell(int rowIndex, int column) const;
    QVariant calcValue(const Field& f, int rowIndex, int visibleIndex) const;
    QVariant lookupValue(const Field& f, const QVariant& key) const;
    // This data set as a lookup source: the result field of the first visible row whose key
    // field holds the key.
    QVariant lookupResult(const QString& keyFields, const QString& resultField,
                          const QVariant& key) const;
    int lookupRowOf(const QString& keyFields, const QString& resultField, const QVariant& key,
                    int* resultFieldIndex) const;
    QVariant keyOfLookupField(const Field& f, int rowIndex) const;

    // Editing
    void notifyControls(int what, int fieldIndex = -1);
    void checkActive(const char* what) const;
    void checkBrowse();
    void checkCanModify() const;
    void setState(DataSetState s);
    void doScroll();
    void runWithErrorHandler(const ErrorEvent& handler, const std::function<void()>& work);
    // The write and what must be stored with it, in one transaction when there is such.
    void writeWith(const Notify& alongside, const std::function<void()>& write);
    void writeBack();
    // The row being written holds the edited values on the server now.
    bool rowHolds(const QVariant& key) const;
    // Returns when the row holds the change after all; else throws what the user must read.
    void settleLostWrite(const DatabaseError& lost);
    void writeInsert();
    void writeDelete();
    void insertRowAt(bool atEnd);
    void dropInsertedRow();
    int dataIndex(const Field& f) const;
    int keyColumn() const;
    QString describe() const;

    DataSet* const q;

    DataSetKind kind_;
    QPointer<Connection> connection_;
    QString sql_, tableName_, procedureName_;
    Parameters parameters_;
    int commandTimeout_ = 30;
    QString updateTable_, updateKey_;

    std::vector<FieldDef> fieldDefs_;
    std::vector<std::unique_ptr<Field>> fields_;
    std::vector<Field*> fieldPtrs_;
    std::vector<int> dataColumnOfField_; // field index -> column of the result, -1 if none
    std::vector<int> keyFieldOfLookup_;  // field index -> this data set's key field, -1 if none
    std::vector<Column> columns_;

    std::vector<quint64>
        rows_; // each row's bookmark id; its values are in store_ at the same index
    ColumnStore store_;
    std::vector<int> order_; // every row, in sort order: indexes into rows_
    std::vector<int> view_;  // visible order (order_ under the filter): indexes into rows_
    mutable RowIndex rowIndex_;
    quint64 nextRowId_ = 1;
    int cursor_ = -1; // index into view_
    bool eof_ = true, bof_ = true;
    DataSetState state_ = DataSetState::Inactive;

    std::vector<QVariant> editBuffer_;
    int editRow_ = -1;         // rows_ index being edited or inserted
    int insertRow_ = -1;       // rows_ index of a row being inserted
    int changedByOthers_ = -1; // rows_ index whose write found it changed since it was read
    bool savedDespiteLostLink_ = false;
    int cursorBeforeInsert_ = -1;
    bool modified_ = false;
    int displayRow_ = -1;

    // The row whose calculated fields are being computed
    mutable std::vector<QVariant> calcBuffer_;
    mutable int calcRow_ = -1;
    mutable int calcVisible_ = -1;

    QString sortField_;
    bool sortAscending_ = true;
    QString filterText_;
    bool filtered_ = false;
    std::unique_ptr<FilterExpression> filterExpr_;

    int disableCount_ = 0;
    bool pendingRefresh_ = false;
    bool pendingActive_ = false;
    std::vector<DataSource*> sources_;
    quint64 changeCount_ = 0;
    mutable std::vector<LookupIndex> lookups_;
};

} // namespace db
