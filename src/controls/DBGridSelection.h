// The grid's list of selected rows, held as bookmarks of its data set.
#pragma once

#include "db/DataSet.h"

#include <QSet>

#include <functional>
#include <vector>

class TDBGridEh;

// Rows chosen with Ctrl+click and Shift+click on the indicator, or all at once.
class TBMListEh {
public:
    explicit TBMListEh(TDBGridEh* grid);

    int Count() const { return int(items_.size()); }
    db::Bookmark Item(int index) const { return items_.at(size_t(index)); }
    bool contains(db::Bookmark b) const { return ids_.contains(b.id); }
    // Marks every record: walks the data set with its controls disabled and comes back.
    void SelectAll();
    void Clear();
    void add(db::Bookmark b);
    void remove(db::Bookmark b);
    void toggle(db::Bookmark b);

    // Whether the visible row at an index is selected.
    bool rowSelected(int visibleIndex) const;

private:
    void changed();

    TDBGridEh* grid_;
    std::vector<db::Bookmark> items_;
    QSet<quint64> ids_;
};
