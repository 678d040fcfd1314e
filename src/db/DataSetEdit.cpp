// Data set editing: edit, insert, post, cancel, delete and the write-back statements.
#include "db/DataSet.h"

#include "db/DataSetPrivate.h"
#include "db/DataSource.h"
#include "db/ValueCompare.h"
#include "db/WriteStatements.h"

#include <algorithm>

namespace db {

namespace {

const QString rowNotFound = QStringLiteral(
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.");

} // namespace

bool DataSet::modified() const {
    return d->modified_;
}

bool DataSet::canModify() const {
    return active() && !d->updateTable_.isEmpty() && !d->updateKey_.isEmpty();
}

void DataSet::checkCanModify() const {
    if (!canModify())
        throw DatabaseError(
            QStringLiteral("Cannot modify a read-only data set (%1).").arg(describe()));
}

void DataSet::setState(DataSetState s) {
    if (d->state_ == s)
        return;
    d->state_ = s;
    notifyControls(DataSource::StateChanged);
}

void DataSet::setFieldValue(Field& f, const QVariant& v) {
    checkActive("change a field");
    if (f.fieldKind() == FieldKind::Calculated) {
        if (d->state_ != DataSetState::CalcFields)
            throw DatabaseError(QStringLiteral("Calculated field '%1' can be set only while its "
                                               "values are calculated.")
                                    .arg(f.fieldName()));
        d->calcBuffer_[static_cast<size_t>(f.index())] = f.convert(v);
        return;
    }
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        throw DatabaseError(QStringLiteral("Cannot change field '%1': %2 is not in edit or "
                                           "insert mode.")
                                .arg(f.fieldName(), describe()));
    if (f.readOnly())
        throw DatabaseError(QStringLiteral("Field '%1' cannot be modified.").arg(f.fieldName()));
    if (f.isLookup()) {
        // A lookup takes the key of the lookup row whose result is the value.
        Field* key = field(d->keyFieldOfLookup_[static_cast<size_t>(f.index())]);
        QVariant keyValue;
        if (!isNullValue(v)) {
            const DataSet* source = f.lookupDataSet();
            const Field* result = source ? source->findField(f.lookupResultField()) : nullptr;
            const Field* sourceKey = source ? source->findField(f.lookupKeyFields()) : nullptr;
            bool found = false;
            if (result && sourceKey && source->active()) {
                for (int r : source->d->view_) {
                    if (r == source->d->insertRow_)
                        continue;
                    const QVariant rv = source->valueOf(*result, r, -1);
                    if (sameValue(rv, v) || result->textOf(rv) == result->textOf(v)) {
                        keyValue = source->valueOf(*sourceKey, r, -1);
                        found = true;
                        break;
                    }
                }
            }
            if (!found)
                throw DatabaseError(QStringLiteral("'%1' is not a valid value for field '%2'.")
                                        .arg(v.toString(), f.fieldName()));
        }
        setFieldValue(*key, keyValue);
        notifyControls(DataSource::RecordChanged, f.index());
        return;
    }
    const int c = dataIndex(f);
    if (c < 0)
        throw DatabaseError(QStringLiteral("Field '%1' has no column.").arg(f.fieldName()));
    QVariant value = f.convert(v);
    d->editBuffer_[static_cast<size_t>(c)] = std::move(value);
    d->modified_ = true;
    notifyControls(DataSource::RecordChanged, f.index());
    for (size_t i = 0; i < d->keyFieldOfLookup_.size(); ++i) {
        if (d->keyFieldOfLookup_[i] == f.index())
            notifyControls(DataSource::RecordChanged, static_cast<int>(i));
    }
}

void DataSet::edit() {
    checkActive("edit");
    if (d->state_ == DataSetState::Edit || d->state_ == DataSetState::Insert)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    checkCanModify();
    if (beforeEdit)
        beforeEdit(*this);
    d->editRow_ = d->view_[static_cast<size_t>(d->cursor_)];
    d->editBuffer_ = d->store_.row(static_cast<size_t>(d->editRow_));
    d->modified_ = false;
    setState(DataSetState::Edit);
    if (afterEdit)
        afterEdit(*this);
}

void DataSet::insert() {
    insertRowAt(false);
}

void DataSet::append() {
    insertRowAt(true);
}

// A new row before the current one, or after the last.
void DataSet::insertRowAt(bool atEnd) {
    checkActive(atEnd ? "append" : "insert");
    checkBrowse();
    checkCanModify();
    if (beforeInsert)
        beforeInsert(*this);
    d->cursorBeforeInsert_ = d->cursor_;
    d->rows_.push_back(d->nextRowId_++);
    d->store_.appendRow();
    d->insertRow_ = d->editRow_ = static_cast<int>(d->rows_.size()) - 1;
    d->editBuffer_.assign(d->columns_.size(), QVariant());
    if (atEnd) {
        d->order_.push_back(d->insertRow_);
        d->view_.push_back(d->insertRow_);
        d->cursor_ = static_cast<int>(d->view_.size()) - 1;
    } else {
        const int at = d->cursor_ < 0 ? 0 : d->cursor_;
        const auto pos = std::find(d->order_.begin(), d->order_.end(),
                                   d->view_.empty() ? -1 : d->view_[static_cast<size_t>(at)]);
        d->order_.insert(pos, d->insertRow_);
        d->view_.insert(d->view_.begin() + at, d->insertRow_);
        d->cursor_ = at;
    }
    invalidateIndexes();
    d->eof_ = d->bof_ = false;
    d->modified_ = false;
    d->state_ = DataSetState::Insert;
    notifyControls(DataSource::DataSetChanged);
    notifyControls(DataSource::StateChanged);
    if (onNewRecord)
        onNewRecord(*this);
    if (afterInsert)
        afterInsert(*this);
    doScroll();
}

void DataSet::dropInsertedRow() {
    const int r = d->insertRow_;
    d->order_.erase(std::remove(d->order_.begin(), d->order_.end(), r), d->order_.end());
    d->view_.erase(std::remove(d->view_.begin(), d->view_.end(), r), d->view_.end());
    d->rows_.erase(d->rows_.begin() + r); // the row being inserted is always the last
    d->store_.eraseRow(static_cast<size_t>(r));
    d->insertRow_ = d->editRow_ = -1;
    invalidateIndexes();
    if (d->view_.empty())
        moveTo(-1);
    else
        moveTo(d->cursorBeforeInsert_ < 0 ? 0 : d->cursorBeforeInsert_);
}

void DataSet::cancel() {
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        return;
    if (beforeCancel)
        beforeCancel(*this);
    const bool inserting = d->state_ == DataSetState::Insert;
    if (inserting)
        dropInsertedRow();
    d->editRow_ = -1;
    d->editBuffer_.clear();
    d->modified_ = false;
    d->state_ = DataSetState::Browse;
    notifyControls(inserting ? DataSource::DataSetChanged : DataSource::RecordChanged, -1);
    notifyControls(DataSource::StateChanged);
    if (afterCancel)
        afterCancel(*this);
    if (inserting)
        doScroll();
}

// Runs a database write; a failure goes to the error handler, whose action decides.
void DataSet::runWithErrorHandler(const ErrorEvent& handler, const std::function<void()>& work) {
    for (;;) {
        try {
            work();
            return;
        } catch (const DatabaseError& e) {
            DataAction action = DataAction::Fail;
            if (handler)
                handler(*this, e, action);
            if (action == DataAction::Abort)
                throw Abort();
            if (action == DataAction::Fail)
                throw;
        }
    }
}

void DataSet::post() {
    checkActive("post");
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        throw DatabaseError(
            QStringLiteral("Cannot post: %1 is not in edit or insert mode.").arg(describe()));
    if (beforePost)
        beforePost(*this);
    const bool inserting = d->state_ == DataSetState::Insert;
    runWithErrorHandler(onPostError, [&] {
        if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
            return; // the handler cancelled and asked to retry
        inserting ? writeInsert() : writeBack();
    });
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        return;
    d->store_.setRow(static_cast<size_t>(d->editRow_), d->editBuffer_);
    d->editBuffer_.clear();
    d->editRow_ = d->insertRow_ = -1;
    d->modified_ = false;
    ++d->changeCount_;
    if (inserting)
        invalidateIndexes();
    d->state_ = DataSetState::Browse;
    notifyControls(inserting ? DataSource::DataSetChanged : DataSource::RecordChanged, -1);
    notifyControls(DataSource::StateChanged);
    if (afterPost)
        afterPost(*this);
}

void DataSet::writeBack() {
    const int keyCol = keyColumn();
    if (keyCol < 0)
        throw DatabaseError(
            QStringLiteral("Key field '%1' not found in %2.").arg(d->updateKey_, describe()));
    const std::vector<QVariant> stored = d->store_.row(static_cast<size_t>(d->editRow_));
    std::vector<WriteColumn> columns;
    for (const Field* f : d->fieldPtrs_) {
        const int c = dataIndex(*f);
        if (f->isData() && c >= 0)
            columns.push_back({f->fieldName(), stored[static_cast<size_t>(c)],
                               d->editBuffer_[static_cast<size_t>(c)]});
    }
    const WriteStatement s = WriteStatements(d->updateTable_, d->updateKey_)
                                 .update(stored[static_cast<size_t>(keyCol)], columns);
    if (s.isEmpty())
        return;
    if (d->connection_->execute(s.sql, s.binds) == 0)
        throw DatabaseError(rowNotFound);
}

void DataSet::writeInsert() {
    std::vector<WriteColumn> columns;
    const Field* autoInc = nullptr;
    const Field* key = findField(d->updateKey_);
    for (const Field* f : d->fieldPtrs_) {
        const int c = dataIndex(*f);
        if (!f->isData() || c < 0)
            continue;
        const QVariant& v = d->editBuffer_[static_cast<size_t>(c)];
        if (isNullValue(v) && (f->dataType() == FieldType::AutoInc || f == key))
            autoInc = f;
        columns.push_back({f->fieldName(), QVariant(), v});
    }
    const WriteStatement s = WriteStatements(d->updateTable_, d->updateKey_).insert(columns);
    d->connection_->execute(s.sql, s.binds);
    if (autoInc) {
        // The database chose the key; the row needs it for later updates and deletes.
        const QVariant id = d->connection_->driver().lastInsertId();
        if (!isNullValue(id))
            d->editBuffer_[static_cast<size_t>(dataIndex(*autoInc))] = autoInc->convert(id);
    }
}

void DataSet::writeDelete() {
    const int keyCol = keyColumn();
    if (keyCol < 0)
        throw DatabaseError(
            QStringLiteral("Key field '%1' not found in %2.").arg(d->updateKey_, describe()));
    const int r = d->view_[static_cast<size_t>(d->cursor_)];
    const WriteStatement s =
        WriteStatements(d->updateTable_, d->updateKey_)
            .remove(d->store_.get(static_cast<size_t>(r), static_cast<size_t>(keyCol)));
    if (d->connection_->execute(s.sql, s.binds) == 0)
        throw DatabaseError(rowNotFound);
}

void DataSet::deleteRecord() {
    checkActive("delete");
    if (d->state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        throw DatabaseError(
            QStringLiteral("Cannot delete from %1: it has no rows.").arg(describe()));
    checkCanModify();
    if (beforeDelete)
        beforeDelete(*this);
    runWithErrorHandler(onDeleteError, [&] { writeDelete(); });
    const int r = d->view_[static_cast<size_t>(d->cursor_)];
    const bool wasEditing = d->state_ == DataSetState::Edit;
    d->editRow_ = -1;
    d->editBuffer_.clear();
    d->modified_ = false;
    d->rows_.erase(d->rows_.begin() + r);
    d->store_.eraseRow(static_cast<size_t>(r));
    const auto drop = [r](std::vector<int>& list) {
        list.erase(std::remove(list.begin(), list.end(), r), list.end());
        for (int& i : list) {
            if (i > r)
                --i;
        }
    };
    drop(d->order_);
    drop(d->view_);
    invalidateIndexes();
    ++d->changeCount_;
    moveTo(d->cursor_);
    d->state_ = DataSetState::Browse;
    notifyControls(DataSource::DataSetChanged);
    if (wasEditing)
        notifyControls(DataSource::StateChanged);
    if (afterDelete)
        afterDelete(*this);
    doScroll();
}

} // namespace db
