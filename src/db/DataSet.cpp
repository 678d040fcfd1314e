// Data set life: statement, parameters, fields, open, close, refresh and statements
// without rows.
#include "db/DataSet.h"

#include "db/DataSetInternal.h"
#include "db/DataSetPrivate.h"
#include "db/DataSource.h"
#include "db/FilterExpression.h"
#include "db/LocalDateTime.h"
#include "db/ValueCompare.h"

#include <QHash>

#include <algorithm>

namespace db {

DataSet::DataSet(DataSetKind kind, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this, kind)) {}

DataSet::~DataSet() {
    Q_EMIT destroyedDataSet();
    for (DataSource* s : std::vector<DataSource*>(d->sources_))
        s->setDataSet(nullptr);
}

DataSetKind DataSet::kind() const {
    return d->kind_;
}

Connection* DataSet::connection() const {
    return d->connection_;
}

void DataSet::setConnection(Connection* c) {
    d->connection_ = c;
}

QString DataSet::sql() const {
    return d->sql_;
}

QString DataSet::tableName() const {
    return d->tableName_;
}

void DataSet::setTableName(const QString& name) {
    d->tableName_ = name;
}

QString DataSet::procedureName() const {
    return d->procedureName_;
}

void DataSet::setProcedureName(const QString& name) {
    d->procedureName_ = name;
}

Parameters& DataSet::parameters() {
    return d->parameters_;
}

int DataSet::commandTimeout() const {
    return d->commandTimeout_;
}

void DataSet::setCommandTimeout(int seconds) {
    d->commandTimeout_ = seconds;
}

QString DataSet::updateTable() const {
    return d->updateTable_;
}

QString DataSet::updateKeyField() const {
    return d->updateKey_;
}

bool DataSet::active() const {
    return d->state_ != DataSetState::Inactive;
}

DataSetState DataSet::state() const {
    return d->state_;
}

bool DataSet::controlsDisabled() const {
    return d->disableCount_ > 0;
}

QString DataSet::Private::describe() const {
    return q->objectName().isEmpty() ? QStringLiteral("the data set") : q->objectName();
}

void DataSet::setSql(const QString& text) {
    d->sql_ = text;
    // The parameter list follows the statement's :names; values already set are kept.
    const QStringList names = internal::parameterNames(text);
    if (names.isEmpty() && d->parameters_.count() > 0 && d->kind_ != DataSetKind::Query)
        return;
    Parameters next;
    for (const QString& name : names) {
        if (next.find(name))
            continue;
        if (Parameter* old = d->parameters_.find(name)) {
            next.add(*old);
        } else {
            Parameter p;
            p.name = name;
            p.type = FieldType::Unknown;
            next.add(p);
        }
    }
    d->parameters_ = std::move(next);
}

void DataSet::setUpdateTable(const QString& table, const QString& keyField) {
    d->updateTable_ = table;
    d->updateKey_ = keyField;
}

// --- Fields

bool DataSet::hasPersistentFields() const {
    return !d->fieldDefs_.empty();
}

int DataSet::fieldCount() const {
    return static_cast<int>(d->fields_.size());
}

const std::vector<Field*>& DataSet::fields() const {
    return d->fieldPtrs_;
}

void DataSet::addFieldDef(const FieldDef& def) {
    if (active())
        throw DatabaseError(
            QStringLiteral("Cannot add field '%1' while %2 is open.").arg(def.name, d->describe()));
    if (!hasPersistentFields())
        d->destroyDynamicFields();
    if (findField(def.name))
        throw DatabaseError(QStringLiteral("Field '%1' is defined twice.").arg(def.name));
    d->fieldDefs_.push_back(def);
    auto f = std::make_unique<Field>(this, def, static_cast<int>(d->fields_.size()));
    d->fieldPtrs_.push_back(f.get());
    d->fields_.push_back(std::move(f));
}

void DataSet::clearFieldDefs() {
    if (active())
        throw DatabaseError(
            QStringLiteral("Cannot remove the fields while %1 is open.").arg(d->describe()));
    d->fieldDefs_.clear();
    d->destroyDynamicFields();
}

void DataSet::Private::destroyDynamicFields() {
    fieldPtrs_.clear();
    fields_.clear();
    dataColumnOfField_.clear();
    keyFieldOfLookup_.clear();
}

Field* DataSet::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw DatabaseError(QStringLiteral("Field index %1 is out of range (%2 has %3 fields).")
                                .arg(index)
                                .arg(d->describe())
                                .arg(fieldCount()));
    return d->fieldPtrs_[static_cast<size_t>(index)];
}

Field* DataSet::findField(const QString& name) const {
    const QString wanted = name.trimmed();
    for (Field* f : d->fieldPtrs_) {
        if (f->fieldName().compare(wanted, Qt::CaseInsensitive) == 0)
            return f;
    }
    return nullptr;
}

Field* DataSet::fieldByName(const QString& name) const {
    if (Field* f = findField(name))
        return f;
    throw DatabaseError(QStringLiteral("Field '%1' not found in %2.").arg(name, d->describe()));
}

int DataSet::Private::dataIndex(const Field& f) const {
    const auto i = static_cast<size_t>(f.index());
    return i < dataColumnOfField_.size() ? dataColumnOfField_[i] : -1;
}

int DataSet::Private::keyColumn() const {
    if (updateKey_.isEmpty())
        return -1;
    const Field* f = q->findField(updateKey_);
    return f ? dataIndex(*f) : -1;
}

// --- Fetching

void DataSet::Private::fetchInto(RowSink& sink) {
    if (!connection_)
        throw DatabaseError(QStringLiteral("%1 has no connection.").arg(describe()));
    switch (kind_) {
    case DataSetKind::Query: {
        std::vector<QVariant> binds;
        const QString text = internal::positionalSql(sql_, parameters_, binds);
        connection_->query(text, binds, commandTimeout_, sink);
        return;
    }
    case DataSetKind::Table:
        if (tableName_.isEmpty())
            throw DatabaseError(QStringLiteral("%1 has no table name.").arg(describe()));
        connection_->query(QStringLiteral("select * from ") + tableName_, {}, commandTimeout_,
                           sink);
        return;
    case DataSetKind::StoredProc: {
        internal::TypedRows typed(sink);
        connection_->queryProcedure(procedureName_, parameters_, commandTimeout_, typed);
        typed.finish();
        return;
    }
    }
}

// Maps fields onto the result's columns; dynamic fields are made from the columns. On a
// re-read the fields are kept and only re-mapped.
void DataSet::Private::bindFields(const Result& result, bool reread) {
    QHash<QString, int> columnOf;
    for (size_t c = 0; c < result.columns.size(); ++c)
        columnOf.insert(result.columns[c].name.toLower(), static_cast<int>(c));

    if (!q->hasPersistentFields() && !reread) {
        destroyDynamicFields();
        for (size_t c = 0; c < result.columns.size(); ++c) {
            const Column& col = result.columns[c];
            FieldDef def;
            def.name = col.name;
            def.type = col.type == FieldType::Unknown ? internal::inferType(result, c) : col.type;
            def.size = col.size;
            def.readOnly = col.readOnly;
            auto f = std::make_unique<Field>(q, def, static_cast<int>(fields_.size()));
            fieldPtrs_.push_back(f.get());
            fields_.push_back(std::move(f));
        }
    }
    std::vector<int> dataColumns(fields_.size(), -1);
    std::vector<int> lookupKeys(fields_.size(), -1);
    for (size_t i = 0; i < fields_.size(); ++i) {
        const Field& f = *fields_[i];
        if (f.isData()) {
            const int c = columnOf.value(f.fieldName().toLower(), -1);
            if (c < 0)
                throw DatabaseError(QStringLiteral("Field '%1' not found in the result of %2.")
                                        .arg(f.fieldName(), describe()));
            dataColumns[i] = c;
        } else if (f.isLookup()) {
            const Field* key = q->findField(f.keyFields());
            if (!key || !key->isData() || !f.lookupDataSet())
                throw DatabaseError(QStringLiteral("Lookup field '%1' has no key field '%2' or "
                                                   "no lookup data set.")
                                        .arg(f.fieldName(), f.keyFields()));
            // An open list without the fields the lookup reads is refused now, by name,
            // rather than showing empty texts later.
            if (const DataSet* list = f.lookupDataSet(); list->active()) {
                for (const QString& name : f.lookupKeyFields().split(u';', Qt::SkipEmptyParts))
                    list->fieldByName(name);
                list->fieldByName(f.lookupResultField());
            }
            lookupKeys[i] = key->index();
        }
    }
    dataColumnOfField_ = std::move(dataColumns);
    keyFieldOfLookup_ = std::move(lookupKeys);
    columns_ = result.columns;
}

// Takes a result's rows into a column store of its own as the driver reads them; the data set
// takes them when the read is complete. Values that a driver left in another type (a BIT read
// as an integer, a date read as text) are converted and texts are cut to their field's size
// on the way; values already right cost one type check.
class DataSet::Private::Intake : public RowSink {
public:
    Intake(Private& dataSet, bool reread)
        : ds_(dataSet)
        , reread_(reread) {}

    // Runs on the data set's own thread; the rows may come on another, while the window
    // paints the rows it has.
    void begin(const std::vector<Column>& columns, size_t rowsHint) override {
        Result shape;
        shape.columns = columns;
        auto dataColumns = ds_.dataColumnOfField_;
        auto lookupKeys = ds_.keyFieldOfLookup_;
        auto shown = ds_.columns_;
        ds_.bindFields(shape, reread_);
        width_ = columns.size();
        checks_.assign(width_, Check());
        std::vector<int> types(width_, QMetaType::UnknownType);
        for (size_t i = 0; i < ds_.fields_.size(); ++i) {
            const Field& f = *ds_.fields_[i];
            const int c = ds_.dataColumnOfField_[i];
            const int expected = internal::metaTypeOf(f.dataType());
            if (c < 0 || expected == QMetaType::UnknownType)
                continue;
            const bool text =
                f.dataType() == FieldType::String || f.dataType() == FieldType::WideString;
            checks_[static_cast<size_t>(c)] = {expected, text ? f.size() : 0, &f};
            types[static_cast<size_t>(c)] = expected;
        }
        read_.reset(types, 0);
        read_.reserve(rowsHint);
        ids_.reserve(rowsHint);
        // A re-read keeps the rows on screen mapped as they were until its own are complete.
        std::swap(dataColumns, ds_.dataColumnOfField_);
        std::swap(lookupKeys, ds_.keyFieldOfLookup_);
        std::swap(shown, ds_.columns_);
        dataColumns_ = std::move(dataColumns);
        lookupKeys_ = std::move(lookupKeys);
        columns_ = std::move(shown);
        begun_ = true;
    }

    void row(std::vector<QVariant>& values) override {
        const size_t r = read_.rowCount();
        read_.pushRow();
        ids_.push_back(nextRowId_++);
        values.resize(width_);
        for (size_t c = 0; c < width_; ++c) {
            QVariant& v = values[c];
            int t = v.typeId();
            const Check& check = checks_[c];
            if (t == storedDateTime_) {
                const auto local = *static_cast<const LocalDateTime*>(v.constData());
                if (check.expected == QMetaType::QDateTime) {
                    read_.putDateTime(r, c, local);
                    continue;
                }
                v = local.value();
                t = v.typeId();
            }
            if (check.field && t != QMetaType::UnknownType) {
                if (t == check.expected ||
                    (check.expected == QMetaType::Int && t == QMetaType::LongLong)) {
                    if (check.cut > 0 && t == QMetaType::QString) {
                        const QString* s = static_cast<const QString*>(v.constData());
                        if (s->size() > check.cut)
                            v = QVariant(s->left(check.cut));
                    }
                } else if (!v.isNull()) {
                    try {
                        v = check.field->convert(v);
                        t = v.typeId();
                    } catch (const DatabaseError&) {
                        // A value the type cannot hold stays as the database gave it.
                    }
                }
            }
            read_.put(r, c, std::move(v), t);
        }
    }

    bool takesStoredDateTimes() const override { return true; }

    // The rows read become the data set's.
    void finish() {
        if (!begun_)
            begin({}, 0);
        read_.shrinkToFit();
        ids_.shrink_to_fit();
        ds_.dataColumnOfField_ = std::move(dataColumns_);
        ds_.keyFieldOfLookup_ = std::move(lookupKeys_);
        ds_.columns_ = std::move(columns_);
        ds_.nextRowId_ = nextRowId_;
        ds_.store_ = std::move(read_);
        ds_.rows_ = std::move(ids_);
    }

private:
    struct Check {
        int expected = QMetaType::UnknownType;
        int cut = 0;
        const Field* field = nullptr;
    };
    Private& ds_;
    const int storedDateTime_ = qMetaTypeId<LocalDateTime>();
    bool reread_;
    quint64 nextRowId_ = ds_.nextRowId_;
    std::vector<int> dataColumns_;
    std::vector<int> lookupKeys_;
    std::vector<Column> columns_;
    bool begun_ = false;
    size_t width_ = 0;
    std::vector<Check> checks_;
    ColumnStore read_;
    std::vector<quint64> ids_;
};

void DataSet::Private::readRows(bool reread) {
    Intake intake(*this, reread);
    fetchInto(intake);
    intake.finish();
}

void DataSet::Private::resetRows() {
    // A closed data set gives its rows' memory back rather than keeping it until it opens.
    std::vector<quint64>().swap(rows_);
    store_.clear();
    std::vector<int>().swap(order_);
    std::vector<int>().swap(view_);
    rowIndex_.clear();
    cursor_ = -1;
    eof_ = bof_ = true;
    editBuffer_.clear();
    editRow_ = insertRow_ = -1;
    modified_ = false;
    displayRow_ = -1;
}

// --- Life

void DataSet::open() {
    if (active())
        return;
    if (beforeOpen)
        beforeOpen(*this);
    d->readRows(false);
    d->sortField_.clear();
    d->sortAscending_ = true;
    if (d->filtered_ && d->filterExpr_) {
        try {
            d->bindFilter(d->filterExpr_.get());
        } catch (...) {
            d->resetRows();
            if (!hasPersistentFields())
                d->destroyDynamicFields();
            throw;
        }
    }
    ++d->changeCount_;
    d->state_ = DataSetState::Browse;
    d->rebuildOrder();
    d->rebuildView(false);
    d->moveTo(0);
    d->bof_ = true;
    d->eof_ = d->view_.empty();
    d->notifyControls(DataSource::ActiveChanged);
    if (afterOpen)
        afterOpen(*this);
    d->doScroll();
}

void DataSet::close() {
    if (!active())
        return;
    if (beforeClose)
        beforeClose(*this);
    d->resetRows();
    d->sortField_.clear();
    d->state_ = DataSetState::Inactive;
    ++d->changeCount_;
    if (!hasPersistentFields())
        d->destroyDynamicFields();
    d->notifyControls(DataSource::ActiveChanged);
    if (afterClose)
        afterClose(*this);
}

void DataSet::refresh() {
    d->checkActive("refresh");
    d->checkBrowse();
    // Rows keep their bookmarks across the re-read: by key where there is one, else by place.
    int keyCol = d->keyColumn();
    const quint64 currentId =
        d->cursor_ >= 0 ? d->rows_[static_cast<size_t>(d->view_[d->cursor_])] : 0;
    const int oldCursor = d->cursor_;
    KeyIndex oldIds;
    if (keyCol >= 0) {
        for (int i = static_cast<int>(d->rows_.size()) - 1; i >= 0; --i)
            oldIds.insert(d->store_.get(static_cast<size_t>(i), static_cast<size_t>(keyCol)), i);
    }
    const std::vector<quint64> old = d->rows_;
    d->readRows(true);
    keyCol = d->keyColumn();
    std::vector<bool> taken(old.size(), false);
    for (size_t i = 0; i < d->rows_.size(); ++i) {
        int from = -1;
        if (keyCol >= 0)
            from = oldIds.find(d->store_.get(i, static_cast<size_t>(keyCol)));
        else if (i < old.size())
            from = static_cast<int>(i);
        if (from >= 0 && !taken[static_cast<size_t>(from)]) {
            taken[static_cast<size_t>(from)] = true;
            d->rows_[i] = old[static_cast<size_t>(from)];
        }
    }
    d->rowIndex_.invalidate();
    ++d->changeCount_;
    d->rebuildOrder();
    d->rebuildView(false);
    int target = -1;
    if (currentId != 0) {
        const int r = d->rowIndexOfId(currentId);
        target = r >= 0 ? d->visibleOfRow(r) : -1;
    }
    if (target < 0 && !d->view_.empty())
        target = std::clamp(oldCursor, 0, static_cast<int>(d->view_.size()) - 1);
    d->cursor_ = target;
    d->eof_ = d->bof_ = d->view_.empty();
    d->notifyControls(DataSource::DataSetChanged);
    d->doScroll();
}

int DataSet::execSql() {
    if (d->kind_ == DataSetKind::StoredProc) {
        execProc();
        return -1;
    }
    if (!d->connection_)
        throw DatabaseError(QStringLiteral("%1 has no connection.").arg(d->describe()));
    std::vector<QVariant> binds;
    const QString text = d->kind_ == DataSetKind::Query
                             ? internal::positionalSql(d->sql_, d->parameters_, binds)
                             : QStringLiteral("select * from ") + d->tableName_;
    return d->connection_->execute(text, binds);
}

void DataSet::execProc() {
    if (!d->connection_)
        throw DatabaseError(QStringLiteral("%1 has no connection.").arg(d->describe()));
    if (d->kind_ != DataSetKind::StoredProc) {
        execSql();
        return;
    }
    d->connection_->callProcedure(d->procedureName_, d->parameters_, d->commandTimeout_);
}

// --- Controls

void DataSet::attachSource(DataSource* s) {
    if (std::find(d->sources_.begin(), d->sources_.end(), s) == d->sources_.end())
        d->sources_.push_back(s);
}

void DataSet::detachSource(DataSource* s) {
    d->sources_.erase(std::remove(d->sources_.begin(), d->sources_.end(), s), d->sources_.end());
}

void DataSet::disableControls() {
    ++d->disableCount_;
}

void DataSet::enableControls() {
    if (d->disableCount_ == 0)
        return;
    if (--d->disableCount_ > 0)
        return;
    const bool wasActive = d->pendingActive_;
    const bool any = d->pendingRefresh_;
    d->pendingActive_ = d->pendingRefresh_ = false;
    if (!any)
        return;
    for (DataSource* s : std::vector<DataSource*>(d->sources_))
        s->notify(wasActive ? DataSource::ActiveChanged : DataSource::DataSetChanged, -1);
}

void DataSet::Private::notifyControls(int what, int fieldIndex) {
    if (disableCount_ > 0) {
        pendingRefresh_ = true;
        if (what == DataSource::ActiveChanged)
            pendingActive_ = true;
        return;
    }
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notify(what, fieldIndex);
}

} // namespace db
