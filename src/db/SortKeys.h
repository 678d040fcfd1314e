// Sort keys made once per value, so that sorting a column costs one fold per row.
#pragma once

#include <QCollatorSortKey>
#include <QDateTime>
#include <QVariant>

#include <vector>

namespace db {

// Orders the given values exactly as compareValues does.
class SortKeys {
public:
    explicit SortKeys(std::vector<QVariant> values);
    int compare(size_t a, size_t b) const;

private:
    enum class Kind { Numbers, Times, Texts, Mixed };
    Kind kind_ = Kind::Mixed;
    std::vector<QVariant> values_;
    std::vector<char> nulls_;
    std::vector<qint64> ints_;
    std::vector<double> doubles_;
    std::vector<char> isDouble_;
    std::vector<QDateTime> times_;
    std::vector<QCollatorSortKey> texts_;
};

} // namespace db
