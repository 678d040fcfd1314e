// Rows of a data set kept column by column: numbers, flags, dates and texts in place, anything
// else as a variant, so a row costs a fraction of a variant per value. A text equal to the one
// in the row above shares its characters.
#pragma once

#include "db/LocalDateTime.h"

#include <QDateTime>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace db {

class ColumnStore {
public:
    // Makes room for `rows` rows whose columns hold values of the given QMetaType ids in
    // place (UnknownType: variants); then put() fills each row once.
    void reset(const std::vector<int>& types, size_t rows);
    // `type` is the value's typeId; a value of another type turns the column into variants.
    void put(size_t row, size_t column, QVariant&& v, int type);
    // A date-time as stored, placed in the zone when it is read back.
    void putDateTime(size_t row, size_t column, const LocalDateTime& v);
    // Rows read one by one: room for about `rows` rows, then one row at a time for put(),
    // then the spare room given back.
    void reserve(size_t rows);
    void pushRow();
    void shrinkToFit();
    void clear();
    size_t rowCount() const { return rows_; }

    QVariant get(size_t row, size_t column) const;
    // A value of another kind than the column holds turns the column into variants.
    void set(size_t row, size_t column, const QVariant& v);
    std::vector<QVariant> row(size_t row) const;
    void setRow(size_t row, const std::vector<QVariant>& values);
    void appendRow(); // every value null
    void eraseRow(size_t row);

private:
    enum class Kind : std::uint8_t { Int, Bool, Double, Date, DateTime, Text, Variant };
    struct Column {
        Kind kind = Kind::Int;
        std::vector<qint64> ints; // Int, Bool, Date (Julian day), DateTime (LocalDateTime)
        std::vector<double> doubles;
        std::vector<QString> texts;
        std::vector<QVariant> variants;
        std::vector<bool> nulls;
    };
    static bool fits(Kind kind, const QVariant& v);
    static Kind kindOf(const QVariant& v);
    static Kind kindOfType(int typeId);
    static bool usesInts(Kind k) {
        return k == Kind::Int || k == Kind::Bool || k == Kind::Date || k == Kind::DateTime;
    }
    void store(Column& c, size_t row, const QVariant& v);
    void putText(Column& c, size_t row, const QString& s);
    void toVariants(size_t column);

    std::vector<Column> columns_;
    size_t rows_ = 0;
};

} // namespace db
