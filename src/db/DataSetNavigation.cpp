// Data set navigation: cursor, record numbers, bookmarks, sort, filter and display rows.
#include "db/DataSet.h"

#include "db/DataSource.h"
#include "db/FilterExpression.h"
#include "db/SortKeys.h"
#include "db/ValueCompare.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace db {

// Reads a row of this data set for the filter.
class FilterRowReader : public FilterRow {
public:
    FilterRowReader(const DataSet& ds, int row)
        : ds_(ds)
        , row_(row) {}
    QVariant value(const Field& f) const override { return ds_.valueOf(f, row_, -1); }

private:
    const DataSet& ds_;
    int row_;
};

void DataSet::checkActive(const char* what) const {
    if (!active())
        throw DatabaseError(
            QStringLiteral("Cannot %1: %2 is closed.").arg(QLatin1String(what), describe()));
}

// Leaving a row posts its changes (or drops an untouched new row), as a grid expects.
void DataSet::checkBrowse() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        if (modified_)
            post();
        else
            cancel();
    }
}

void DataSet::doScroll() {
    if (afterScroll)
        afterScroll(*this);
}

void DataSet::moveTo(int visibleIndex) {
    const int n = static_cast<int>(view_.size());
    if (n == 0) {
        cursor_ = -1;
        eof_ = bof_ = true;
        return;
    }
    cursor_ = std::clamp(visibleIndex, 0, n - 1);
    bof_ = eof_ = false;
}

void DataSet::first() {
    checkActive("move to the first row");
    checkBrowse();
    moveTo(0);
    bof_ = true;
    eof_ = view_.empty();
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

void DataSet::last() {
    checkActive("move to the last row");
    checkBrowse();
    moveTo(static_cast<int>(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.empty();
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

int DataSet::moveBy(int distance) {
    checkActive("move");
    checkBrowse();
    const int n = static_cast<int>(view_.size());
    if (n == 0 || distance == 0) {
        if (n == 0)
            eof_ = bof_ = true;
        return 0;
    }
    const int target = cursor_ + distance;
    const int from = cursor_;
    cursor_ = std::clamp(target, 0, n - 1);
    eof_ = target > n - 1;
    bof_ = target < 0;
    const int moved = cursor_ - from;
    if (moved != 0) {
        notifyControls(DataSource::RecordMoved);
        doScroll();
    }
    return moved;
}

void DataSet::next() {
    moveBy(1);
}

void DataSet::prior() {
    moveBy(-1);
}

int DataSet::readVisible() const {
    if (state_ == DataSetState::CalcFields)
        return calcVisible_;
    return displayRow_ >= 0 && displayRow_ < static_cast<int>(view_.size()) ? displayRow_ : cursor_;
}

int DataSet::recNo() const {
    if (!active())
        return -1;
    const int v = readVisible();
    if (v < 0 || v >= static_cast<int>(view_.size()))
        return -1;
    if (view_[static_cast<size_t>(v)] == insertRow_)
        return -1;
    // A row inserted before others shifts their numbers; the numbers count stored rows.
    return insertRow_ >= 0 && visibleOfRow(insertRow_) >= 0 && visibleOfRow(insertRow_) < v ? v
                                                                                            : v + 1;
}

void DataSet::setRecNo(int recNo) {
    checkActive("change the record number");
    checkBrowse();
    if (recNo < 1 || recNo > static_cast<int>(view_.size()) || recNo - 1 == cursor_)
        return;
    moveTo(recNo - 1);
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

int DataSet::recordCount() const {
    if (!active())
        return 0;
    return static_cast<int>(view_.size()) - (insertRow_ >= 0 ? 1 : 0);
}

// --- Row indexes

void DataSet::invalidateIndexes() {
    indexesValid_ = false;
}

void DataSet::ensureIndexes() const {
    if (indexesValid_)
        return;
    viewPos_.assign(rows_.size(), -1);
    for (size_t v = 0; v < view_.size(); ++v)
        viewPos_[static_cast<size_t>(view_[v])] = static_cast<int>(v);
    idIndex_.clear();
    idIndex_.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r)
        idIndex_.emplace_back(rows_[r].id, static_cast<int>(r));
    // Rows are numbered in the order they arrive; only a re-read by key mixes them.
    if (!std::is_sorted(idIndex_.begin(), idIndex_.end()))
        std::sort(idIndex_.begin(), idIndex_.end());
    indexesValid_ = true;
}

int DataSet::rowIndexOfId(quint64 id) const {
    ensureIndexes();
    const auto it = std::lower_bound(idIndex_.begin(), idIndex_.end(),
                                     std::make_pair(id, std::numeric_limits<int>::min()));
    return it != idIndex_.end() && it->first == id ? it->second : -1;
}

int DataSet::visibleOfRow(int rowIndex) const {
    ensureIndexes();
    return rowIndex >= 0 && rowIndex < static_cast<int>(viewPos_.size())
               ? viewPos_[static_cast<size_t>(rowIndex)]
               : -1;
}

// --- Bookmarks

Bookmark DataSet::bookmarkAt(int visibleIndex) const {
    if (visibleIndex < 0 || visibleIndex >= static_cast<int>(view_.size()))
        return {};
    return Bookmark{rows_[static_cast<size_t>(view_[static_cast<size_t>(visibleIndex)])].id};
}

Bookmark DataSet::bookmark() const {
    return active() ? bookmarkAt(readVisible()) : Bookmark{};
}

QString DataSet::bookmarkString() const {
    const Bookmark b = bookmark();
    return b.isNull() ? QString() : QString::number(b.id);
}

Bookmark DataSet::bookmarkFromString(const QString& s) const {
    bool ok = false;
    const quint64 id = s.toULongLong(&ok);
    return ok ? Bookmark{id} : Bookmark{};
}

int DataSet::indexOfBookmark(Bookmark b) const {
    if (b.isNull() || !active())
        return -1;
    return visibleOfRow(rowIndexOfId(b.id));
}

bool DataSet::bookmarkValid(Bookmark b) const {
    return indexOfBookmark(b) >= 0;
}

void DataSet::gotoBookmark(Bookmark b) {
    checkActive("go to a bookmark");
    if (indexOfBookmark(b) < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(describe()));
    checkBrowse();
    // The post above may have moved rows; look the bookmark up again.
    const int v = indexOfBookmark(b);
    if (v < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(describe()));
    moveTo(v);
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

void DataSet::gotoBookmarkString(const QString& b) {
    const Bookmark bm = bookmarkFromString(b);
    if (bm.isNull())
        throw DatabaseError(QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b, describe()));
    gotoBookmark(bm);
}

bool DataSet::locate(const QString& fieldName, const QVariant& value) {
    checkActive("locate a row");
    const Field* f = fieldByName(fieldName);
    checkBrowse();
    for (size_t v = 0; v < view_.size(); ++v) {
        if (sameValue(valueOf(*f, view_[v], static_cast<int>(v)), value) ||
            (!isNullValue(value) &&
             f->textOf(valueOf(*f, view_[v], static_cast<int>(v))) == f->textOf(value))) {
            moveTo(static_cast<int>(v));
            notifyControls(DataSource::RecordMoved);
            doScroll();
            return true;
        }
    }
    return false;
}

QVariant DataSet::valueAt(Bookmark b, const QString& fieldName) const {
    const Field* f = fieldByName(fieldName);
    const int r = b.isNull() ? -1 : rowIndexOfId(b.id);
    if (r < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(describe()));
    return valueOf(*f, r, visibleOfRow(r));
}

int DataSet::setDisplayRow(int visibleIndex) {
    const int previous = displayRow_;
    displayRow_ = visibleIndex;
    return previous;
}

// --- Sort and filter

void DataSet::rebuildOrder() {
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    if (sortField_.isEmpty())
        return;
    const Field* f = findField(sortField_);
    if (!f)
        return;
    std::vector<QVariant> values(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r)
        values[r] = valueOf(*f, static_cast<int>(r), -1);
    const SortKeys keys(std::move(values));
    const bool asc = sortAscending_;
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        const int c = keys.compare(static_cast<size_t>(a), static_cast<size_t>(b));
        return asc ? c < 0 : c > 0;
    });
}

void DataSet::rebuildView(bool keepCurrent) {
    const int currentRow = keepCurrent && cursor_ >= 0 ? view_[static_cast<size_t>(cursor_)] : -1;
    view_.clear();
    const bool filtering = filtered_ && filterExpr_ && !filterExpr_->isEmpty();
    if (!filtering) {
        view_ = order_;
    } else {
        view_.reserve(order_.size());
        for (int r : order_) {
            if (r == insertRow_ || filterExpr_->matches(FilterRowReader(*this, r)))
                view_.push_back(r);
        }
    }
    indexesValid_ = false;
    ++changeCount_;
    if (currentRow >= 0) {
        const int v = visibleOfRow(currentRow);
        moveTo(v >= 0 ? v : 0);
    }
}

void DataSet::bindFilter(FilterExpression* expr) const {
    expr->bind(*this);
}

void DataSet::sortBy(const QString& fieldName, bool ascending) {
    checkActive("sort");
    if (!findField(fieldName))
        throw DatabaseError(
            QStringLiteral("Cannot sort %1: field '%2' not found.").arg(describe(), fieldName));
    checkBrowse();
    sortField_ = findField(fieldName)->fieldName();
    sortAscending_ = ascending;
    rebuildOrder();
    rebuildView(true);
    notifyControls(DataSource::DataSetChanged);
}

void DataSet::setFilter(const QString& text) {
    std::unique_ptr<FilterExpression> expr = FilterExpression::parse(text);
    const bool apply = active() && filtered_;
    if (active())
        bindFilter(expr.get());
    if (apply)
        checkBrowse();
    filterText_ = text;
    filterExpr_ = std::move(expr);
    if (apply) {
        rebuildView(false);
        moveTo(0);
        notifyControls(DataSource::DataSetChanged);
        doScroll();
    }
}

void DataSet::setFiltered(bool on) {
    if (on == filtered_)
        return;
    if (!active()) {
        filtered_ = on;
        return;
    }
    if (on && filterExpr_)
        bindFilter(filterExpr_.get());
    checkBrowse();
    filtered_ = on;
    rebuildView(false);
    moveTo(0);
    notifyControls(DataSource::DataSetChanged);
    doScroll();
}

} // namespace db
