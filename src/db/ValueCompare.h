// Comparing and hashing field values of any type the data-access layer holds.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace db {

inline bool isNullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// Equal as stored values: null equals only null, 5 (int) equals 5 (qint64) and 5.0.
bool sameValue(const QVariant& a, const QVariant& b);

// Orders two values: null first, numbers by value, texts case-insensitively by the user's
// locale, dates and times in time order. Returns <0, 0 or >0.
int compareValues(const QVariant& a, const QVariant& b);

// Whether a value is a number (integer, floating point or boolean kept as a number).
bool isNumber(const QVariant& v);

// A hash from key values to row numbers; the last row inserted for a key wins.
class KeyIndex {
public:
    void clear();
    void reserve(int n);
    void insert(const QVariant& key, int row);
    int find(const QVariant& key) const; // -1 when absent
    // Folds a value into the form the index keys on: whole numbers as integers, the rest as text.
    static bool integerKey(const QVariant& v, qint64& out);

private:
    QHash<qint64, int> ints_;
    QHash<QString, int> texts_;
};

} // namespace db
