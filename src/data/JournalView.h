// What the data module needs to know of the main window: the selectors and the journal grid.
#pragma once

#include <QString>

namespace db {
class DataSource;
}

// The four selectors of the selection cascade, top to bottom.
enum class JournalSelector { Group, Semester, Discipline, FormOfControl };

// Implemented by the main window: what the journal's handlers show on it. The chosen keys are
// values in the data module (data::JournalSelection), not read from here.
class JournalView {
public:
    virtual ~JournalView() = default;

    virtual void enableSelector(JournalSelector selector) = 0;
    // The journal grid's data source; null while the grid is unbound.
    virtual db::DataSource* journalGridSource() const = 0;
    // The title of the journal grid's current column.
    virtual QString currentColumnTitle() const = 0;
};
