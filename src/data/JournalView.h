// What the data module needs to know of the main window: the selectors and the journal grid.
#pragma once

#include <QString>

#include <optional>

namespace db {
class DataSource;
}

// The four selectors of the selection cascade, top to bottom.
enum class JournalSelector { Group, Semester, Discipline, FormOfControl };

// Implemented by the main window; the data module's journal handlers read it.
class JournalView {
public:
    virtual ~JournalView() = default;

    // The selected key of a selector; none while nothing is selected.
    virtual std::optional<qint32> selectorKey(JournalSelector selector) const = 0;
    virtual void enableSelector(JournalSelector selector) = 0;
    // The journal grid's data source; null while the grid is unbound.
    virtual db::DataSource* journalGridSource() const = 0;
    // The title of the journal grid's current column.
    virtual QString currentColumnTitle() const = 0;
};
