// Date literals in statements, read in the session's DATEFORMAT order.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace embedded {

// The order of day, month and year in a date literal (SET DATEFORMAT).
enum class DateOrder { mdy, dmy, ymd, ydm, myd, dym };

// The order named by a SET DATEFORMAT value ("dmy" ...), or nothing for an unknown name.
std::optional<DateOrder> dateOrderFromName(const QString& name);

// How a text reads as a date-time.
struct DateLiteral {
    bool looksLikeDate = false; // digits and separators in the shape of a date
    QDateTime value;            // invalid when it looks like a date but is none (31.02.2024)
};

// Reads "05.04.2024", "5/4/24 13:30", "2024-04-05T10:00:00.250", "20240405" ...; the
// year-first and eight-digit forms do not depend on the order.
DateLiteral readDateLiteral(const QString& text, DateOrder order);

} // namespace embedded
