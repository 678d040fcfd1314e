// The journal grid's commands as a person uses them: single-cell copy and paste, the restore
// chord, the comma rule, the two column rules and the row colours.
#include "support/KeyboardFixture.h"
#include "support/PaintedText.h"

#include <algorithm>
#include <map>

#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPointer>

namespace {

using testsupport::columnOf;
using GridCommands = testsupport::KeyboardFixture;

TEST_F(GridCommands, CopiedCellPastesItsKeyIntoAnotherRow) {
    const int source = rowId(0), target = rowId(2);
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET id_teacher = 4 WHERE id_mark_mag = %1").arg(source),
         QStringLiteral("UPDATE mark_mag SET id_teacher = NULL WHERE id_mark_mag = %1")
             .arg(target)});
    reloadJournal();
    ASSERT_EQ(rowId(0), source);

    clickCell(0, QStringLiteral("teacher"));
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier); // other modifiers may be held
    clickCell(2, QStringLiteral("teacher"));
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_Up);
    EXPECT_EQ(stored(QStringLiteral("id_teacher"), target).toInt(), 4) << "the key is pasted";

    // A read-only column still writes its key field.
    clickCell(0, QStringLiteral("student"));
    const QString firstStudent = journal().fieldByName(QStringLiteral("id_student"))->text();
    key(Qt::Key_C, Qt::ControlModifier);
    clickCell(1, QStringLiteral("student"));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("id_student"))->text(), firstStudent);
    key(Qt::Key_Escape);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// Ctrl with Shift is still the single-cell paste of the copied key, whatever text the
// clipboard holds; the column paste has a chord of its own.
TEST_F(GridCommands, CtrlShiftVPastesTheCopiedCellNotTheClipboardsColumn) {
    const int source = rowId(0), target = rowId(1), below = rowId(2);
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET id_teacher = 4 WHERE id_mark_mag = %1").arg(source),
         QStringLiteral("UPDATE mark_mag SET id_teacher = NULL WHERE id_mark_mag <> %1")
             .arg(source)});
    reloadJournal();
    ASSERT_EQ(rowId(0), source);
    clickCell(0, QStringLiteral("teacher"));
    key(Qt::Key_C, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("Сергеев С.С.\nСергеев С.С.\n"));
    clickCell(1, QStringLiteral("teacher"));
    key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Up);
    EXPECT_EQ(stored(QStringLiteral("id_teacher"), target).toInt(), 4);
    EXPECT_TRUE(stored(QStringLiteral("id_teacher"), below).toString().isEmpty())
        << "no column pasted";
    EXPECT_TRUE(boxes.empty()) << "no question of a column paste";
}

TEST_F(GridCommands, InsideACellEditorCopyAndPasteAreTheGridsOwn) {
    const int target = rowId(1);
    clickCell(0, QStringLiteral("p35"));
    type("A-1");
    key(Qt::Key_Down); // posted
    clickCell(0, QStringLiteral("p35"));
    key(Qt::Key_C, Qt::ControlModifier);
    clickCell(1, QStringLiteral("p35"));
    type("zz");
    key(Qt::Key_V, Qt::ControlModifier);
    auto* editor = qobject_cast<QLineEdit*>(grid()->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("A-1")) << "the copied cell, not the editor's text";
    key(Qt::Key_Up);
    EXPECT_EQ(stored(QStringLiteral("p35"), target).toString(), QStringLiteral("A-1"));
}

// With nothing deleted for the selection, the restore answers with its notice box.
TEST_F(GridCommands, CtrlZAndDTogetherBringTheRestoreOthersDoNot) {
    const auto restores = [this] {
        return std::count_if(boxes.begin(), boxes.end(), [](const auto& b) {
            return b.text == QStringLiteral("Нет записей для восстановленя");
        });
    };
    clickCell(0, QStringLiteral("student"));
    struct Step {
        bool press;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        int restores;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Case cases[] = {
        {"Ctrl+Z+D",
         {{true, Qt::Key_Z, ctrl},
          {true, Qt::Key_D, ctrl},
          {false, Qt::Key_D, ctrl},
          {false, Qt::Key_Z, ctrl}},
         1},
        {"Ctrl+D+Z",
         {{true, Qt::Key_D, ctrl}, {true, Qt::Key_Z, ctrl}, {false, Qt::Key_Z, ctrl}},
         1},
        {"Ctrl+Shift+Z+D",
         {{true, Qt::Key_Z, ctrlShift},
          {true, Qt::Key_D, ctrlShift},
          {false, Qt::Key_D, ctrlShift}},
         0},
        {"Z released before D",
         {{true, Qt::Key_Z, ctrl},
          {false, Qt::Key_Z, ctrl},
          {true, Qt::Key_D, ctrl},
          {false, Qt::Key_D, ctrl}},
         0},
        {"Z+D without Ctrl",
         {{true, Qt::Key_Z, {}}, {true, Qt::Key_D, {}}, {false, Qt::Key_D, {}}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        for (const Step& s : c.steps) {
            QWindow* target = keyWindow();
            ASSERT_NE(target, nullptr);
            if (s.press)
                QTest::keyPress(target, s.key, s.mods);
            else
                QTest::keyRelease(target, s.key, s.mods);
        }
        EXPECT_EQ(restores(), c.restores);
    }
}

TEST_F(GridCommands, CommaIsAPointAndFormTwoNumbersTheSheetByTheRow) {
    const int target = rowId(0);
    clickCell(0, QStringLiteral("p35"));
    type("4,5");
    key(Qt::Key_Down);
    EXPECT_EQ(stored(QStringLiteral("p35"), target).toString(), QStringLiteral("4.5"));

    // The statement form "Направление" (key 2) numbers the sheet by the row's own key.
    struct Case {
        const char* form;
        QString sheet;
    };
    const Case cases[] = {{"Направление", QString::number(target)}, {"Ведомость", QString()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        asOwner(
            {QStringLiteral("UPDATE mark_mag SET p35 = NULL WHERE id_mark_mag = %1").arg(target)});
        reloadJournal();
        clickCell(0, QStringLiteral("f_est"));
        QPointer<QComboBox> box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
        ASSERT_TRUE(box);
        // A click on a cell that shows its drop-down already opens the list, as any does.
        if (!box->view()->isVisible())
            key(Qt::Key_F4);
        ASSERT_TRUE(box->view()->isVisible());
        key(Qt::Key_Home);
        for (int i = 0; i < 3 && box &&
                        box->view()->currentIndex().data().toString() != QString::fromUtf8(c.form);
             ++i)
            key(Qt::Key_Down);
        ASSERT_TRUE(box);
        key(Qt::Key_Return);
        key(Qt::Key_Down);
        EXPECT_EQ(stored(QStringLiteral("p35"), target).toString(), c.sheet);
    }
    EXPECT_TRUE(boxes.empty());
}

// The colour painted in the middle of a cell's left part, away from its text.
QColor cellColour(TKvDBGridEh* grid, int row, int column) {
    const QImage shot = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    const QPoint at(cell.right() - 3, cell.top() + 2);
    return QColor(shot.pixel(at * shot.devicePixelRatio()));
}

TEST_F(GridCommands, AdmissionAndMarkTwentyFiveColourTheirRows) {
    const int pink = rowId(1), blue = rowId(2);
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 25 WHERE id_mark_mag = %1")
                 .arg(blue)});
    reloadJournal();
    ASSERT_EQ(rowId(1), pink);

    clickCell(1, QStringLiteral("primech"));
    key(Qt::Key_F4);
    auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
    ASSERT_NE(box, nullptr);
    key(Qt::Key_End); // "н/д"
    key(Qt::Key_Return);
    key(Qt::Key_Up);
    EXPECT_EQ(stored(QStringLiteral("primech"), pink).toString(), QStringLiteral("н/д"));
    EXPECT_EQ(stored(QStringLiteral("dopusk_izm"), pink).toInt(), 1);

    const int admission = columnOf(grid(), QStringLiteral("primech"));
    const int student = columnOf(grid(), QStringLiteral("student"));
    EXPECT_EQ(cellColour(grid(), 1, admission), QColor(255, 221, 221));
    EXPECT_NE(cellColour(grid(), 1, student), QColor(255, 221, 221)) << "only the admission cell";
    EXPECT_EQ(cellColour(grid(), 2, student), QColor(206, 239, 255));
    EXPECT_EQ(cellColour(grid(), 2, admission), QColor(206, 239, 255)) << "mark 25 wins";
}

// A mark's name longer than its cell ends with an ellipsis, so the cut shows; a short one is
// drawn whole.
TEST_F(GridCommands, LongMarkNamesEndWithAnEllipsisShortOnesWhole) {
    const QString longName = QStringLiteral("неудовлетворительно");
    asOwner(
        {QStringLiteral("UPDATE estimation SET p31 = '%1' WHERE id_estimation = 5").arg(longName),
         QStringLiteral("UPDATE mark_mag SET id_estimation = 5 WHERE id_mark_mag = %1")
             .arg(rowId(0)),
         QStringLiteral("UPDATE mark_mag SET id_estimation = 8 WHERE id_mark_mag = %1")
             .arg(rowId(1))});
    // The list of marks as the next choice of a form of control reads it.
    dataModule->ADOQ_estimation.close();
    dataModule->ADOQ_estimation.open();
    reloadJournal();
    clickCell(2, QStringLiteral("student"));
    const int mark = columnOf(grid(), QStringLiteral("estimation"));
    const int width = grid()->columnWidth(mark);
    const QFontMetrics metrics(grid()->font());
    ASSERT_GT(metrics.horizontalAdvance(longName), width) << "the name must not fit";
    // What stays on the screen: the last text painted in each row's cell.
    std::map<int, QString> shown;
    for (const testsupport::PaintedItem& item : testsupport::paintedTexts(grid()->viewport())) {
        const int left = grid()->columnViewportPosition(mark);
        if (item.at.x() >= left && item.at.x() < left + width)
            shown[grid()->rowAt(int(item.at.y()) - 2)] = item.text;
    }
    QStringList marks;
    for (const auto& [row, text] : shown) {
        marks << text;
        EXPECT_LE(metrics.horizontalAdvance(text), width) << text.toStdString();
    }
    ASSERT_EQ(marks.size(), 2) << marks.join(u'|').toStdString();
    EXPECT_TRUE(marks[0].endsWith(QChar(0x2026))) << marks[0].toStdString();
    EXPECT_TRUE(longName.startsWith(marks[0].chopped(1))) << marks[0].toStdString();
    EXPECT_EQ(marks[1], QStringLiteral("неуд."));
}

} // namespace
