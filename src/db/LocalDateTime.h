// A date-time as a database stores it: a calendar date and a time of day, not yet placed in
// the local time zone. Placing a value in the zone costs more than reading a whole row, so a
// data set keeps its date-times so and places only the values that are looked at.
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QVariant>

namespace db {

class LocalDateTime {
public:
    LocalDateTime() = default;
    // Both must be valid.
    LocalDateTime(QDate date, QTime time);
    // A local date-time's own date and time; false for an invalid one or one of another
    // time-zone kind (UTC, an offset), which this form cannot hold.
    static bool fromDateTime(const QDateTime& dateTime, LocalDateTime& out);

    static LocalDateTime fromPacked(qint64 packed);
    qint64 packed() const { return packed_; }

    QDate date() const;
    QTime time() const;
    // The value in the local zone; a time the zone skips (a clock moved forward) cannot be
    // placed and stays the text the database holds, as when it was read as text.
    QVariant value() const;

private:
    qint64 packed_ = 0; // Julian day * milliseconds a day + milliseconds since midnight
};

} // namespace db

Q_DECLARE_METATYPE(db::LocalDateTime)
