// Column-wise row storage for data sets.
#include "db/ColumnStore.h"

#include "db/ValueCompare.h"

#include <limits>

namespace db {

ColumnStore::Kind ColumnStore::kindOf(const QVariant& v) {
    // A date-time in UTC or at an offset keeps that as a variant.
    LocalDateTime local;
    if (v.typeId() == QMetaType::QDateTime &&
        !LocalDateTime::fromDateTime(*static_cast<const QDateTime*>(v.constData()), local))
        return Kind::Variant;
    return kindOfType(v.typeId());
}

ColumnStore::Kind ColumnStore::kindOfType(int typeId) {
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return Kind::Int;
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Double:
        return Kind::Double;
    case QMetaType::QDate:
        return Kind::Date;
    case QMetaType::QDateTime:
        return Kind::DateTime;
    case QMetaType::QString:
        return Kind::Text;
    default:
        return Kind::Variant;
    }
}

bool ColumnStore::fits(Kind kind, const QVariant& v) {
    return kind == Kind::Variant || isNullValue(v) || kindOf(v) == kind;
}

void ColumnStore::clear() {
    columns_.clear();
    rows_ = 0;
}

void ColumnStore::reset(const std::vector<int>& types, size_t rows) {
    clear();
    rows_ = rows;
    columns_.resize(types.size());
    for (size_t c = 0; c < types.size(); ++c) {
        Column& col = columns_[c];
        col.kind = kindOfType(types[c]);
        switch (col.kind) {
        case Kind::Int:
        case Kind::Bool:
        case Kind::Date:
        case Kind::DateTime:
            col.ints.resize(rows_);
            break;
        case Kind::Double:
            col.doubles.resize(rows_);
            break;
        case Kind::Text:
            col.texts.resize(rows_);
            break;
        case Kind::Variant:
            col.variants.resize(rows_);
            break;
        }
        if (col.kind != Kind::Variant)
            col.nulls.assign(rows_, false);
    }
}

void ColumnStore::reserve(size_t rows) {
    for (Column& c : columns_) {
        c.ints.reserve(usesInts(c.kind) ? rows : 0);
        c.doubles.reserve(c.kind == Kind::Double ? rows : 0);
        c.texts.reserve(c.kind == Kind::Text ? rows : 0);
        c.variants.reserve(c.kind == Kind::Variant ? rows : 0);
        c.nulls.reserve(c.kind != Kind::Variant ? rows : 0);
    }
}

void ColumnStore::pushRow() {
    appendRow();
    for (Column& c : columns_)
        if (c.kind != Kind::Variant)
            c.nulls.back() = false;
}

void ColumnStore::shrinkToFit() {
    for (Column& c : columns_) {
        c.ints.shrink_to_fit();
        c.doubles.shrink_to_fit();
        c.texts.shrink_to_fit();
        c.variants.shrink_to_fit();
        c.nulls.shrink_to_fit();
    }
}

void ColumnStore::put(size_t row, size_t column, QVariant&& v, int type) {
    Column& col = columns_[column];
    if (col.kind == Kind::Variant) {
        col.variants[row] = std::move(v);
        return;
    }
    if (type == QMetaType::UnknownType) {
        col.nulls[row] = true;
        return;
    }
    const void* data = v.constData();
    switch (col.kind) {
    case Kind::Int:
        if (type == QMetaType::Int) {
            col.ints[row] = *static_cast<const int*>(data);
            return;
        }
        if (type == QMetaType::LongLong) {
            col.ints[row] = *static_cast<const qlonglong*>(data);
            return;
        }
        break;
    case Kind::Bool:
        if (type == QMetaType::Bool) {
            col.ints[row] = *static_cast<const bool*>(data) ? 1 : 0;
            return;
        }
        break;
    case Kind::Date:
        if (type == QMetaType::QDate) {
            col.ints[row] = static_cast<const QDate*>(data)->toJulianDay();
            return;
        }
        break;
    case Kind::Double:
        if (type == QMetaType::Double) {
            col.doubles[row] = *static_cast<const double*>(data);
            return;
        }
        break;
    case Kind::DateTime:
        if (type == QMetaType::QDateTime) {
            LocalDateTime local;
            if (LocalDateTime::fromDateTime(*static_cast<const QDateTime*>(data), local)) {
                col.ints[row] = local.packed();
                return;
            }
        }
        break;
    case Kind::Text:
        if (type == QMetaType::QString) {
            putText(col, row, *static_cast<const QString*>(data));
            return;
        }
        break;
    case Kind::Variant:
        break;
    }
    // A value the column's kind cannot hold: the column keeps variants from now on.
    toVariants(column);
    columns_[column].variants[row] = std::move(v);
}

void ColumnStore::store(Column& c, size_t row, const QVariant& v) {
    if (c.kind == Kind::Variant) {
        c.variants[row] = v;
        return;
    }
    const bool null = isNullValue(v);
    c.nulls[row] = null;
    switch (c.kind) {
    case Kind::Int:
    case Kind::Bool:
        c.ints[row] = null ? 0 : v.toLongLong();
        break;
    case Kind::Date:
        c.ints[row] = null ? 0 : v.toDate().toJulianDay();
        break;
    case Kind::Double:
        c.doubles[row] = null ? 0.0 : v.toDouble();
        break;
    case Kind::DateTime: {
        LocalDateTime local;
        c.ints[row] =
            !null && LocalDateTime::fromDateTime(v.toDateTime(), local) ? local.packed() : 0;
        break;
    }
    case Kind::Text:
        if (null)
            c.texts[row] = QString();
        else
            putText(c, row, *static_cast<const QString*>(v.constData()));
        break;
    case Kind::Variant:
        break;
    }
}

void ColumnStore::putDateTime(size_t row, size_t column, const LocalDateTime& v) {
    Column& col = columns_[column];
    if (col.kind == Kind::DateTime)
        col.ints[row] = v.packed();
    else
        put(row, column, v.value(), QMetaType::QDateTime);
}

void ColumnStore::putText(Column& c, size_t row, const QString& s) {
    // Journals repeat their texts down a column (the operator, the login): equal neighbours
    // share one copy of the characters.
    if (row > 0 && !c.nulls[row - 1] && c.texts[row - 1] == s)
        c.texts[row] = c.texts[row - 1];
    else if (row + 1 < rows_ && !c.nulls[row + 1] && c.texts[row + 1] == s)
        c.texts[row] = c.texts[row + 1];
    else
        c.texts[row] = s;
}

QVariant ColumnStore::get(size_t row, size_t column) const {
    const Column& c = columns_[column];
    if (c.kind == Kind::Variant)
        return c.variants[row];
    if (c.nulls[row])
        return {};
    switch (c.kind) {
    case Kind::Int: {
        const qint64 n = c.ints[row];
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return QVariant(static_cast<int>(n));
        return QVariant(n);
    }
    case Kind::Bool:
        return QVariant(c.ints[row] != 0);
    case Kind::Date:
        return QVariant(QDate::fromJulianDay(c.ints[row]));
    case Kind::Double:
        return QVariant(c.doubles[row]);
    case Kind::DateTime:
        return LocalDateTime::fromPacked(c.ints[row]).value();
    case Kind::Text:
        return QVariant(c.texts[row]);
    case Kind::Variant:
        break;
    }
    return {};
}

void ColumnStore::toVariants(size_t column) {
    std::vector<QVariant> values(rows_);
    for (size_t r = 0; r < rows_; ++r)
        values[r] = get(r, column);
    Column& c = columns_[column];
    c = Column();
    c.kind = Kind::Variant;
    c.variants = std::move(values);
}

void ColumnStore::set(size_t row, size_t column, const QVariant& v) {
    Column& c = columns_[column];
    if (!fits(c.kind, v)) {
        // An all-null column takes the kind of its first value; a mixed one becomes variants.
        bool allNull = true;
        for (bool n : c.nulls) {
            if (!n) {
                allNull = false;
                break;
            }
        }
        if (allNull && kindOf(v) != Kind::Variant) {
            Column fresh;
            fresh.kind = kindOf(v);
            fresh.nulls.assign(rows_, true);
            if (fresh.kind == Kind::Double)
                fresh.doubles.resize(rows_);
            else if (fresh.kind == Kind::Text)
                fresh.texts.resize(rows_);
            else
                fresh.ints.resize(rows_);
            c = std::move(fresh);
        } else {
            toVariants(column);
        }
    }
    store(columns_[column], row, v);
}

std::vector<QVariant> ColumnStore::row(size_t row) const {
    std::vector<QVariant> out;
    out.reserve(columns_.size());
    for (size_t c = 0; c < columns_.size(); ++c)
        out.push_back(get(row, c));
    return out;
}

void ColumnStore::setRow(size_t row, const std::vector<QVariant>& values) {
    for (size_t c = 0; c < columns_.size() && c < values.size(); ++c)
        set(row, c, values[c]);
}

void ColumnStore::appendRow() {
    ++rows_;
    for (Column& c : columns_) {
        switch (c.kind) {
        case Kind::Int:
        case Kind::Bool:
        case Kind::Date:
        case Kind::DateTime:
            c.ints.push_back(0);
            break;
        case Kind::Double:
            c.doubles.push_back(0.0);
            break;
        case Kind::Text:
            c.texts.emplace_back();
            break;
        case Kind::Variant:
            c.variants.emplace_back();
            break;
        }
        if (c.kind != Kind::Variant)
            c.nulls.push_back(true);
    }
}

void ColumnStore::eraseRow(size_t row) {
    for (Column& c : columns_) {
        const auto at = static_cast<std::ptrdiff_t>(row);
        switch (c.kind) {
        case Kind::Int:
        case Kind::Bool:
        case Kind::Date:
        case Kind::DateTime:
            c.ints.erase(c.ints.begin() + at);
            break;
        case Kind::Double:
            c.doubles.erase(c.doubles.begin() + at);
            break;
        case Kind::Text:
            c.texts.erase(c.texts.begin() + at);
            break;
        case Kind::Variant:
            c.variants.erase(c.variants.begin() + at);
            break;
        }
        if (c.kind != Kind::Variant)
            c.nulls.erase(c.nulls.begin() + at);
    }
    --rows_;
}

} // namespace db
