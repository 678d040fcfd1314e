// The lookup selectors' list, value and current-row rule.
#include "controls/LookupBinding.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/ValueCompare.h"

namespace controls {

LookupBinding::LookupBinding(QObject* parent)
    : QObject(parent) {}

db::DataSet* LookupBinding::listDataSet() const {
    return source_ ? source_->dataSet() : nullptr;
}

void LookupBinding::setListSource(db::DataSource* source) {
    for (auto& c : connections_)
        disconnect(c);
    connections_.clear();
    source_ = source;
    wasActive_ = false;
    if (source_) {
        auto again = [this] { reload(); };
        connections_.push_back(connect(source_, &db::DataSource::activeChanged, this, again));
        connections_.push_back(connect(source_, &db::DataSource::dataSetChanged, this, again));
        connections_.push_back(connect(source_, &db::DataSource::layoutChanged, this, again));
        connections_.push_back(
            connect(source_, &db::DataSource::recordChanged, this, [this](int) { reload(); }));
        connections_.push_back(connect(source_, &QObject::destroyed, this, [this] {
            items_.clear();
            if (changed)
                changed();
        }));
    }
    reload();
}

void LookupBinding::setFields(const QString& key, const QString& list) {
    keyField = key;
    listField = list;
    reload();
}

void LookupBinding::reload() {
    items_.clear();
    db::DataSet* ds = listDataSet();
    const bool active = ds != nullptr && ds->active();
    if (active) {
        db::Field* key = ds->findField(keyField);
        db::Field* shown = ds->findField(listField);
        const int n = ds->recordCount();
        items_.reserve(size_t(n));
        for (int i = 0; i < n && key != nullptr; ++i) {
            db::DisplayRowScope row(*ds, i);
            items_.push_back(Item{key->value(), shown != nullptr ? shown->text() : QString()});
        }
    }
    const bool opened = active && !wasActive_;
    wasActive_ = active;
    if (opened)
        follow();
    if (changed)
        changed();
}

int LookupBinding::indexOfValue() const {
    if (db::isNullValue(value_))
        return -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (db::sameValue(items_[i].key, value_))
            return int(i);
    return -1;
}

void LookupBinding::setValue(const QVariant& key) {
    const bool differs = !db::sameValue(value_, key);
    value_ = key;
    follow();
    if (changed)
        changed();
    if (differs)
        Q_EMIT valueChanged(value_);
}

QString LookupBinding::text() const {
    const int i = indexOfValue();
    return i >= 0 ? items_[size_t(i)].text : QString();
}

void LookupBinding::choose(int index) {
    if (index < 0 || index >= int(items_.size()))
        return;
    const bool differs = !db::sameValue(value_, items_[size_t(index)].key);
    value_ = items_[size_t(index)].key;
    if (db::DataSet* ds = listDataSet())
        ds->setRecNo(index + 1);
    if (changed)
        changed();
    if (differs)
        Q_EMIT valueChanged(value_);
}

int LookupBinding::listRow() const {
    db::DataSet* ds = listDataSet();
    if (ds == nullptr || !ds->active() || items_.empty())
        return -1;
    const int r = ds->recNo() - 1;
    return r >= 0 && r < int(items_.size()) ? r : -1;
}

void LookupBinding::follow() {
    const int i = indexOfValue();
    db::DataSet* ds = listDataSet();
    if (i >= 0 && ds != nullptr && ds->active() && ds->recNo() != i + 1)
        ds->setRecNo(i + 1);
}

} // namespace controls
