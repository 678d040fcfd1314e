// Finds a data set's row by its bookmark id, and a row's place among the visible rows. Rows
// change in bursts and are looked up in bursts, so the index is built on first use after a
// change.
#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

namespace db {

class RowIndex {
public:
    bool built() const { return built_; }
    void invalidate() { built_ = false; }
    // ids: each stored row's id; visible: indexes of stored rows in the order they show.
    void build(const std::vector<quint64>& ids, const std::vector<int>& visible);
    // Gives the memory back.
    void clear();

    int rowOfId(quint64 id) const; // -1 when no row has it
    int visibleOf(int row) const;  // -1 when hidden or out of range

private:
    std::vector<int> visibleOfRow_;
    std::vector<std::pair<quint64, int>> byId_; // sorted
    bool built_ = false;
};

} // namespace db
