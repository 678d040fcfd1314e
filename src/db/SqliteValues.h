// How SQLite's declared types and stored values map onto the data-access layer's types.
#pragma once

#include "db/LocalDateTime.h"
#include "db/Result.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace db::sqlite {

// The column's type and text size from its declared type ("VARCHAR(50)", "DATETIME", ...).
Column columnFromDeclaredType(const QString& name, const QString& declaredType);
// A stored value converted to the column's type; a null stays an invalid QVariant.
QVariant fromStored(const QVariant& stored, FieldType type);
// A value as SQLite stores it: date-times in one canonical text form, booleans as 0/1.
QVariant toStored(const QVariant& value);
// A date-time read from its canonical text without QDateTime's string parser; invalid when the
// text has another form (fromStored then reads it).
QDateTime canonicalDateTimeFromUtf8(const char* text, qsizetype size);
// The same text as a date and a time of day, not placed in the local zone; false when the
// text has another form.
bool canonicalLocalDateTimeFromUtf8(const char* text, qsizetype size, LocalDateTime& out);
// The canonical text of a date-time: "YYYY-MM-DD HH:MM:SS" with ".fff" when it has
// milliseconds.
QString canonicalDateTime(const QDateTime& dt);

} // namespace db::sqlite
