// Data set navigation: cursor, record numbers, bookmarks, sort, filter and display rows.
#include "db/DataSet.h"

#include "db/DataSetPrivate.h"
#include "db/DataSource.h"
#include "db/FilterExpression.h"
#include "db/SortKeys.h"
#include "db/ValueCompare.h"

#include <algorithm>
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

bool DataSet::eof() const {
    return d->eof_;
}

bool DataSet::bof() const {
    return d->bof_;
}

int DataSet::visibleRowCount() const {
    return static_cast<int>(d->view_.size());
}

QString DataSet::sortField() const {
    return d->sortField_;
}

QString DataSet::filter() const {
    return d->filterText_;
}

bool DataSet::filtered() const {
    return d->filtered_;
}

void DataSet::checkActive(const char* what) const {
    if (!active())
        throw DatabaseError(
            QStringLiteral("Cannot %1: %2 is closed.").arg(QLatin1String(what), describe()));
}

// Leaving a row posts its changes (or drops an untouched new row), as a grid expects.
void DataSet::checkBrowse() {
    if (d->state_ == DataSetState::Edit || d->state_ == DataSetState::Insert) {
        if (d->modified_)
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
    const int n = static_cast<int>(d->view_.size());
    if (n == 0) {
        d->cursor_ = -1;
        d->eof_ = d->bof_ = true;
        return;
    }
    d->cursor_ = std::clamp(visibleIndex, 0, n - 1);
    d->bof_ = d->eof_ = false;
}

void DataSet::first() {
    checkActive("move to the first row");
    checkBrowse();
    moveTo(0);
    d->bof_ = true;
    d->eof_ = d->view_.empty();
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

void DataSet::last() {
    checkActive("move to the last row");
    checkBrowse();
    moveTo(static_cast<int>(d->view_.size()) - 1);
    d->eof_ = true;
    d->bof_ = d->view_.empty();
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

int DataSet::moveBy(int distance) {
    checkActive("move");
    checkBrowse();
    const int n = static_cast<int>(d->view_.size());
    if (n == 0 || distance == 0) {
        if (n == 0)
            d->eof_ = d->bof_ = true;
        return 0;
    }
    const int target = d->cursor_ + distance;
    const int from = d->cursor_;
    d->cursor_ = std::clamp(target, 0, n - 1);
    d->eof_ = target > n - 1;
    d->bof_ = target < 0;
    const int moved = d->cursor_ - from;
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
    if (d->state_ == DataSetState::CalcFields)
        return d->calcVisible_;
    return d->displayRow_ >= 0 && d->displayRow_ < static_cast<int>(d->view_.size())
               ? d->displayRow_
               : d->cursor_;
}

int DataSet::recNo() const {
    if (!active())
        return -1;
    const int v = readVisible();
    if (v < 0 || v >= static_cast<int>(d->view_.size()))
        return -1;
    if (d->view_[static_cast<size_t>(v)] == d->insertRow_)
        return -1;
    // A row inserted before others shifts their numbers; the numbers count stored rows.
    return d->insertRow_ >= 0 && visibleOfRow(d->insertRow_) >= 0 && visibleOfRow(d->insertRow_) < v
               ? v
               : v + 1;
}

void DataSet::setRecNo(int recNo) {
    checkActive("change the record number");
    checkBrowse();
    if (recNo < 1 || recNo > static_cast<int>(d->view_.size()) || recNo - 1 == d->cursor_)
        return;
    moveTo(recNo - 1);
    notifyControls(DataSource::RecordMoved);
    doScroll();
}

int DataSet::recordCount() const {
    if (!active())
        return 0;
    return static_cast<int>(d->view_.size()) - (d->insertRow_ >= 0 ? 1 : 0);
}

// --- Row indexes

void DataSet::invalidateIndexes() {
    d->rowIndex_.invalidate();
}

void DataSet::ensureIndexes() const {
    if (!d->rowIndex_.built())
        d->rowIndex_.build(d->rows_, d->view_);
}

int DataSet::rowIndexOfId(quint64 id) const {
    ensureIndexes();
    return d->rowIndex_.rowOfId(id);
}

int DataSet::visibleOfRow(int rowIndex) const {
    ensureIndexes();
    return d->rowIndex_.visibleOf(rowIndex);
}

// --- Bookmarks

Bookmark DataSet::bookmarkAt(int visibleIndex) const {
    if (visibleIndex < 0 || visibleIndex >= static_cast<int>(d->view_.size()))
        return {};
    return Bookmark{d->rows_[static_cast<size_t>(d->view_[static_cast<size_t>(visibleIndex)])]};
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
    for (size_t v = 0; v < d->view_.size(); ++v) {
        if (sameValue(valueOf(*f, d->view_[v], static_cast<int>(v)), value) ||
            (!isNullValue(value) &&
             f->textOf(valueOf(*f, d->view_[v], static_cast<int>(v))) == f->textOf(value))) {
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
    const int previous = d->displayRow_;
    d->displayRow_ = visibleIndex;
    return previous;
}

// --- Sort and filter

void DataSet::rebuildOrder() {
    d->order_.resize(d->rows_.size());
    std::iota(d->order_.begin(), d->order_.end(), 0);
    if (d->sortField_.isEmpty())
        return;
    const Field* f = findField(d->sortField_);
    if (!f)
        return;
    std::vector<QVariant> values(d->rows_.size());
    for (size_t r = 0; r < d->rows_.size(); ++r)
        values[r] = valueOf(*f, static_cast<int>(r), -1);
    const SortKeys keys(std::move(values));
    const bool asc = d->sortAscending_;
    std::stable_sort(d->order_.begin(), d->order_.end(), [&](int a, int b) {
        const int c = keys.compare(static_cast<size_t>(a), static_cast<size_t>(b));
        return asc ? c < 0 : c > 0;
    });
}

void DataSet::rebuildView(bool keepCurrent) {
    const int currentRow =
        keepCurrent && d->cursor_ >= 0 ? d->view_[static_cast<size_t>(d->cursor_)] : -1;
    d->view_.clear();
    const bool filtering = d->filtered_ && d->filterExpr_ && !d->filterExpr_->isEmpty();
    if (!filtering) {
        d->view_ = d->order_;
    } else {
        d->view_.reserve(d->order_.size());
        for (int r : d->order_) {
            if (r == d->insertRow_ || d->filterExpr_->matches(FilterRowReader(*this, r)))
                d->view_.push_back(r);
        }
    }
    d->rowIndex_.invalidate();
    ++d->changeCount_;
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
    d->sortField_ = findField(fieldName)->fieldName();
    d->sortAscending_ = ascending;
    rebuildOrder();
    rebuildView(true);
    notifyControls(DataSource::DataSetChanged);
}

void DataSet::setFilter(const QString& text) {
    std::unique_ptr<FilterExpression> expr = FilterExpression::parse(text);
    const bool apply = active() && d->filtered_;
    if (active())
        bindFilter(expr.get());
    if (apply)
        checkBrowse();
    d->filterText_ = text;
    d->filterExpr_ = std::move(expr);
    if (apply) {
        rebuildView(false);
        moveTo(0);
        notifyControls(DataSource::DataSetChanged);
        doScroll();
    }
}

void DataSet::setFiltered(bool on) {
    if (on == d->filtered_)
        return;
    if (!active()) {
        d->filtered_ = on;
        return;
    }
    if (on && d->filterExpr_)
        bindFilter(d->filterExpr_.get());
    checkBrowse();
    d->filtered_ = on;
    rebuildView(false);
    moveTo(0);
    notifyControls(DataSource::DataSetChanged);
    doScroll();
}

} // namespace db
