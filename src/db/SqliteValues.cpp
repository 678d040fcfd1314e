#include "db/SqliteValues.h"
#include "db/ValueCompare.h"

#include <QDateTime>

#include <QRegularExpression>
#include <limits>

namespace db::sqlite {

Column columnFromDeclaredType(const QString& name, const QString& declaredType) {
    Column c;
    c.name = name;
    const QString t = declaredType.trimmed().toUpper();
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)"));
    const auto m = sizeRe.match(t);
    const int size = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (t.isEmpty())
        c.type = FieldType::Unknown;
    else if (t.startsWith(QLatin1String("NCHAR")) || t.startsWith(QLatin1String("NVARCHAR")))
        c.type = FieldType::WideString;
    else if (t.contains(QLatin1String("INT")))
        c.type = FieldType::Integer;
    else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
             t.contains(QLatin1String("TEXT")))
        c.type = size > 0 ? FieldType::String : FieldType::Memo;
    else if (t.startsWith(QLatin1String("BIT")) || t.startsWith(QLatin1String("BOOL")))
        c.type = FieldType::Boolean;
    else if (t.contains(QLatin1String("DATETIME")) || t.contains(QLatin1String("TIMESTAMP")))
        c.type = FieldType::DateTime;
    else if (t.startsWith(QLatin1String("DATE")))
        c.type = FieldType::Date;
    else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
             t.contains(QLatin1String("DOUB")) || t.contains(QLatin1String("NUMERIC")) ||
             t.contains(QLatin1String("DECIMAL")) || t.contains(QLatin1String("MONEY")))
        c.type = FieldType::Float;
    else
        c.type = FieldType::String;
    if (c.type == FieldType::String || c.type == FieldType::WideString)
        c.size = size;
    return c;
}

namespace {

// The canonical form "YYYY-MM-DD[ HH:MM:SS[.fff]]" read digit by digit: what the driver
// itself writes, and many times faster than the general ISO parser on large results.
template <typename Char>
bool parseCanonicalParts(const Char* s, qsizetype size, QDate& date, QTime& time) {
    if (size != 10 && size != 19 && size != 23)
        return false;
    const auto digits = [&](qsizetype at, int n, int& v) {
        v = 0;
        for (qsizetype i = at; i < at + n; ++i) {
            const auto c = static_cast<unsigned>(s[i]);
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + int(c - '0');
        }
        return true;
    };
    const auto is = [&](qsizetype at, char c) {
        return static_cast<unsigned>(s[at]) == unsigned(c);
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
    if (!digits(0, 4, y) || !is(4, '-') || !digits(5, 2, mo) || !is(7, '-') || !digits(8, 2, d))
        return false;
    if (size >= 19 && ((!is(10, ' ') && !is(10, 'T')) || !digits(11, 2, h) || !is(13, ':') ||
                       !digits(14, 2, mi) || !is(16, ':') || !digits(17, 2, sec)))
        return false;
    if (size == 23 && (!is(19, '.') || !digits(20, 3, ms)))
        return false;
    date = QDate(y, mo, d);
    time = QTime(h, mi, sec, ms);
    return date.isValid() && time.isValid();
}

template <typename Char> bool parseCanonical(const Char* s, qsizetype size, QDateTime& out) {
    QDate date;
    QTime time;
    if (!parseCanonicalParts(s, size, date, time))
        return false;
    out = QDateTime(date, time);
    return out.isValid();
}

QDateTime parseDateTime(const QString& text) {
    QDateTime fast;
    if (parseCanonical(text.utf16(), text.size(), fast))
        return fast;
    QString s = text.trimmed();
    if (s.size() > 10 && s[10] == QLatin1Char(' '))
        s[10] = QLatin1Char('T');
    QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!dt.isValid() && s.size() == 10)
        dt = QDateTime(QDate::fromString(s, Qt::ISODate), QTime(0, 0));
    return dt;
}

} // namespace

QVariant fromStored(const QVariant& stored, FieldType type) {
    if (isNullValue(stored))
        return QVariant();
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        const qlonglong v = stored.toLongLong();
        if (v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
            return QVariant(static_cast<qint32>(v));
        return QVariant(static_cast<qint64>(v));
    }
    case FieldType::Float:
        return QVariant(stored.toDouble());
    case FieldType::Boolean:
        if (stored.typeId() == QMetaType::QString)
            return QVariant(stored.toString() == QLatin1String("1") ||
                            stored.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) ==
                                0);
        return QVariant(stored.toLongLong() != 0);
    case FieldType::DateTime: {
        const QDateTime dt = parseDateTime(stored.toString());
        return dt.isValid() ? QVariant(dt) : stored;
    }
    case FieldType::Date: {
        const QDateTime dt = parseDateTime(stored.toString());
        return dt.isValid() ? QVariant(dt.date()) : stored;
    }
    case FieldType::Unknown:
        switch (stored.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            return fromStored(stored, FieldType::Integer);
        case QMetaType::Double:
            return stored;
        default:
            return QVariant(stored.toString());
        }
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
        return QVariant(stored.toString());
    }
    return stored;
}

QDateTime canonicalDateTimeFromUtf8(const char* text, qsizetype size) {
    QDateTime dt;
    return parseCanonical(text, size, dt) ? dt : QDateTime();
}

bool canonicalLocalDateTimeFromUtf8(const char* text, qsizetype size, LocalDateTime& out) {
    QDate date;
    QTime time;
    if (!parseCanonicalParts(text, size, date, time))
        return false;
    out = LocalDateTime(date, time);
    return true;
}

QString canonicalDateTime(const QDateTime& dt) {
    return dt.time().msec() != 0 ? dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                 : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant toStored(const QVariant& value) {
    if (isNullValue(value))
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return canonicalDateTime(value.toDateTime());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return QVariant(value.toBool() ? 1 : 0);
    default:
        return value;
    }
}

} // namespace db::sqlite
