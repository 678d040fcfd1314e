// The group, semester, discipline and form of control chosen in the selection cascade.
#pragma once

#include <QtGlobal>

#include <optional>

namespace data {

// Keys as values; none while nothing is chosen. The main window keeps them current as its
// selectors change, so nothing below it reads a widget to learn them.
struct JournalSelection {
    std::optional<qint32> group;
    std::optional<qint32> semester;
    std::optional<qint32> discipline;
    std::optional<qint32> formOfControl;

    bool operator==(const JournalSelection&) const = default;
};

} // namespace data
