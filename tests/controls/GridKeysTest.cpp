// The grid's keys, each sent to whatever has the keyboard in a window where the grid sits
// between two other widgets: where the current cell goes, what becomes of the row's edit
// and of an open editor, and what reaches the database.
#include "support/JournalDb.h"
#include "support/QtWarnings.h"

#include "controls/DBGridEh.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using testsupport::JournalDb;

namespace {

// How the row stands when the key goes down.
enum class Before {
    Browsing,  // the grid has the keyboard, nothing changed
    RowEdited, // the row's p35 changed to "e", no editor open
    Typing,    // an editor open on the cell with "t" typed in it
};

struct KeyCase {
    const char* name;
    int row, col; // the current cell before the key
    Before before;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int wantRow, wantCol;
    db::DataSetState wantState;
    bool wantEditor;
    const char* wantValue;  // p35 of the current record in the data set, "" for none
    const char* wantStored; // p35 of the starting row in the database
};

class GridKeys : public JournalDb {
protected:
    void SetUp() override {
        JournalDb::SetUp();
        addMarkFields();
        addMarks({{12, 1, 1}, {40, 1, 2}, {7, 1, 3}});
        auto* layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        grid = new TDBGridEh(&window);
        after = new QPushButton(QStringLiteral("Далее"), &window);
        layout->addWidget(before);
        layout->addWidget(grid);
        layout->addWidget(after);
        grid->addColumn(QStringLiteral("id_student"), QStringLiteral("Студент"), 60);
        grid->addColumn(QStringLiteral("teacher"), QStringLiteral("Преподаватель"), 150);
        grid->addColumn(QStringLiteral("p35"), QStringLiteral("№"), 60);
        grid->setDataSource(&markSource_);
        DB_STEP(teachers_.open());
        DB_STEP(marks_.open());
        window.resize(600, 400);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Keys reach the widget with the keyboard focus, as a keyboard's do.
    static void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr) << "nothing has the keyboard";
        QTest::keyClick(target, key, mods);
    }

    bool editorOpen() const {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr && focus != grid && grid->isAncestorOf(focus);
    }

    void prepare(const KeyCase& c) {
        grid->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(grid->hasFocus());
        grid->setCurrentIndex(grid->model()->index(c.row, c.col));
        ASSERT_EQ(marks_.recNo(), c.row + 1);
        ASSERT_EQ(grid->currentIndex().column(), c.col);
        if (c.before == Before::RowEdited) {
            marks_.edit();
            marks_.fieldByName(QStringLiteral("p35"))->setValue(QStringLiteral("e"));
        } else if (c.before == Before::Typing) {
            press(Qt::Key_F2);
            ASSERT_TRUE(editorOpen());
            press(Qt::Key_A, Qt::ControlModifier);
            press(Qt::Key_T);
            ASSERT_TRUE(editorOpen());
        }
    }

    QString stored(int row) {
        return dbValue(QStringLiteral("select p35 from mark where id_mark = %1").arg(row + 1))
            .toString();
    }

    testsupport::FailOnQtWarnings failOnWarnings;
    QWidget window;
    QLineEdit* before = nullptr;
    TDBGridEh* grid = nullptr;
    QPushButton* after = nullptr;
};

} // namespace

TEST_F(GridKeys, EachKeyMovesTheCellAndTreatsTheRowAsAPersonExpects) {
    using S = db::DataSetState;
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier,
                                shift = Qt::ShiftModifier;
    const KeyCase cases[] = {
        {"Down moves one row", 0, 0, Before::Browsing, Qt::Key_Down, none, 1, 0, S::Browse, false,
         "x", "x"},
        {"Up on the first row stays", 0, 1, Before::Browsing, Qt::Key_Up, none, 0, 1, S::Browse,
         false, "x", "x"},
        {"Down leaving an edited row posts it", 0, 2, Before::RowEdited, Qt::Key_Down, none, 1, 2,
         S::Browse, false, "x", "e"},
        {"Up leaving an edited row posts it", 2, 2, Before::RowEdited, Qt::Key_Up, none, 1, 2,
         S::Browse, false, "x", "e"},
        {"Down on the last row appends one", 2, 0, Before::Browsing, Qt::Key_Down, none, 3, 0,
         S::Insert, false, "", "x"},
        {"Right moves one column", 0, 0, Before::Browsing, Qt::Key_Right, none, 0, 1, S::Browse,
         false, "x", "x"},
        {"Right on the last column stays", 0, 2, Before::Browsing, Qt::Key_Right, none, 0, 2,
         S::Browse, false, "x", "x"},
        {"Left on the first column stays", 1, 0, Before::Browsing, Qt::Key_Left, none, 1, 0,
         S::Browse, false, "x", "x"},
        {"End goes to the last column", 1, 0, Before::Browsing, Qt::Key_End, none, 1, 2, S::Browse,
         false, "x", "x"},
        {"Home goes to the first column", 1, 2, Before::Browsing, Qt::Key_Home, none, 1, 0,
         S::Browse, false, "x", "x"},
        {"Ctrl+End goes to the last row", 0, 1, Before::Browsing, Qt::Key_End, ctrl, 2, 1,
         S::Browse, false, "x", "x"},
        {"Ctrl+Home from an edited row posts it", 2, 1, Before::RowEdited, Qt::Key_Home, ctrl, 0, 1,
         S::Browse, false, "x", "e"},
        {"Tab moves to the next column", 0, 1, Before::Browsing, Qt::Key_Tab, none, 0, 2, S::Browse,
         false, "x", "x"},
        {"Tab on the last column goes to the next row", 0, 2, Before::RowEdited, Qt::Key_Tab, none,
         1, 0, S::Browse, false, "x", "e"},
        {"Shift+Tab moves back a column", 1, 1, Before::Browsing, Qt::Key_Backtab, shift, 1, 0,
         S::Browse, false, "x", "x"},
        {"Escape cancels the row's change", 1, 2, Before::RowEdited, Qt::Key_Escape, none, 1, 2,
         S::Browse, false, "x", "x"},
        {"Escape in the editor drops its text, the row stays in edit", 1, 2, Before::Typing,
         Qt::Key_Escape, none, 1, 2, S::Edit, false, "x", "x"},
        {"Return opens the editor", 0, 2, Before::Browsing, Qt::Key_Return, none, 0, 2, S::Browse,
         true, "x", "x"},
        {"Return in the editor keeps its text in the row", 0, 2, Before::Typing, Qt::Key_Return,
         none, 0, 2, S::Edit, false, "t", "x"},
        {"Down in the editor posts its text and moves", 0, 2, Before::Typing, Qt::Key_Down, none, 1,
         2, S::Browse, false, "x", "t"},
        {"Left in the editor stays in the editor", 0, 2, Before::Typing, Qt::Key_Left, none, 0, 2,
         S::Edit, true, "x", "x"},
        {"Insert adds a row at the current place", 1, 0, Before::Browsing, Qt::Key_Insert, none, 1,
         0, S::Insert, false, "", "x"},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(prepare(c));
        press(c.key, c.mods);
        EXPECT_EQ(grid->currentIndex().row(), c.wantRow) << c.name;
        EXPECT_EQ(grid->currentIndex().column(), c.wantCol) << c.name;
        EXPECT_EQ(marks_.state(), c.wantState) << c.name;
        EXPECT_EQ(editorOpen(), c.wantEditor) << c.name;
        EXPECT_TRUE(window.isAncestorOf(QApplication::focusWidget()))
            << c.name << ": the keyboard left the grid's window";
        EXPECT_EQ(marks_.fieldByName(QStringLiteral("p35"))->text(), QString::fromUtf8(c.wantValue))
            << c.name;
        EXPECT_EQ(stored(c.row), QString::fromUtf8(c.wantStored)) << c.name;

        // Back to the three rows as they were, the keyboard in the grid.
        if (editorOpen())
            press(Qt::Key_Escape);
        marks_.cancel();
        conn_.execute(QStringLiteral("update mark set p35 = 'x'"));
        DB_STEP(marks_.refresh());
    }
}

// Without the grid's own Tab handling the keyboard goes on to the next widget, and back.
TEST_F(GridKeys, TabLeavesTheGridWhenItDoesNotTakeTabs) {
    grid->setOptions(grid->Options() & ~TDBGridOptions(dgTabs));
    grid->setFocus(Qt::OtherFocusReason);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), after);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), before);
}
