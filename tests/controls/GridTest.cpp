// The data-aware grid over a real SQLite data set: reading rows in place, editing and
// posting on leaving a row, lookup editing, selected rows and keyboard movement.
#include "support/CaughtErrors.h"
#include "support/JournalDb.h"

#include "controls/DBGridEh.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

using testsupport::JournalDb;

namespace {

struct Grid : JournalDb {
    void SetUp() override {
        JournalDb::SetUp();
        addMarkFields();
        addMarks({{12, 1, 1}, {40, 1, 2}, {12, 2, 3}, {7, 1, 1}, {8, 1, 2}});
        grid.addColumn(QStringLiteral("id_student"), QStringLiteral("Студент"), 60);
        grid.addColumn(QStringLiteral("teacher"), QStringLiteral("Преподаватель"), 150);
        grid.addColumn(QStringLiteral("p35"), QStringLiteral("№"), 60);
        grid.setDataSource(&markSource_);
        DB_STEP(teachers_.open());
        DB_STEP(marks_.open());
        show(grid);
    }
    int cursorStudent() { return marks_.fieldByName(QStringLiteral("id_student"))->asInteger(); }
    void clickIndicator(int row, Qt::KeyboardModifiers mods) {
        QHeaderView* h = grid.verticalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, mods,
                          QPoint(3, h->sectionViewportPosition(row) + 3));
    }
    QWidget* startEditing() {
        QTest::keyClick(&grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        EXPECT_NE(editor, &grid);
        return editor;
    }

    TDBGridEh grid;
};

} // namespace

TEST_F(Grid, ShowsEveryRowAndPaintsWithoutMovingTheCursor) {
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(grid.model()->columnCount(), 3);
    marks_.setRecNo(2);
    grid.viewport()->grab(); // paints every visible cell
    EXPECT_EQ(marks_.recNo(), 2);
    EXPECT_EQ(grid.model()->index(3, 0).data().toString(), QStringLiteral("7"));
    EXPECT_EQ(grid.model()->index(2, 1).data().toString(), QStringLiteral("Сидоров С.С."));
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Студент"));
}

TEST_F(Grid, EditingACellAndLeavingTheRowPostsTheEdit) {
    grid.setSelectedIndex(2);
    QWidget* editor = startEditing();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
    // The editor takes only what code page 1251 can hold.
    testsupport::typeText(editor, QStringLiteral("7б\u4E2D"));
    EXPECT_EQ(static_cast<QLineEdit*>(editor)->text(), QStringLiteral("7б"));
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(marks_.state(), db::DataSetState::Browse);
    EXPECT_EQ(marks_.recNo(), 2);
    EXPECT_EQ(dbValue(QStringLiteral("select p35 from mark where id_mark = 1")).toString(),
              QStringLiteral("7б"));
}

TEST_F(Grid, AFailedPostKeepsTheRowCurrentAndPassesTheErrorOn) {
    db::Connection other;
    other.setConnectionString(conn_.connectionString());
    other.execute(QStringLiteral("update mark set p35 = 'theirs' where id_mark = 1"));
    grid.setSelectedIndex(2);
    QWidget* editor = startEditing();
    testsupport::typeText(editor, QStringLiteral("mine"));
    testsupport::caughtErrors().clear();
    QTest::keyClick(editor, Qt::Key_Down);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(testsupport::caughtErrors(),
              QStringList{QStringLiteral("Row cannot be located for updating. Some values may "
                                         "have been changed since it was last read.")});
    EXPECT_EQ(marks_.state(), db::DataSetState::Edit);
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(cursorStudent(), 12);
    // Mouse clicks on another row are refused the same way.
    const QPoint other3 = grid.visualRect(grid.model()->index(3, 0)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, other3);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(testsupport::caughtErrors().size(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 0);
    marks_.cancel();
}

TEST_F(Grid, LookupColumnIsEditedByChoosingARowAndStoresItsKey) {
    grid.setSelectedIndex(1);
    auto* box = qobject_cast<QComboBox*>(startEditing());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentText(), QStringLiteral("Иванов И.И."));
    box->setCurrentIndex(2);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(marks_.fieldByName(QStringLiteral("id_teacher"))->asInteger(), 3);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(dbValue(QStringLiteral("select id_teacher from mark where id_mark = 1")).toInt(), 3);
}

TEST_F(Grid, IndicatorClicksChooseRowsAsBookmarks) {
    grid.setOptions(grid.Options() | dgMultiSelect);
    clickIndicator(1, Qt::ControlModifier);
    clickIndicator(3, Qt::ControlModifier);
    ASSERT_EQ(grid.SelectedRows().Count(), 2);
    EXPECT_EQ(marks_.indexOfBookmark(grid.SelectedRows().Item(0)), 1);
    EXPECT_EQ(marks_.indexOfBookmark(grid.SelectedRows().Item(1)), 3);
    clickIndicator(1, Qt::ControlModifier); // again: out of the list
    ASSERT_EQ(grid.SelectedRows().Count(), 1);
    EXPECT_EQ(marks_.indexOfBookmark(grid.SelectedRows().Item(0)), 3);
    EXPECT_EQ(cursorStudent(), 40);

    clickIndicator(0, Qt::ShiftModifier); // rows 0 and 1: from the last Ctrl+click to here
    EXPECT_EQ(grid.SelectedRows().Count(), 3);
    clickIndicator(4, {});
    EXPECT_EQ(grid.SelectedRows().Count(), 0);
    EXPECT_EQ(cursorStudent(), 8);

    marks_.setRecNo(2);
    grid.SelectedRows().SelectAll();
    EXPECT_EQ(grid.SelectedRows().Count(), 5);
    EXPECT_EQ(marks_.recNo(), 2);
    grid.SelectedRows().Clear();
    EXPECT_EQ(grid.SelectedRows().Count(), 0);
}

TEST_F(Grid, EnterActsAsTabAndTabWrapsToTheNextRow) {
    grid.setOptionsEh(grid.OptionsEh() | dghEnterAsTab);
    grid.Column(1)->Visible = false;
    grid.columnsChanged();
    grid.setSelectedIndex(0);
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(grid.SelectedIndex(), 2); // the hidden column is passed over
    EXPECT_EQ(grid.Col(), 3);           // the indicator counts as column 0
    QTest::keyClick(&grid, Qt::Key_Tab);
    EXPECT_EQ(grid.SelectedIndex(), 0);
    EXPECT_EQ(marks_.recNo(), 2);
    QTest::keyClick(&grid, Qt::Key_Backtab);
    EXPECT_EQ(grid.SelectedIndex(), 2);
    EXPECT_EQ(marks_.recNo(), 1);
}

TEST_F(Grid, KeyEventsReachTheHandlersAndAZeroedKeyDoesNothing) {
    std::vector<quint16> downs;
    grid.OnKeyDown = [&](QObject* sender, quint16& key, TShiftState) {
        EXPECT_EQ(sender, &grid);
        downs.push_back(key);
        if (key == 40)
            key = 0; // the owner swallows Down
    };
    int ups = 0;
    grid.OnKeyUp = [&](QObject*, quint16&, TShiftState) { ++ups; };
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(marks_.recNo(), 1);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(downs, (std::vector<quint16>{40, 17, 67})); // Ctrl goes down first
    EXPECT_EQ(ups, 3);
}
