// Data set editing: edit, insert, post, cancel, delete and the write-back statements.
#include "db/DataSet.h"

#include "db/DataSetPrivate.h"
#include "db/DataSource.h"
#include "db/Transaction.h"
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

void DataSet::Private::checkCanModify() const {
    if (!q->canModify())
        throw DatabaseError(
            QStringLiteral("Cannot modify a read-only data set (%1).").arg(describe()));
}

void DataSet::Private::setState(DataSetState s) {
    if (state_ == s)
        return;
    state_ = s;
    notifyControls(DataSource::StateChanged);
}

void DataSet::setFieldValue(Field& f, const QVariant& v) {
    d->checkActive("change a field");
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
                                .arg(f.fieldName(), d->describe()));
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
                    const QVariant rv = source->d->valueOf(*result, r, -1);
                    if (sameValue(rv, v) || result->textOf(rv) == result->textOf(v)) {
                        keyValue = source->d->valueOf(*sourceKey, r, -1);
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
        d->notifyControls(DataSource::RecordChanged, f.index());
        return;
    }
    const int c = d->dataIndex(f);
    if (c < 0)
        throw DatabaseError(QStringLiteral("Field '%1' has no column.").arg(f.fieldName()));
    QVariant value = f.convert(v);
    d->editBuffer_[static_cast<size_t>(c)] = std::move(value);
    d->modified_ = true;
    d->notifyControls(DataSource::RecordChanged, f.index());
    for (size_t i = 0; i < d->keyFieldOfLookup_.size(); ++i) {
        if (d->keyFieldOfLookup_[i] == f.index())
            d->notifyControls(DataSource::RecordChanged, static_cast<int>(i));
    }
}

void DataSet::edit() {
    d->checkActive("edit");
    if (d->state_ == DataSetState::Edit || d->state_ == DataSetState::Insert)
        return;
    if (recordCount() == 0) {
        insert();
        return;
    }
    d->checkCanModify();
    if (beforeEdit)
        beforeEdit(*this);
    d->editRow_ = d->view_[static_cast<size_t>(d->cursor_)];
    d->editBuffer_ = d->store_.row(static_cast<size_t>(d->editRow_));
    d->modified_ = false;
    d->setState(DataSetState::Edit);
    if (afterEdit)
        afterEdit(*this);
}

void DataSet::insert() {
    d->insertRowAt(false);
}

void DataSet::append() {
    d->insertRowAt(true);
}

// A new row before the current one, or after the last.
void DataSet::Private::insertRowAt(bool atEnd) {
    checkActive(atEnd ? "append" : "insert");
    checkBrowse();
    checkCanModify();
    if (q->beforeInsert)
        q->beforeInsert(*q);
    cursorBeforeInsert_ = cursor_;
    rows_.push_back(nextRowId_++);
    store_.appendRow();
    insertRow_ = editRow_ = static_cast<int>(rows_.size()) - 1;
    editBuffer_.assign(columns_.size(), QVariant());
    if (atEnd) {
        order_.push_back(insertRow_);
        view_.push_back(insertRow_);
        cursor_ = static_cast<int>(view_.size()) - 1;
    } else {
        const int at = cursor_ < 0 ? 0 : cursor_;
        const auto pos = std::find(order_.begin(), order_.end(),
                                   view_.empty() ? -1 : view_[static_cast<size_t>(at)]);
        order_.insert(pos, insertRow_);
        view_.insert(view_.begin() + at, insertRow_);
        cursor_ = at;
    }
    invalidateIndexes();
    eof_ = bof_ = false;
    modified_ = false;
    state_ = DataSetState::Insert;
    notifyControls(DataSource::DataSetChanged);
    notifyControls(DataSource::StateChanged);
    if (q->onNewRecord)
        q->onNewRecord(*q);
    if (q->afterInsert)
        q->afterInsert(*q);
    doScroll();
}

void DataSet::Private::dropInsertedRow() {
    const int r = insertRow_;
    order_.erase(std::remove(order_.begin(), order_.end(), r), order_.end());
    view_.erase(std::remove(view_.begin(), view_.end(), r), view_.end());
    rows_.erase(rows_.begin() + r); // the row being inserted is always the last
    store_.eraseRow(static_cast<size_t>(r));
    insertRow_ = editRow_ = -1;
    invalidateIndexes();
    if (view_.empty())
        moveTo(-1);
    else
        moveTo(cursorBeforeInsert_ < 0 ? 0 : cursorBeforeInsert_);
}

void DataSet::cancel() {
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        return;
    if (beforeCancel)
        beforeCancel(*this);
    const bool inserting = d->state_ == DataSetState::Insert;
    if (inserting)
        d->dropInsertedRow();
    const bool reread =
        !inserting && d->changedByOthers_ >= 0 && d->changedByOthers_ == d->editRow_;
    d->changedByOthers_ = -1;
    d->editRow_ = -1;
    d->editBuffer_.clear();
    d->modified_ = false;
    d->state_ = DataSetState::Browse;
    if (reread) {
        try {
            rereadRow();
        } catch (const DatabaseError&) {
            // The link may be gone too; the row then shows what was read before.
        }
    }
    d->notifyControls(inserting ? DataSource::DataSetChanged : DataSource::RecordChanged, -1);
    d->notifyControls(DataSource::StateChanged);
    if (afterCancel)
        afterCancel(*this);
    if (inserting)
        d->doScroll();
}

// Runs a database write; a failure goes to the error handler, whose action decides.
void DataSet::Private::runWithErrorHandler(const ErrorEvent& handler,
                                           const std::function<void()>& work) {
    for (;;) {
        try {
            work();
            return;
        } catch (const DatabaseError& e) {
            DataAction action = DataAction::Fail;
            if (handler)
                handler(*q, e, action);
            if (action == DataAction::Abort)
                throw Abort();
            if (action == DataAction::Fail)
                throw;
        }
    }
}

void DataSet::Private::writeWith(const Notify& alongside, const std::function<void()>& write) {
    if (!alongside) {
        write();
        return;
    }
    // Rolled back before the error handler runs: a box shown there must not hold the lock.
    Transaction transaction(*connection_);
    write();
    alongside(*q);
    transaction.commit();
}

void DataSet::post() {
    d->checkActive("post");
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        throw DatabaseError(
            QStringLiteral("Cannot post: %1 is not in edit or insert mode.").arg(d->describe()));
    if (beforePost)
        beforePost(*this);
    const bool inserting = d->state_ == DataSetState::Insert;
    d->savedDespiteLostLink_ = false;
    d->runWithErrorHandler(onPostError, [&] {
        if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
            return; // the handler cancelled and asked to retry
        if (inserting) {
            d->writeWith(whilePosting, [&] { d->writeInsert(); });
            return;
        }
        try {
            d->writeWith(whilePosting, [&] { d->writeBack(); });
        } catch (const DatabaseError& e) {
            if (!e.connectionLost())
                throw;
            d->settleLostWrite(e);
            d->savedDespiteLostLink_ = true;
        }
    });
    if (d->state_ != DataSetState::Edit && d->state_ != DataSetState::Insert)
        return;
    d->store_.setRow(static_cast<size_t>(d->editRow_), d->editBuffer_);
    d->changedByOthers_ = -1;
    d->editBuffer_.clear();
    d->editRow_ = d->insertRow_ = -1;
    d->modified_ = false;
    ++d->changeCount_;
    if (inserting)
        d->invalidateIndexes();
    d->state_ = DataSetState::Browse;
    d->notifyControls(inserting ? DataSource::DataSetChanged : DataSource::RecordChanged, -1);
    d->notifyControls(DataSource::StateChanged);
    if (afterPost)
        afterPost(*this);
}

void DataSet::Private::writeBack() {
    const int keyCol = keyColumn();
    if (keyCol < 0)
        throw DatabaseError(
            QStringLiteral("Key field '%1' not found in %2.").arg(updateKey_, describe()));
    const std::vector<QVariant> stored = store_.row(static_cast<size_t>(editRow_));
    std::vector<WriteColumn> columns;
    for (const Field* f : fieldPtrs_) {
        const int c = dataIndex(*f);
        if (f->isData() && c >= 0)
            columns.push_back({f->fieldName(), stored[static_cast<size_t>(c)],
                               editBuffer_[static_cast<size_t>(c)]});
    }
    const WriteStatement s = WriteStatements(updateTable_, updateKey_)
                                 .update(stored[static_cast<size_t>(keyCol)], columns);
    if (s.isEmpty())
        return;
    const int changed = connection_->execute(s.sql, s.binds);
    // A server that sends no count (NOCOUNT ON) leaves it unknown: the row itself tells.
    if (changed == 0 || (changed < 0 && !rowHolds(stored[static_cast<size_t>(keyCol)]))) {
        changedByOthers_ = editRow_;
        throw DatabaseError(ErrorKind::Conflict, rowNotFound);
    }
}

// The link fell while the row was written: the server may have stored it (and committed its
// records with it) or not. Only the row can tell, read on a new connection.
void DataSet::Private::settleLostWrite(const DatabaseError& lost) {
    bool holds = false;
    try {
        const int keyCol = keyColumn();
        holds = rowHolds(store_.get(static_cast<size_t>(editRow_), static_cast<size_t>(keyCol)));
    } catch (const DatabaseError&) {
        throw DatabaseError(
            QStringLiteral("Связь с сервером потеряна во время записи, и проверить, сохранено ли "
                           "изменение, не удалось: сервер недоступен. Изменение осталось в "
                           "строке; проверьте запись, когда связь восстановится.\n") +
                lost.message(),
            lost.sqlState(), lost.nativeError());
    }
    if (!holds)
        throw lost;
}

bool DataSet::lastPostSurvivedLostLink() const {
    return d->savedDespiteLostLink_;
}

bool DataSet::Private::rowHolds(const QVariant& key) const {
    const std::vector<QVariant> stored = store_.row(static_cast<size_t>(editRow_));
    std::vector<QString> names;
    std::vector<std::pair<const Field*, QVariant>> written;
    for (const Field* f : fieldPtrs_) {
        const int c = dataIndex(*f);
        if (!f->isData() || c < 0)
            continue;
        const QVariant& now = editBuffer_[static_cast<size_t>(c)];
        if (sameValue(now, stored[static_cast<size_t>(c)]))
            continue;
        names.push_back(f->fieldName());
        written.emplace_back(f, now);
    }
    const WriteStatement s = WriteStatements(updateTable_, updateKey_).select(key, names);
    const Result now = connection_->query(s.sql, s.binds);
    if (now.rows.empty())
        return false;
    for (size_t i = 0; i < written.size(); ++i)
        if (!sameValue(written[i].first->convert(now.rows.front().at(i)), written[i].second))
            return false;
    return true;
}

bool DataSet::rereadRow() {
    d->checkActive("reread");
    if (d->cursor_ < 0 || d->state_ == DataSetState::Insert)
        return false;
    const int keyCol = d->keyColumn();
    if (keyCol < 0 || d->updateTable_.isEmpty())
        return false;
    const int r = d->view_[static_cast<size_t>(d->cursor_)];
    std::vector<QString> names;
    std::vector<std::pair<Field*, int>> columns;
    for (Field* f : d->fieldPtrs_) {
        const int c = d->dataIndex(*f);
        if (f->isData() && c >= 0) {
            names.push_back(f->fieldName());
            columns.emplace_back(f, c);
        }
    }
    const WriteStatement s =
        WriteStatements(d->updateTable_, d->updateKey_)
            .select(d->store_.get(static_cast<size_t>(r), static_cast<size_t>(keyCol)), names);
    const Result now = d->connection_->query(s.sql, s.binds);
    if (now.rows.empty())
        return false;
    for (size_t i = 0; i < columns.size(); ++i)
        d->store_.set(static_cast<size_t>(r), static_cast<size_t>(columns[i].second),
                      columns[i].first->convert(now.rows.front().at(i)));
    d->invalidateIndexes();
    d->notifyControls(DataSource::RecordChanged, -1);
    return true;
}

void DataSet::Private::writeInsert() {
    std::vector<WriteColumn> columns;
    const Field* autoInc = nullptr;
    const Field* key = q->findField(updateKey_);
    for (const Field* f : fieldPtrs_) {
        const int c = dataIndex(*f);
        if (!f->isData() || c < 0)
            continue;
        const QVariant& v = editBuffer_[static_cast<size_t>(c)];
        if (isNullValue(v) && (f->dataType() == FieldType::AutoInc || f == key))
            autoInc = f;
        columns.push_back({f->fieldName(), QVariant(), v});
    }
    const WriteStatement s = WriteStatements(updateTable_, updateKey_).insert(columns);
    connection_->execute(s.sql, s.binds);
    if (autoInc) {
        // The database chose the key; the row needs it for later updates and deletes.
        const QVariant id = connection_->lastInsertId();
        if (!isNullValue(id))
            editBuffer_[static_cast<size_t>(dataIndex(*autoInc))] = autoInc->convert(id);
    }
}

void DataSet::Private::writeDelete() {
    const int keyCol = keyColumn();
    if (keyCol < 0)
        throw DatabaseError(
            QStringLiteral("Key field '%1' not found in %2.").arg(updateKey_, describe()));
    const int r = view_[static_cast<size_t>(cursor_)];
    const WriteStatement s =
        WriteStatements(updateTable_, updateKey_)
            .remove(store_.get(static_cast<size_t>(r), static_cast<size_t>(keyCol)));
    if (connection_->execute(s.sql, s.binds) == 0)
        throw DatabaseError(ErrorKind::Conflict, rowNotFound);
}

void DataSet::deleteRecord() {
    d->checkActive("delete");
    if (d->state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        throw DatabaseError(
            QStringLiteral("Cannot delete from %1: it has no rows.").arg(d->describe()));
    d->checkCanModify();
    if (beforeDelete)
        beforeDelete(*this);
    d->runWithErrorHandler(onDeleteError,
                           [&] { d->writeWith(whileDeleting, [&] { d->writeDelete(); }); });
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
    d->invalidateIndexes();
    ++d->changeCount_;
    d->moveTo(d->cursor_);
    d->state_ = DataSetState::Browse;
    d->notifyControls(DataSource::DataSetChanged);
    if (wasEditing)
        d->notifyControls(DataSource::StateChanged);
    if (afterDelete)
        afterDelete(*this);
    d->doScroll();
}

} // namespace db
