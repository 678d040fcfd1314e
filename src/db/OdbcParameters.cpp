// Parameter binding: each value converted to its ODBC type in a buffer the statement owns.
#include "db/OdbcValues.h"

#include "db/DatabaseError.h"
#include "db/ValueCompare.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cstring>

namespace db::odbc {

namespace {

Kind kindOfType(QMetaType type) {
    switch (type.id()) {
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Kind::Int32;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Kind::Int64;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Double;
    case QMetaType::QDate:
        return Kind::Date;
    case QMetaType::QDateTime:
        return Kind::DateTime;
    case QMetaType::QByteArray:
        return Kind::Binary;
    default:
        return Kind::Text;
    }
}

Kind kindOfField(FieldType type, const QVariant& value) {
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return value.isValid() && kindOfType(value.metaType()) == Kind::Int64 ? Kind::Int64
                                                                              : Kind::Int32;
    case FieldType::Float:
        return Kind::Double;
    case FieldType::Boolean:
        return Kind::Bool;
    case FieldType::Date:
        return Kind::Date;
    case FieldType::DateTime:
        return Kind::DateTime;
    case FieldType::Unknown:
        return value.isValid() ? kindOfType(value.metaType()) : Kind::Text;
    default:
        return Kind::Text;
    }
}

template <typename T> void store(QByteArray& buffer, const T& value) {
    buffer.resize(sizeof(T));
    std::memcpy(buffer.data(), &value, sizeof(T));
}

template <typename T> T load(const QByteArray& buffer) {
    T value{};
    std::memcpy(&value, buffer.constData(), sizeof(T));
    return value;
}

SQL_TIMESTAMP_STRUCT timestampOf(const QDateTime& value) {
    const QDate d = value.date();
    const QTime t = value.time();
    SQL_TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<SQLSMALLINT>(d.year());
    ts.month = static_cast<SQLUSMALLINT>(d.month());
    ts.day = static_cast<SQLUSMALLINT>(d.day());
    ts.hour = static_cast<SQLUSMALLINT>(t.hour());
    ts.minute = static_cast<SQLUSMALLINT>(t.minute());
    ts.second = static_cast<SQLUSMALLINT>(t.second());
    ts.fraction = static_cast<SQLUINTEGER>(t.msec()) * 1000000u;
    return ts;
}

DatabaseError conversionError(const Argument& argument, const char* what) {
    const QString who = argument.name.isEmpty() ? QStringLiteral("A parameter")
                                                : QStringLiteral("Parameter %1").arg(argument.name);
    return DatabaseError(QStringLiteral("%1: '%2' is not %3.")
                             .arg(who, argument.value.toString(), QLatin1String(what)));
}

// Text output buffers hold this many characters when the parameter gives no size.
constexpr int kDefaultOutputChars = 8000;
// Longer texts travel as long (unlimited) values.
constexpr SQLULEN kLongTextChars = 4000;
constexpr SQLULEN kLongBinaryBytes = 8000;

} // namespace

void bindArgument(SQLHSTMT statement, SQLUSMALLINT number, Argument& argument, Slot& slot) {
    switch (argument.direction) {
    case ParameterDirection::Input:
        slot.io = SQL_PARAM_INPUT;
        break;
    case ParameterDirection::InputOutput:
        slot.io = SQL_PARAM_INPUT_OUTPUT;
        break;
    case ParameterDirection::Output:
    case ParameterDirection::ReturnValue:
        slot.io = SQL_PARAM_OUTPUT;
        break;
    }
    const bool sendsValue = slot.io != SQL_PARAM_OUTPUT && !isNullValue(argument.value);
    slot.kind = kindOfField(argument.type, argument.value);
    slot.indicator = sendsValue ? 0 : SQL_NULL_DATA;

    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT digits = 0;
    bool ok = true;
    switch (slot.kind) {
    case Kind::Int32:
        cType = SQL_C_SLONG;
        sqlType = SQL_INTEGER;
        columnSize = 10;
        store<SQLINTEGER>(slot.buffer, sendsValue ? argument.value.toInt(&ok) : 0);
        if (!ok)
            throw conversionError(argument, "an integer");
        break;
    case Kind::Int64:
        cType = SQL_C_SBIGINT;
        sqlType = SQL_BIGINT;
        columnSize = 19;
        store<SQLBIGINT>(slot.buffer, sendsValue ? argument.value.toLongLong(&ok) : 0);
        if (!ok)
            throw conversionError(argument, "an integer");
        break;
    case Kind::Double:
        cType = SQL_C_DOUBLE;
        sqlType = SQL_DOUBLE;
        columnSize = 15;
        store<SQLDOUBLE>(slot.buffer, sendsValue ? argument.value.toDouble(&ok) : 0.0);
        if (!ok)
            throw conversionError(argument, "a number");
        break;
    case Kind::Bool:
        cType = SQL_C_BIT;
        sqlType = SQL_BIT;
        columnSize = 1;
        store<SQLCHAR>(slot.buffer, sendsValue && argument.value.toBool() ? 1 : 0);
        break;
    case Kind::Date: {
        cType = SQL_C_TYPE_DATE;
        sqlType = SQL_TYPE_DATE;
        columnSize = 10;
        const QDate d = sendsValue ? argument.value.toDate() : QDate();
        if (sendsValue && !d.isValid())
            throw conversionError(argument, "a date");
        SQL_DATE_STRUCT ds{};
        if (d.isValid()) {
            ds.year = static_cast<SQLSMALLINT>(d.year());
            ds.month = static_cast<SQLUSMALLINT>(d.month());
            ds.day = static_cast<SQLUSMALLINT>(d.day());
        }
        store(slot.buffer, ds);
        break;
    }
    case Kind::DateTime: {
        cType = SQL_C_TYPE_TIMESTAMP;
        sqlType = SQL_TYPE_TIMESTAMP;
        columnSize = 23; // milliseconds, the precision of DATETIME
        digits = 3;
        const QDateTime dt = sendsValue ? argument.value.toDateTime() : QDateTime();
        if (sendsValue && !dt.isValid())
            throw conversionError(argument, "a date and time");
        store(slot.buffer, dt.isValid() ? timestampOf(dt) : SQL_TIMESTAMP_STRUCT{});
        break;
    }
    case Kind::Binary: {
        cType = SQL_C_BINARY;
        const QByteArray bytes = sendsValue ? argument.value.toByteArray() : QByteArray();
        const qsizetype capacity =
            slot.io == SQL_PARAM_INPUT
                ? bytes.size()
                : std::max<qsizetype>({bytes.size(), argument.size, kDefaultOutputChars});
        slot.buffer = bytes;
        slot.buffer.resize(std::max<qsizetype>(capacity, 1));
        if (sendsValue)
            slot.indicator = bytes.size();
        columnSize = static_cast<SQLULEN>(std::max<qsizetype>(capacity, 1));
        sqlType = columnSize > kLongBinaryBytes ? SQL_LONGVARBINARY : SQL_VARBINARY;
        break;
    }
    case Kind::Text: {
        const QString text = sendsValue ? argument.value.toString() : QString();
        const qsizetype capacity =
            slot.io == SQL_PARAM_INPUT
                ? text.size()
                : std::max<qsizetype>(
                      {text.size(), argument.size,
                       argument.size > 0 ? qsizetype(0) : qsizetype(kDefaultOutputChars)});
        // One more character for the terminator the driver writes into output buffers.
        slot.buffer.fill('\0', (capacity + 1) * qsizetype(sizeof(SQLWCHAR)));
        std::memcpy(slot.buffer.data(), text.utf16(), text.size() * sizeof(SQLWCHAR));
        if (sendsValue)
            slot.indicator = static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR));
        columnSize = static_cast<SQLULEN>(std::max<qsizetype>(capacity, 1));
        sqlType = columnSize > kLongTextChars ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        // Inputs are declared at one size whatever the value's length, so the server keeps one
        // plan per statement instead of one per length.
        if (sqlType == SQL_WVARCHAR && slot.io == SQL_PARAM_INPUT)
            columnSize = kLongTextChars;
        break;
    }
    }

    const SQLRETURN rc = SQLBindParameter(statement, number, slot.io, cType, sqlType, columnSize,
                                          digits, slot.buffer.data(),
                                          static_cast<SQLLEN>(slot.buffer.size()), &slot.indicator);
    check(rc, statement);
}

QVariant outputValue(const Slot& slot) {
    if (slot.indicator == SQL_NULL_DATA)
        return {};
    switch (slot.kind) {
    case Kind::Int32:
        return QVariant::fromValue<qint32>(load<SQLINTEGER>(slot.buffer));
    case Kind::Int64:
        return QVariant::fromValue<qint64>(load<SQLBIGINT>(slot.buffer));
    case Kind::Double:
        return load<SQLDOUBLE>(slot.buffer);
    case Kind::Bool:
        return load<SQLCHAR>(slot.buffer) != 0;
    case Kind::Date: {
        const auto ds = load<SQL_DATE_STRUCT>(slot.buffer);
        return QDate(ds.year, ds.month, ds.day);
    }
    case Kind::DateTime:
        return dateTimeOf(load<SQL_TIMESTAMP_STRUCT>(slot.buffer));
    case Kind::Binary:
        return slot.buffer.left(std::clamp<qsizetype>(slot.indicator, 0, slot.buffer.size()));
    case Kind::Text: {
        const qsizetype maxChars = slot.buffer.size() / qsizetype(sizeof(SQLWCHAR)) - 1;
        const qsizetype chars = std::clamp<qsizetype>(
            slot.indicator == SQL_NO_TOTAL ? maxChars
                                           : slot.indicator / qsizetype(sizeof(SQLWCHAR)),
            0, maxChars);
        return fromWide(reinterpret_cast<const SQLWCHAR*>(slot.buffer.constData()), chars);
    }
    }
    return {};
}

} // namespace db::odbc
