// Duplicate tracking: records that share the values of the key fields. The single-record
// checks work through the data set's filter; the full scan counts in one pass.
#include "gridevents/Kv_DBGrd_Evns.h"

#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QHash>

namespace {

// Leaves the data set's filter cleared and off, however the check ends.
class FilterCleared {
public:
    explicit FilterCleared(db::DataSet& ds)
        : ds_(ds) {}
    ~FilterCleared() {
        try {
            ds_.setFiltered(false);
            ds_.setFilter(QString());
            ds_.setFiltered(false);
        } catch (const std::exception&) {
            // An empty filter is always accepted; nothing to pass on from a destructor.
        }
    }
    FilterCleared(const FilterCleared&) = delete;
    FilterCleared& operator=(const FilterCleared&) = delete;

private:
    db::DataSet& ds_;
};

bool isText(const db::Field& f) {
    return f.dataType() == db::FieldType::String || f.dataType() == db::FieldType::WideString;
}

} // namespace

void TKvDBGridEvents::BuildKeyFilter(QString& keyString, QString& filter) const {
    keyString.clear();
    filter.clear();
    for (int i = 0; i < KeyFieldList.Count(); ++i) {
        const db::Field& f = *KeyFieldList[i];
        const QString text = f.text();
        keyString += text;
        if (isText(f))
            filter += f.fieldName() + "='" + text + "'";
        else
            filter += f.fieldName() + "=" + text;
        filter += " and ";
    }
    if (filter.endsWith(" and "))
        filter.chop(5);
}

void TKvDBGridEvents::CheckDuplicate() {
    db::DataSet* ds = dataSet();
    if (ds == nullptr || KeyFieldList.isEmpty())
        return;
    const int kept = ds->recNo();
    QString key, filter;
    BuildKeyFilter(key, filter);
    {
        FilterCleared cleared(*ds);
        ds->setFilter(filter);
        ds->setFiltered(true);
        if (ds->recordCount() > 1 && !duplicates_.contains(key, Qt::CaseInsensitive))
            duplicates_.append(key);
        ds->setFiltered(false);
        ds->setRecNo(kept);
    }
}

void TKvDBGridEvents::ReleaseDuplicate(const QString& bookmark) {
    db::DataSet* ds = dataSet();
    if (ds == nullptr)
        return;
    QString key, filter;
    BuildKeyFilter(key, filter);
    {
        FilterCleared cleared(*ds);
        ds->setFilter(filter);
        ds->setFiltered(true);
        if (ds->recordCount() <= 2) {
            for (qsizetype i = 0; i < duplicates_.size(); ++i) {
                if (duplicates_[i].compare(key, Qt::CaseInsensitive) == 0) {
                    duplicates_.removeAt(i);
                    break;
                }
            }
        }
    }
    ds->gotoBookmarkString(bookmark);
}

bool TKvDBGridEvents::ScanDuplicates() {
    if (!grid_) {
        report(gridevents::NoGrid);
        return false;
    }
    if (grid_->DataSource() == nullptr) {
        report(gridevents::NoDataSource);
        return false;
    }
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr) {
        report(gridevents::NoDataSet);
        return false;
    }
    duplicates_.clear();
    db::ControlsDisabled off(*ds);
    try {
        ds->open();
    } catch (const std::exception&) {
        return false;
    }
    const int keys = KeyFieldList.Count();
    if (keys == 0)
        return true;

    // One pass: each record's key values (as the key filter compares them) and how many
    // records share them. A record is a duplicate when its combination occurs twice.
    struct Seen {
        QString keyString;
        QString combination;
    };
    std::vector<Seen> records;
    const int recordCount = qMax(0, ds->recordCount());
    records.reserve(size_t(recordCount));
    // Room for every record up front: growing a table of 100,000 keys rehashes them often.
    QHash<QString, int> counts;
    counts.reserve(recordCount);
    for (ds->first(); !ds->eof(); ds->next()) {
        Seen s;
        for (int i = 0; i < keys; ++i) {
            const db::Field& f = *KeyFieldList[i];
            const QString text = f.text();
            s.keyString += text;
            // The filter compares texts without regard to case.
            s.combination += isText(f) ? text.toCaseFolded() : text;
            s.combination += QChar(0x1F);
        }
        ++counts[s.combination];
        records.push_back(std::move(s));
    }
    QSet<QString> added;
    added.reserve(recordCount / 2);
    for (const Seen& s : records) {
        if (counts.value(s.combination) > 1) {
            const QString folded = s.keyString.toCaseFolded();
            // The list was emptied above, so the set mirrors it (lookups ignore case).
            if (!added.contains(folded)) {
                added.insert(folded);
                duplicates_.append(s.keyString);
            }
        }
    }
    if (ds->recordCount() > 0)
        ds->setRecNo(1);
    return true;
}

void TKvDBGridEvents::setActive(bool on) {
    if (on == active_)
        return;
    if (on) {
        active_ = ScanDuplicates();
        return;
    }
    active_ = false;
    if (!grid_)
        return;
    if (grid_->DataSource() == nullptr) {
        report(gridevents::NoDataSource);
        return;
    }
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr) {
        report(gridevents::NoDataSet);
        return;
    }
    if (ds->active())
        ds->close();
    duplicates_.clear();
    errors_.clear();
}
