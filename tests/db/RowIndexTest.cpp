// Finding rows by bookmark id and by visible place.
#include "db/RowIndex.h"

#include <gtest/gtest.h>

using db::RowIndex;

TEST(RowIndex, FindsEachRowByItsIdAndItsVisiblePlace) {
    const struct {
        const char* name;
        std::vector<quint64> ids;
        std::vector<int> visible;
        std::vector<int> visibleOfRow; // per stored row
    } cases[] = {
        {"rows in arrival order, all shown", {1, 2, 3}, {0, 1, 2}, {0, 1, 2}},
        {"sorted the other way", {1, 2, 3}, {2, 1, 0}, {2, 1, 0}},
        {"a filter hides the middle row", {1, 2, 3}, {0, 2}, {0, -1, 1}},
        {"ids mixed by a re-read by key", {7, 3, 9, 1}, {3, 0, 1, 2}, {1, 2, 3, 0}},
        {"no rows", {}, {}, {}},
    };
    for (const auto& c : cases) {
        RowIndex index;
        index.build(c.ids, c.visible);
        for (size_t r = 0; r < c.ids.size(); ++r) {
            EXPECT_EQ(index.rowOfId(c.ids[r]), int(r)) << c.name << ", id " << c.ids[r];
            EXPECT_EQ(index.visibleOf(int(r)), c.visibleOfRow[r]) << c.name << ", row " << r;
        }
        EXPECT_EQ(index.rowOfId(0), -1) << c.name;
        EXPECT_EQ(index.rowOfId(100), -1) << c.name;
        EXPECT_EQ(index.visibleOf(-1), -1) << c.name;
        EXPECT_EQ(index.visibleOf(int(c.ids.size())), -1) << c.name;
    }
}

TEST(RowIndex, IsRebuiltOnlyWhenAskedAfterAChange) {
    RowIndex index;
    EXPECT_FALSE(index.built());
    index.build({1, 2}, {0, 1});
    EXPECT_TRUE(index.built());
    index.invalidate();
    EXPECT_FALSE(index.built());
    // A row deleted: the old answers are gone after the rebuild.
    index.build({2}, {0});
    EXPECT_EQ(index.rowOfId(1), -1);
    EXPECT_EQ(index.rowOfId(2), 0);
    index.clear();
    EXPECT_FALSE(index.built());
    EXPECT_EQ(index.rowOfId(2), -1);
    EXPECT_EQ(index.visibleOf(0), -1);
}
