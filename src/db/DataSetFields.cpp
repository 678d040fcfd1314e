// Reading field values of a data set: data, lookup and calculated fields, any row.
#include "db/DataSet.h"

#include "db/DataSetInternal.h"
#include "db/DataSetPrivate.h"
#include "db/DataSource.h"
#include "db/ValueCompare.h"

namespace db {

QVariant DataSet::Private::cell(int rowIndex, int column) const {
    if (rowIndex == editRow_ && rowIndex >= 0)
        return editBuffer_[static_cast<size_t>(column)];
    return store_.get(static_cast<size_t>(rowIndex), static_cast<size_t>(column));
}

QVariant DataSet::Private::valueOf(const Field& f, int rowIndex, int visibleIndex) const {
    if (rowIndex < 0 || rowIndex >= static_cast<int>(rows_.size()))
        return {};
    switch (f.fieldKind()) {
    case FieldKind::Data: {
        const int c = dataIndex(f);
        return c >= 0 ? cell(rowIndex, c) : QVariant();
    }
    case FieldKind::Lookup:
        return lookupValue(f, keyOfLookupField(f, rowIndex));
    case FieldKind::Calculated:
        return calcValue(f, rowIndex, visibleIndex);
    }
    return {};
}

QVariant DataSet::Private::keyOfLookupField(const Field& f, int rowIndex) const {
    const auto i = static_cast<size_t>(f.index());
    const int keyField = i < keyFieldOfLookup_.size() ? keyFieldOfLookup_[i] : -1;
    if (keyField < 0)
        return {};
    const int c = dataColumnOfField_[static_cast<size_t>(keyField)];
    return c >= 0 ? cell(rowIndex, c) : QVariant();
}

QVariant DataSet::Private::lookupValue(const Field& f, const QVariant& key) const {
    const DataSet* source = f.lookupDataSet();
    if (!source || isNullValue(key))
        return {};
    QVariant v = source->d->lookupResult(f.lookupKeyFields(), f.lookupResultField(), key);
    if (f.size() > 0 && v.typeId() == QMetaType::QString) {
        const QString* s = static_cast<const QString*>(v.constData());
        if (s->size() > f.size())
            return QVariant(s->left(f.size()));
    }
    return v;
}

int DataSet::Private::lookupRowOf(const QString& keyFields, const QString& resultField,
                                  const QVariant& key, int* resultFieldIndex) const {
    if (!q->active())
        return -1;
    LookupIndex* index = nullptr;
    for (LookupIndex& li : lookups_) {
        if (li.keyFields == keyFields && li.resultField == resultField) {
            index = &li;
            break;
        }
    }
    if (!index) {
        lookups_.push_back(LookupIndex{keyFields, resultField, 0, false, -1, {}});
        index = &lookups_.back();
    }
    if (!index->built || index->builtAt != changeCount_) {
        index->keys.clear();
        const Field* keyField = q->findField(keyFields);
        const Field* result = q->findField(resultField);
        index->resultFieldIndex = result ? result->index() : -1;
        if (keyField && result) {
            index->keys.reserve(static_cast<int>(view_.size()));
            // Inserted back to front, so the first visible row with a key wins.
            for (auto it = view_.rbegin(); it != view_.rend(); ++it) {
                if (*it != insertRow_)
                    index->keys.insert(valueOf(*keyField, *it, -1), *it);
            }
        }
        index->builtAt = changeCount_;
        index->built = true;
    }
    *resultFieldIndex = index->resultFieldIndex;
    return index->resultFieldIndex < 0 ? -1 : index->keys.find(key);
}

QVariant DataSet::Private::lookupResult(const QString& keyFields, const QString& resultField,
                                        const QVariant& key) const {
    int resultIndex = -1;
    const int row = lookupRowOf(keyFields, resultField, key, &resultIndex);
    if (row < 0 || resultIndex < 0)
        return {};
    return valueOf(*fieldPtrs_[static_cast<size_t>(resultIndex)], row, -1);
}

// Calculated fields are computed on each read, in the CalcFields state, with the record
// number of the row being computed.
QVariant DataSet::Private::calcValue(const Field& f, int rowIndex, int visibleIndex) const {
    if (state_ == DataSetState::CalcFields && calcRow_ == rowIndex)
        return calcBuffer_[static_cast<size_t>(f.index())];
    if (!q->onCalcFields)
        return {};
    auto* self = const_cast<DataSet*>(q);
    struct Restore {
        DataSet* ds;
        DataSetState state;
        int row, visible;
        std::vector<QVariant> buffer;
        ~Restore() {
            ds->d->state_ = state;
            ds->d->calcRow_ = row;
            ds->d->calcVisible_ = visible;
            ds->d->calcBuffer_ = std::move(buffer);
        }
    } restore{self, state_, calcRow_, calcVisible_, std::move(calcBuffer_)};
    self->d->state_ = DataSetState::CalcFields;
    calcRow_ = rowIndex;
    calcVisible_ = visibleIndex;
    calcBuffer_.assign(fields_.size(), QVariant());
    q->onCalcFields(*self);
    return calcBuffer_[static_cast<size_t>(f.index())];
}

QVariant DataSet::fieldValue(const Field& f) const {
    if (!active())
        return {};
    if (d->state_ == DataSetState::CalcFields)
        return d->valueOf(f, d->calcRow_, d->calcVisible_);
    const int v = d->readVisible();
    if (v < 0 || v >= static_cast<int>(d->view_.size()))
        return {};
    return d->valueOf(f, d->view_[static_cast<size_t>(v)], v);
}

QVariant DataSet::fieldOldValue(const Field& f) const {
    if (!active())
        return {};
    int r = d->calcRow_;
    if (d->state_ != DataSetState::CalcFields) {
        const int v = d->readVisible();
        r = v >= 0 && v < static_cast<int>(d->view_.size()) ? d->view_[static_cast<size_t>(v)] : -1;
    }
    if (r < 0 || r >= static_cast<int>(d->rows_.size()))
        return {};
    const auto stored = [&](int c) {
        return d->store_.get(static_cast<size_t>(r), static_cast<size_t>(c));
    };
    if (f.isData()) {
        const int c = d->dataIndex(f);
        return c >= 0 ? stored(c) : QVariant();
    }
    if (f.isLookup()) {
        const int keyField = d->keyFieldOfLookup_[static_cast<size_t>(f.index())];
        const int c = keyField >= 0 ? d->dataColumnOfField_[static_cast<size_t>(keyField)] : -1;
        return c >= 0 ? d->lookupValue(f, stored(c)) : QVariant();
    }
    return {};
}

} // namespace db
