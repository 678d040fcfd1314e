// Selected rows as bookmarks, and which visible rows they stand at.
#include "controls/DBGridSelection.h"

#include "controls/DBGridEh.h"
#include "db/DataSet.h"

TBMListEh::TBMListEh(TDBGridEh* grid)
    : grid_(grid) {}

void TBMListEh::SelectAll() {
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr || !ds->active())
        return;
    db::ControlsDisabled off(*ds);
    const db::Bookmark kept = ds->bookmark();
    items_.clear();
    ids_.clear();
    for (ds->first(); !ds->eof(); ds->next())
        add(ds->bookmark());
    if (!kept.isNull() && ds->bookmarkValid(kept))
        ds->gotoBookmark(kept);
    changed();
}

void TBMListEh::Clear() {
    if (items_.empty())
        return;
    items_.clear();
    ids_.clear();
    changed();
}

void TBMListEh::add(db::Bookmark b) {
    if (b.isNull() || ids_.contains(b.id))
        return;
    items_.push_back(b);
    ids_.insert(b.id);
    changed();
}

void TBMListEh::remove(db::Bookmark b) {
    if (!ids_.contains(b.id))
        return;
    ids_.remove(b.id);
    std::erase(items_, b);
    changed();
}

void TBMListEh::toggle(db::Bookmark b) {
    if (contains(b))
        remove(b);
    else
        add(b);
}

bool TBMListEh::rowSelected(int visibleIndex) const {
    if (items_.empty())
        return false;
    db::DataSet* ds = grid_->dataSet();
    return ds != nullptr && ids_.contains(ds->bookmarkAt(visibleIndex).id);
}

void TBMListEh::changed() {
    grid_->Invalidate();
}
