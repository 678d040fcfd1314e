// Value comparison and key hashing for sort, filter, lookup and write-back.
#include "db/ValueCompare.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>

namespace db {

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

static bool isInteger(const QVariant& v) {
    return isNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

bool KeyIndex::integerKey(const QVariant& v, qint64& out) {
    if (isInteger(v) || v.typeId() == QMetaType::Bool) {
        out = v.toLongLong();
        return true;
    }
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9e18) {
            out = static_cast<qint64>(d);
            return true;
        }
    }
    return false;
}

static QString textKey(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(Qt::ISODateWithMs);
    default:
        return v.toString();
    }
}

bool sameValue(const QVariant& a, const QVariant& b) {
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn;
    if (a.typeId() == b.typeId() && a.typeId() == QMetaType::QString)
        return a.toString() == b.toString();
    if (isNumber(a) && isNumber(b)) {
        if (isInteger(a) && isInteger(b))
            return a.toLongLong() == b.toLongLong();
        return a.toDouble() == b.toDouble();
    }
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime();
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate)
        return a.toDate() == b.toDate();
    if (a.typeId() == QMetaType::Bool || b.typeId() == QMetaType::Bool)
        return a.toBool() == b.toBool() && (isNumber(a) || isNumber(b) || a.typeId() == b.typeId());
    return a == b;
}

template <typename T> static int order(const T& x, const T& y) {
    return x < y ? -1 : (y < x ? 1 : 0);
}

int compareValues(const QVariant& a, const QVariant& b) {
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if ((isNumber(a) || a.typeId() == QMetaType::Bool) &&
        (isNumber(b) || b.typeId() == QMetaType::Bool)) {
        if (!(a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double))
            return order(a.toLongLong(), b.toLongLong());
        return order(a.toDouble(), b.toDouble());
    }
    const auto isTime = [](const QVariant& v) {
        return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
    };
    if (isTime(a) && isTime(b)) {
        const QDateTime x =
            a.typeId() == QMetaType::QDate ? a.toDate().startOfDay() : a.toDateTime();
        const QDateTime y =
            b.typeId() == QMetaType::QDate ? b.toDate().startOfDay() : b.toDateTime();
        return order(x, y);
    }
    return QString::localeAwareCompare(a.toString().toCaseFolded(), b.toString().toCaseFolded());
}

void KeyIndex::clear() {
    ints_.clear();
    texts_.clear();
}

void KeyIndex::reserve(int n) {
    ints_.reserve(n);
}

void KeyIndex::insert(const QVariant& key, int row) {
    if (isNullValue(key))
        return;
    qint64 i = 0;
    if (integerKey(key, i))
        ints_.insert(i, row);
    else
        texts_.insert(textKey(key), row);
}

int KeyIndex::find(const QVariant& key) const {
    if (isNullValue(key))
        return -1;
    qint64 i = 0;
    if (integerKey(key, i))
        return ints_.value(i, -1);
    return texts_.value(textKey(key), -1);
}

} // namespace db
