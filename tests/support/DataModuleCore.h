// A data module on a fresh embedded database with one group's small journal, without any
// window or box: what the session's and the data module's tests share.
#pragma once

#include "support/TempDir.h"

#include "data/JournalView.h"
#include "data/Unit_2_1.h"

#include <gtest/gtest.h>

#include <vector>

namespace testsupport {

// Stands in for the main window: the grid's source and current column, and the selection it
// keeps in the data module.
class TestJournalView : public JournalView {
public:
    explicit TestJournalView(TDM_TAZ_2& dm)
        : dm_(dm) {}

    void enableSelector(JournalSelector s) override { enabled.push_back(s); }
    db::DataSource* journalGridSource() const override { return gridSource; }
    QString currentColumnTitle() const override { return columnTitle; }

    void select(std::optional<qint32> group, std::optional<qint32> semester,
                std::optional<qint32> discipline, std::optional<qint32> form) {
        dm_.setSelection({group, semester, discipline, form});
    }

    db::DataSource* gridSource = nullptr;
    QString columnTitle;
    std::vector<JournalSelector> enabled;

private:
    TDM_TAZ_2& dm_;
};

// Group 5 (students 7, 8, 9) in semester 2 takes discipline 11 with examination 1; group 6,
// semester 3 and discipline 12 exist too. The user "user1" may work with group 5.
class DataModuleCore : public ::testing::Test {
protected:
    static constexpr int Group = 5, Semester = 2, Discipline = 11, Examination = 1;

    void SetUp() override;

    // Runs statements on the database with every right (no login involved).
    void asOwner(const std::vector<QString>& statements);
    // Connects with the database login behind "user1" and opens the start-up data sets.
    void connectAsUser();
    // Connects with a database login and opens the start-up data sets, as the sign-in does.
    void openAs(const QString& login, const QString& password);
    // Prepares and opens the journal of the fixture's selection, as a journal load does.
    void loadJournal(const QString& condition = QStringLiteral("1=1"));
    // A value stored in mark_mag, read with every right.
    QVariant stored(const QString& column, int idMarkMag);
    // The journal's rows as student names, in the order shown.
    QStringList journalStudents();

    TempDir dir;
    QString path;
    int userId = 0;
    TDM_TAZ_2 dm;
    TestJournalView view{dm};
};

} // namespace testsupport
