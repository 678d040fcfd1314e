// The filter language of data sets: comparisons of fields with numbers or quoted texts,
// "is null", "in", "like", joined by and, or, not and parentheses.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace db {

class DataSet;
class Field;

// Gives the filter the value of a field in the row being tested.
class FilterRow {
public:
    virtual ~FilterRow() = default;
    virtual QVariant value(const Field& f) const = 0;
};

class FilterExpression {
public:
    ~FilterExpression();

    // Parses a filter text; an empty text matches every row. Throws DatabaseError naming the
    // text and what is wrong with it.
    static std::unique_ptr<FilterExpression> parse(const QString& text);

    // Resolves field names against a data set's fields and converts literals to their types;
    // throws DatabaseError for an unknown field or a literal that does not fit.
    void bind(const DataSet& ds);
    bool matches(const FilterRow& row) const;
    bool isEmpty() const { return root_ == nullptr; }

    struct Node;

private:
    FilterExpression() = default;
    std::unique_ptr<Node> root_;
    QString text_;
};

} // namespace db
