// Where a driver puts a result's rows as it reads them, so that they need not be held twice.
#pragma once

#include "db/Result.h"

#include <vector>

namespace db {

class RowSink {
public:
    virtual ~RowSink() = default;
    // The result's columns, once, before its first row; about `rowsHint` rows follow (0 when
    // not known). Not called for a statement without rows.
    virtual void begin(const std::vector<Column>& columns, size_t rowsHint) = 0;
    // One row: a value per column, converted as Result describes; they may be moved from.
    virtual void row(std::vector<QVariant>& values) = 0;
    // True when the sink places date-times in the zone itself: a driver may then pass a
    // DateTime column's values as LocalDateTime.
    virtual bool takesStoredDateTimes() const { return false; }

    // Hands over a result already read, row by row, releasing each row as it goes.
    void take(Result&& result) {
        if (!result.hasRows())
            return;
        begin(result.columns, result.rows.size());
        for (auto& values : result.rows) {
            row(values);
            std::vector<QVariant>().swap(values);
        }
    }
};

// Keeps every row: a whole result.
class ResultCollector : public RowSink {
public:
    void begin(const std::vector<Column>& columns, size_t rowsHint) override {
        result.columns = columns;
        result.rows.reserve(rowsHint);
    }
    void row(std::vector<QVariant>& values) override { result.rows.push_back(std::move(values)); }

    Result result;
};

} // namespace db
