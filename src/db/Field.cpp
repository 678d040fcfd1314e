// Fields: value access through the owning data set, plain text and type conversion.
#include "db/Field.h"

#include "db/DataSet.h"
#include "db/SqlText.h"
#include "db/ValueCompare.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cmath>
#include <limits>

namespace db {

namespace {

// The locale's long time format without its time-zone part.
QString longTimeFormat(const QLocale& locale) {
    QString f = locale.timeFormat(QLocale::LongFormat);
    f.remove(u't');
    return f.trimmed();
}

QLocale plainLocale() {
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

bool parseDate(const QString& text, QDate& out) {
    const QString t = text.trimmed();
    const QLocale locale;
    const QStringList formats = {locale.dateFormat(QLocale::ShortFormat), dayFormat(),
                                 QStringLiteral("d.M.yyyy"), QStringLiteral("yyyy-MM-dd")};
    for (const QString& f : formats) {
        const QDate d = QDate::fromString(t, f);
        if (d.isValid()) {
            out = d;
            return true;
        }
    }
    return false;
}

bool parseTime(const QString& text, QTime& out) {
    const QString t = text.trimmed();
    const QLocale locale;
    const QStringList formats = {longTimeFormat(locale), locale.timeFormat(QLocale::ShortFormat),
                                 QStringLiteral("H:mm:ss"), QStringLiteral("H:mm:ss.zzz"),
                                 QStringLiteral("H:mm")};
    for (const QString& f : formats) {
        const QTime time = QTime::fromString(t, f);
        if (time.isValid()) {
            out = time;
            return true;
        }
    }
    return false;
}

bool parseDateTime(const QString& text, QDateTime& out) {
    const QString t = text.trimmed();
    QDate d;
    if (parseDate(t, d)) {
        out = d.startOfDay();
        return true;
    }
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (iso.isValid()) {
        out = iso;
        return true;
    }
    const qsizetype space = t.indexOf(u' ');
    QTime time;
    if (space > 0 && parseDate(t.left(space), d) && parseTime(t.mid(space + 1), time)) {
        out = QDateTime(d, time);
        return true;
    }
    return false;
}

[[noreturn]] void refuse(const Field& f, const QVariant& v) {
    throw DatabaseError(QStringLiteral("'%1' is not a valid value for field '%2'.")
                            .arg(v.toString(), f.fieldName()));
}

} // namespace

Field::Field(DataSet* owner, const FieldDef& def, int index)
    : QObject(owner)
    , dataSet_(owner)
    , def_(def)
    , index_(index) {
    setObjectName(def.name);
}

Alignment Field::alignment() const {
    switch (def_.type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Float:
        return Alignment::Right;
    default:
        return Alignment::Left;
    }
}

QVariant Field::value() const {
    return dataSet_->fieldValue(*this);
}

QVariant Field::oldValue() const {
    return dataSet_->fieldOldValue(*this);
}

QString Field::text() const {
    return textOf(value());
}

QString Field::oldText() const {
    return textOf(oldValue());
}

void Field::setValue(const QVariant& v) {
    dataSet_->setFieldValue(*this, v);
}

// An empty text is no value; a text field that holds an empty string or a null keeps it, so
// that a grid writing back an untouched empty cell changes nothing.
void Field::setText(const QString& text) {
    if (text.isEmpty() &&
        (def_.type == FieldType::String || def_.type == FieldType::WideString ||
         def_.type == FieldType::Memo) &&
        value().toString().isEmpty()) {
        setValue(value());
        return;
    }
    setValue(text.isEmpty() ? QVariant() : QVariant(text));
}

QString Field::textOf(const QVariant& v) const {
    if (isNullValue(v))
        return {};
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return QLocale().toString(v.toDate(), QLocale::ShortFormat);
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const QLocale locale;
        QString s = locale.toString(dt.date(), QLocale::ShortFormat);
        if (dt.time() != QTime(0, 0))
            s += u' ' + locale.toString(dt.time(), longTimeFormat(locale));
        return s;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return plainLocale().toString(v.toDouble(), 'g', 15);
    default:
        if (isNumber(v))
            return QString::number(v.toLongLong());
        return v.toString();
    }
}

QVariant Field::convert(const QVariant& v) const {
    if (isNullValue(v))
        return {};
    const bool isText = v.typeId() == QMetaType::QString;
    const QString text = isText ? v.toString().trimmed() : QString();
    switch (def_.type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        qint64 n = 0;
        bool ok = false;
        if (isText) {
            n = text.toLongLong(&ok);
        } else if (v.typeId() == QMetaType::Bool) {
            n = v.toBool() ? 1 : 0;
            ok = true;
        } else {
            ok = KeyIndex::integerKey(v, n);
        }
        if (!ok)
            refuse(*this, v);
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return QVariant(static_cast<int>(n));
        return QVariant(n);
    }
    case FieldType::Float: {
        if (isText) {
            bool ok = false;
            double d = QLocale().toDouble(text, &ok);
            if (!ok)
                d = QLocale::c().toDouble(text, &ok);
            if (!ok)
                refuse(*this, v);
            return QVariant(d);
        }
        if (!isNumber(v) && v.typeId() != QMetaType::Bool)
            refuse(*this, v);
        return QVariant(v.toDouble());
    }
    case FieldType::Boolean: {
        if (v.typeId() == QMetaType::Bool)
            return v;
        if (isNumber(v))
            return QVariant(v.toLongLong() != 0);
        if (isText) {
            if (text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1")
                return QVariant(true);
            if (text.compare(u"false", Qt::CaseInsensitive) == 0 || text == u"0")
                return QVariant(false);
        }
        refuse(*this, v);
    }
    case FieldType::Date: {
        if (v.typeId() == QMetaType::QDate)
            return v;
        if (v.typeId() == QMetaType::QDateTime)
            return QVariant(v.toDateTime().date());
        QDateTime dt;
        if (isText && parseDateTime(text, dt))
            return QVariant(dt.date());
        refuse(*this, v);
    }
    case FieldType::DateTime: {
        if (v.typeId() == QMetaType::QDateTime)
            return v;
        if (v.typeId() == QMetaType::QDate)
            return QVariant(v.toDate().startOfDay());
        QDateTime dt;
        if (isText && parseDateTime(text, dt))
            return QVariant(dt);
        refuse(*this, v);
    }
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo: {
        QString s = v.typeId() == QMetaType::QString ? v.toString() : textOf(v);
        if (def_.size > 0 && s.size() > def_.size)
            s.truncate(def_.size);
        return QVariant(s);
    }
    case FieldType::Unknown:
        break;
    }
    return v;
}

} // namespace db
