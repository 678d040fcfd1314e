// Sort keys by kind of column: numbers and times in place, texts as collation keys of their
// case-folded form; a column of mixed kinds compares value by value.
#include "db/SortKeys.h"

#include "db/ValueCompare.h"

#include <QCollator>

namespace db {
namespace {

enum class Category { Null, Number, Time, Text };

Category categoryOf(const QVariant& v) {
    if (isNullValue(v))
        return Category::Null;
    if (isNumber(v) || v.typeId() == QMetaType::Bool)
        return Category::Number;
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return Category::Time;
    return Category::Text;
}

template <typename T> int order(const T& x, const T& y) {
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

SortKeys::SortKeys(std::vector<QVariant> values)
    : values_(std::move(values)) {
    const size_t n = values_.size();
    Category common = Category::Null;
    nulls_.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const Category c = categoryOf(values_[i]);
        nulls_[i] = c == Category::Null;
        if (c == Category::Null)
            continue;
        if (common == Category::Null) {
            common = c;
        } else if (common != c) {
            kind_ = Kind::Mixed;
            return;
        }
    }
    switch (common) {
    case Category::Null:
    case Category::Number:
        kind_ = Kind::Numbers;
        ints_.resize(n);
        doubles_.resize(n);
        isDouble_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            if (nulls_[i])
                continue;
            ints_[i] = values_[i].toLongLong();
            doubles_[i] = values_[i].toDouble();
            isDouble_[i] = values_[i].typeId() == QMetaType::Double;
        }
        break;
    case Category::Time:
        kind_ = Kind::Times;
        times_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            if (nulls_[i])
                continue;
            const QVariant& v = values_[i];
            times_[i] = v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
        }
        break;
    case Category::Text:
        kind_ = Kind::Texts;
        texts_.reserve(n);
        // The key of the folded text orders as localeAwareCompare of the folded texts.
        for (size_t i = 0; i < n; ++i)
            texts_.push_back(QCollator::defaultSortKey(
                nulls_[i] ? QString() : values_[i].toString().toCaseFolded()));
        break;
    }
    if (kind_ != Kind::Mixed)
        values_.clear();
}

int SortKeys::compare(size_t a, size_t b) const {
    if (kind_ == Kind::Mixed)
        return compareValues(values_[a], values_[b]);
    if (nulls_[a] || nulls_[b])
        return nulls_[a] == nulls_[b] ? 0 : (nulls_[a] ? -1 : 1);
    switch (kind_) {
    case Kind::Numbers:
        return isDouble_[a] || isDouble_[b] ? order(doubles_[a], doubles_[b])
                                            : order(ints_[a], ints_[b]);
    case Kind::Times:
        return order(times_[a], times_[b]);
    case Kind::Texts:
        return texts_[a].compare(texts_[b]);
    case Kind::Mixed:
        break;
    }
    return 0;
}

} // namespace db
