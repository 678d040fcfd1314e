// Texts placed inside statements, and the one written form of a day.
#pragma once

#include <QString>

namespace db {

// A quote inside a quoted literal is written twice, so that the text can neither end the
// literal early nor add to the statement.
inline QString doubledQuotes(QString text) {
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The text as a complete quoted literal.
inline QString quotedLiteral(const QString& text) {
    return QLatin1Char('\'') + doubledQuotes(text) + QLatin1Char('\'');
}

// Day, month and year with points between: how users type and read a date everywhere.
inline constexpr const char* DayFormat = "dd.MM.yyyy";

inline QString dayFormat() {
    return QString::fromLatin1(DayFormat);
}

} // namespace db
