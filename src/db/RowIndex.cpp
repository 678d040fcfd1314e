// Row lookups by bookmark id and visible place.
#include "db/RowIndex.h"

#include <algorithm>
#include <limits>

namespace db {

void RowIndex::build(const std::vector<quint64>& ids, const std::vector<int>& visible) {
    visibleOfRow_.assign(ids.size(), -1);
    for (size_t v = 0; v < visible.size(); ++v)
        visibleOfRow_[static_cast<size_t>(visible[v])] = static_cast<int>(v);
    byId_.clear();
    byId_.reserve(ids.size());
    for (size_t r = 0; r < ids.size(); ++r)
        byId_.emplace_back(ids[r], static_cast<int>(r));
    // Rows are numbered in the order they arrive; only a re-read by key mixes them.
    if (!std::is_sorted(byId_.begin(), byId_.end()))
        std::sort(byId_.begin(), byId_.end());
    built_ = true;
}

void RowIndex::clear() {
    std::vector<int>().swap(visibleOfRow_);
    std::vector<std::pair<quint64, int>>().swap(byId_);
    built_ = false;
}

int RowIndex::rowOfId(quint64 id) const {
    const auto it = std::lower_bound(byId_.begin(), byId_.end(),
                                     std::make_pair(id, std::numeric_limits<int>::min()));
    return it != byId_.end() && it->first == id ? it->second : -1;
}

int RowIndex::visibleOf(int row) const {
    return row >= 0 && row < static_cast<int>(visibleOfRow_.size())
               ? visibleOfRow_[static_cast<size_t>(row)]
               : -1;
}

} // namespace db
