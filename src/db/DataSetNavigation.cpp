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
    QVariant value(const Field& f) const override { return ds_.d->valueOf(f, row_, -1); }

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

void DataSet::Private::checkActive(const char* what) const {
    if (!q->active())
        throw DatabaseError(
            QStringLiteral("Cannot %1: %2 is closed.").arg(QLatin1String(what), describe()));
}

// Leaving a row posts its changes (or drops an untouched new row), as a grid expects.
void DataSet::Private::checkBrowse() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        if (modified_)
            q->post();
        else
            q->cancel();
    }
}

void DataSet::Private::doScroll() {
    if (q->afterScroll)
        q->afterScroll(*q);
}

void DataSet::Private::moveTo(int visibleIndex) {
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
    d->checkActive("move to the first row");
    d->checkBrowse();
    d->moveTo(0);
    d->bof_ = true;
    d->eof_ = d->view_.empty();
    d->notifyControls(DataSource::RecordMoved);
    d->doScroll();
}

void DataSet::last() {
    d->checkActive("move to the last row");
    d->checkBrowse();
    d->moveTo(static_cast<int>(d->view_.size()) - 1);
    d->eof_ = true;
    d->bof_ = d->view_.empty();
    d->notifyControls(DataSource::RecordMoved);
    d->doScroll();
}

int DataSet::moveBy(int distance) {
    d->checkActive("move");
    d->checkBrowse();
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
        d->notifyControls(DataSource::RecordMoved);
        d->doScroll();
    }
    return moved;
}

void DataSet::next() {
    moveBy(1);
}

void DataSet::prior() {
    moveBy(-1);
}

int DataSet::Private::readVisible() const {
    if (state_ == DataSetState::CalcFields)
        return calcVisible_;
    return displayRow_ >= 0 && displayRow_ < static_cast<int>(view_.size()) ? displayRow_ : cursor_;
}

int DataSet::recNo() const {
    if (!active())
        return -1;
    const int v = d->readVisible();
    if (v < 0 || v >= static_cast<int>(d->view_.size()))
        return -1;
    if (d->view_[static_cast<size_t>(v)] == d->insertRow_)
        return -1;
    // A row inserted before others shifts their numbers; the numbers count stored rows.
    return d->insertRow_ >= 0 && d->visibleOfRow(d->insertRow_) >= 0 &&
                   d->visibleOfRow(d->insertRow_) < v
               ? v
               : v + 1;
}

void DataSet::setRecNo(int recNo) {
    d->checkActive("change the record number");
    d->checkBrowse();
    if (recNo < 1 || recNo > static_cast<int>(d->view_.size()) || recNo - 1 == d->cursor_)
        return;
    d->moveTo(recNo - 1);
    d->notifyControls(DataSource::RecordMoved);
    d->doScroll();
}

int DataSet::recordCount() const {
    if (!active())
        return 0;
    return static_cast<int>(d->view_.size()) - (d->insertRow_ >= 0 ? 1 : 0);
}

// --- Row indexes

void DataSet::Private::invalidateIndexes() {
    rowIndex_.invalidate();
}

void DataSet::Private::ensureIndexes() const {
    if (!rowIndex_.built())
        rowIndex_.build(rows_, view_);
}

int DataSet::Private::rowIndexOfId(quint64 id) const {
    ensureIndexes();
    return rowIndex_.rowOfId(id);
}

int DataSet::Private::visibleOfRow(int rowIndex) const {
    ensureIndexes();
    return rowIndex_.visibleOf(rowIndex);
}

// --- Bookmarks

Bookmark DataSet::bookmarkAt(int visibleIndex) const {
    if (visibleIndex < 0 || visibleIndex >= static_cast<int>(d->view_.size()))
        return {};
    return Bookmark{d->rows_[static_cast<size_t>(d->view_[static_cast<size_t>(visibleIndex)])]};
}

Bookmark DataSet::bookmark() const {
    return active() ? bookmarkAt(d->readVisible()) : Bookmark{};
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
    return d->visibleOfRow(d->rowIndexOfId(b.id));
}

bool DataSet::bookmarkValid(Bookmark b) const {
    return indexOfBookmark(b) >= 0;
}

void DataSet::gotoBookmark(Bookmark b) {
    d->checkActive("go to a bookmark");
    if (indexOfBookmark(b) < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(d->describe()));
    d->checkBrowse();
    // The post above may have moved rows; look the bookmark up again.
    const int v = indexOfBookmark(b);
    if (v < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(d->describe()));
    d->moveTo(v);
    d->notifyControls(DataSource::RecordMoved);
    d->doScroll();
}

void DataSet::gotoBookmarkString(const QString& b) {
    const Bookmark bm = bookmarkFromString(b);
    if (bm.isNull())
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b, d->describe()));
    gotoBookmark(bm);
}

bool DataSet::locate(const QString& fieldName, const QVariant& value) {
    d->checkActive("locate a row");
    const Field* f = fieldByName(fieldName);
    d->checkBrowse();
    for (size_t v = 0; v < d->view_.size(); ++v) {
        if (sameValue(d->valueOf(*f, d->view_[v], static_cast<int>(v)), value) ||
            (!isNullValue(value) &&
             f->textOf(d->valueOf(*f, d->view_[v], static_cast<int>(v))) == f->textOf(value))) {
            d->moveTo(static_cast<int>(v));
            d->notifyControls(DataSource::RecordMoved);
            d->doScroll();
            return true;
        }
    }
    return false;
}

QVariant DataSet::valueAt(Bookmark b, const QString& fieldName) const {
    const Field* f = fieldByName(fieldName);
    const int r = b.isNull() ? -1 : d->rowIndexOfId(b.id);
    if (r < 0)
        throw DatabaseError(
            QStringLiteral("Bookmark '%1' is not valid in %2.").arg(b.id).arg(d->describe()));
    return d->valueOf(*f, r, d->visibleOfRow(r));
}

int DataSet::setDisplayRow(int visibleIndex) {
    const int previous = d->displayRow_;
    d->displayRow_ = visibleIndex;
    return previous;
}

// --- Sort and filter

void DataSet::Private::rebuildOrder() {
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), 0);
    if (sortField_.isEmpty())
        return;
    const Field* f = q->findField(sortField_);
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

void DataSet::Private::rebuildView(bool keepCurrent) {
    const int currentRow = keepCurrent && cursor_ >= 0 ? view_[static_cast<size_t>(cursor_)] : -1;
    view_.clear();
    const bool filtering = filtered_ && filterExpr_ && !filterExpr_->isEmpty();
    if (!filtering) {
        view_ = order_;
    } else {
        view_.reserve(order_.size());
        for (int r : order_) {
            if (r == insertRow_ || filterExpr_->matches(FilterRowReader(*q, r)))
                view_.push_back(r);
        }
    }
    rowIndex_.invalidate();
    ++changeCount_;
    if (currentRow >= 0) {
        const int v = visibleOfRow(currentRow);
        moveTo(v >= 0 ? v : 0);
    }
}

void DataSet::Private::bindFilter(FilterExpression* expr) const {
    expr->bind(*q);
}

void DataSet::sortBy(const QString& fieldName, bool ascending) {
    d->checkActive("sort");
    if (!findField(fieldName))
        throw DatabaseError(
            QStringLiteral("Cannot sort %1: field '%2' not found.").arg(d->describe(), fieldName));
    d->checkBrowse();
    d->sortField_ = findField(fieldName)->fieldName();
    d->sortAscending_ = ascending;
    d->rebuildOrder();
    d->rebuildView(true);
    d->notifyControls(DataSource::DataSetChanged);
}

void DataSet::setFilter(const QString& text) {
    std::unique_ptr<FilterExpression> expr = FilterExpression::parse(text);
    const bool apply = active() && d->filtered_;
    if (active())
        d->bindFilter(expr.get());
    if (apply)
        d->checkBrowse();
    d->filterText_ = text;
    d->filterExpr_ = std::move(expr);
    if (apply) {
        d->rebuildView(false);
        d->moveTo(0);
        d->notifyControls(DataSource::DataSetChanged);
        d->doScroll();
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
        d->bindFilter(d->filterExpr_.get());
    d->checkBrowse();
    d->filtered_ = on;
    d->rebuildView(false);
    d->moveTo(0);
    d->notifyControls(DataSource::DataSetChanged);
    d->doScroll();
}

} // namespace db
