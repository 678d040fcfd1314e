// Dates typed as dd.MM.yyyy: the editors' shared reading and the error for a wrong one.
#pragma once

#include "db/SqlText.h"

#include <QDate>
#include <QString>

#include <stdexcept>

// A typed date that is partial or does not exist; its text is the user's message.
class InvalidDateError : public std::runtime_error {
public:
    explicit InvalidDateError(const QString& typed);
};

namespace typeddate {

// The only form a user types: day, month and year with points between.
inline constexpr const char* Format = db::DayFormat;

// The date the text names; throws InvalidDateError when it names none.
QDate parse(const QString& text);

} // namespace typeddate
