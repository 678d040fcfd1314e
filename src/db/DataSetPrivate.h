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
    explicit Private(DataSetKind kind)
        : kind_(kind) {}

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
    RowIndex rowIndex_;
    quint64 nextRowId_ = 1;
    int cursor_ = -1; // index into view_
    bool eof_ = true, bof_ = true;
    DataSetState state_ = DataSetState::Inactive;

    std::vector<QVariant> editBuffer_;
    int editRow_ = -1;   // rows_ index being edited or inserted
    int insertRow_ = -1; // rows_ index of a row being inserted
    int cursorBeforeInsert_ = -1;
    bool modified_ = false;
    int displayRow_ = -1;

    // The row whose calculated fields are being computed
    std::vector<QVariant> calcBuffer_;
    int calcRow_ = -1;
    int calcVisible_ = -1;

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
    std::vector<LookupIndex> lookups_;
};

} // namespace db
