// A signed-in data module on a fresh embedded database with one group's small journal.
#pragma once

#include "support/BoxScript.h"
#include "support/TempDir.h"

#include "data/JournalView.h"
#include "data/Unit_2_1.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace testsupport {

// Stands in for the main window: the selectors' keys, the grid's source and current column.
class TestJournalView : public JournalView {
public:
    std::optional<qint32> selectorKey(JournalSelector s) const override {
        return keys[static_cast<size_t>(s)];
    }
    void enableSelector(JournalSelector s) override { enabled.push_back(s); }
    db::DataSource* journalGridSource() const override { return gridSource; }
    QString currentColumnTitle() const override { return columnTitle; }

    void select(std::optional<qint32> group, std::optional<qint32> semester,
                std::optional<qint32> discipline, std::optional<qint32> form) {
        keys = {group, semester, discipline, form};
    }

    std::array<std::optional<qint32>, 4> keys;
    db::DataSource* gridSource = nullptr;
    QString columnTitle;
    std::vector<JournalSelector> enabled;
};

// Group 5 (students 7, 8, 9) in semester 2 takes discipline 11 with examination 1; group 6,
// semester 3 and discipline 12 exist too. The user "user1" may work with group 5.
class DataModuleFixture : public ::testing::Test {
protected:
    static constexpr int Group = 5, Semester = 2, Discipline = 11, Examination = 1;

    void SetUp() override;

    // Runs statements on the database with every right (no login involved).
    void asOwner(const std::vector<QString>& statements);
    // Signs "user1" in as the sign-in does and opens the start-up data sets.
    void signIn();
    // Prepares and opens the journal of the fixture's selection, as a journal load does.
    void loadJournal(const QString& condition = QStringLiteral("1=1"));
    // A value stored in mark_mag, read with every right.
    QVariant stored(const QString& column, int idMarkMag);
    // The journal's rows as student names, in the order shown.
    QStringList journalStudents();

    // A box nobody expected fails the test instead of waiting for a click; tests that expect
    // boxes set their own script over this one.
    platform::ScopedMessageBoxScript unexpectedBoxes{failOnBoxes()};
    TempDir dir;
    QString path;
    int userId = 0;
    TDM_TAZ_2 dm;
    TestJournalView view;
};

} // namespace testsupport
