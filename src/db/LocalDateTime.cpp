#include "db/LocalDateTime.h"

namespace db {
namespace {

constexpr qint64 MSecsPerDay = 86400000;

} // namespace

LocalDateTime::LocalDateTime(QDate date, QTime time)
    : packed_(date.toJulianDay() * MSecsPerDay + time.msecsSinceStartOfDay()) {}

bool LocalDateTime::fromDateTime(const QDateTime& dateTime, LocalDateTime& out) {
    if (!dateTime.isValid() || dateTime.timeSpec() != Qt::LocalTime)
        return false;
    out = LocalDateTime(dateTime.date(), dateTime.time());
    return true;
}

LocalDateTime LocalDateTime::fromPacked(qint64 packed) {
    LocalDateTime v;
    v.packed_ = packed;
    return v;
}

QDate LocalDateTime::date() const {
    // Julian days are positive for every date a database column holds.
    return QDate::fromJulianDay(packed_ / MSecsPerDay);
}

QTime LocalDateTime::time() const {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(packed_ % MSecsPerDay));
}

QVariant LocalDateTime::value() const {
    const QDateTime placed(date(), time());
    if (placed.isValid())
        return placed;
    const QString format = time().msec() != 0 ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                              : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QDateTime(date(), time(), Qt::UTC).toString(format);
}

} // namespace db
