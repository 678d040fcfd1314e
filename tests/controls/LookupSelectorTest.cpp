// The lookup drop-down and list box: a key or none, text from the list, the list's current
// row following the key, and a click handler on every user choice and never on the program's.
#include "support/CaughtErrors.h"
#include "support/JournalDb.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"

#include <QAbstractItemView>
#include <QTest>

using testsupport::JournalDb;

namespace {

struct Selectors : JournalDb {
    void SetUp() override {
        JournalDb::SetUp();
        box.setListSource(&teacherSource_);
        box.setFields(QStringLiteral("id_teacher"), QStringLiteral("t_fio"));
        box.OnClick = [this](QObject*) {
            ++clicks;
            valueInHandler = box.KeyValue();
            listRowInHandler = teachers_.fieldByName(QStringLiteral("id_teacher"))->asInteger();
        };
    }
    int listRow() { return teachers_.fieldByName(QStringLiteral("id_teacher"))->asInteger(); }

    TDBLookupComboBox box;
    int clicks = 0;
    QVariant valueInHandler;
    int listRowInHandler = 0;
};

} // namespace

TEST_F(Selectors, TextIsTheListRowsTextAndEmptyWithoutValueRowOrOpenList) {
    DB_STEP(teachers_.open());
    EXPECT_FALSE(box.KeyValue().isValid());
    EXPECT_EQ(box.Text(), QString());
    EXPECT_EQ(box.currentText(), QString());

    box.setKeyValue(2);
    EXPECT_EQ(box.Text(), QStringLiteral("Петров П.П."));
    EXPECT_EQ(box.currentText(), QStringLiteral("Петров П.П."));

    box.setKeyValue(9); // no row carries it: no text, the value stays
    EXPECT_EQ(box.Text(), QString());
    EXPECT_EQ(box.currentText(), QString());
    EXPECT_EQ(box.KeyValue().toInt(), 9);

    box.setKeyValue(2);
    teachers_.close();
    EXPECT_EQ(box.Text(), QString());
    EXPECT_EQ(box.KeyValue().toInt(), 2);
    DB_STEP(teachers_.open());
    EXPECT_EQ(box.Text(), QStringLiteral("Петров П.П."));
}

TEST_F(Selectors, ValueSetByTheProgramMovesTheListAndRunsNoHandler) {
    DB_STEP(teachers_.open());
    box.setKeyValue(3);
    EXPECT_EQ(listRow(), 3);
    // None (or a key not in the list) leaves an open list where it stands.
    box.setKeyValue(QVariant());
    EXPECT_EQ(listRow(), 3);
    box.setKeyValue(7);
    EXPECT_EQ(listRow(), 3);
    EXPECT_EQ(clicks, 0);
}

TEST_F(Selectors, OpeningTheListStandsOnTheValuesRowOrElseOnTheFirst) {
    box.setKeyValue(2);
    DB_STEP(teachers_.open());
    EXPECT_EQ(listRow(), 2);
    teachers_.close();
    box.setKeyValue(8);
    DB_STEP(teachers_.open());
    EXPECT_EQ(listRow(), 1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(Selectors, ChoosingInTheDropDownSetsValueAndListRowThenRunsTheHandlerEveryTime) {
    DB_STEP(teachers_.open());
    show(box);
    for (int round = 1; round <= 2; ++round) {
        box.showPopup();
        QAbstractItemView* view = box.view();
        ASSERT_TRUE(view->isVisible());
        const QPoint at = view->visualRect(view->model()->index(2, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        EXPECT_FALSE(view->isVisible());
        EXPECT_EQ(clicks, round); // the same entry again runs the handler again
        EXPECT_EQ(valueInHandler.toInt(), 3);
        EXPECT_EQ(listRowInHandler, 3);
        EXPECT_EQ(box.Text(), QStringLiteral("Сидоров С.С."));
    }
}

// Under a window system the release of the click that opened the list reaches the list,
// at the entry that opened under the pointer; it must not choose that entry.
TEST_F(Selectors, AClickOpensTheListAndLeavesItOpenUntilAnEntryIsChosen) {
    DB_STEP(teachers_.open());
    box.setKeyValue(2);
    show(box);
    QTest::mousePress(&box, Qt::LeftButton, {}, box.rect().center());
    QAbstractItemView* view = box.view();
    ASSERT_TRUE(view->isVisible());
    const QPoint current = view->visualRect(view->currentIndex()).center();
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, current);
    EXPECT_TRUE(view->isVisible()) << "the opening click chose an entry";
    EXPECT_EQ(clicks, 0);

    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(box.KeyValue().toInt(), 3);

    box.showPopup();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(clicks, 1) << "cancelling chooses nothing";
    EXPECT_EQ(box.KeyValue().toInt(), 3);
}

TEST_F(Selectors, ArrowKeysOnTheClosedBoxChooseFromTheListAsTheKeyHandlerLeftIt) {
    DB_STEP(teachers_.open());
    show(box);
    QTest::keyClick(&box, Qt::Key_Down); // no value: the first row
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(valueInHandler.toInt(), 1);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(valueInHandler.toInt(), 2);
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_Up); // already first: chosen again
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(valueInHandler.toInt(), 1);

    // A key handler that re-queries the list: the move happens in the refreshed rows.
    box.OnKeyDown = [this](QObject*, quint16&, TShiftState) {
        teachers_.close();
        teachers_.setSql(QStringLiteral("select * from teacher where id_teacher > 1"));
        teachers_.open();
    };
    QTest::keyClick(&box, Qt::Key_Down); // value 1 is gone: the first refreshed row
    EXPECT_EQ(valueInHandler.toInt(), 2);
    EXPECT_EQ(listRowInHandler, 2);
    EXPECT_EQ(box.count(), 2);
}

TEST_F(Selectors, MouseDownHandlerRunsBeforeTheDropDownOpens) {
    DB_STEP(teachers_.open());
    show(box);
    box.OnMouseDown = [this](QObject*, Qt::MouseButton, TShiftState, int, int) {
        teachers_.close();
        teachers_.setSql(QStringLiteral("select * from teacher where id_teacher = 3"));
        teachers_.open();
    };
    QTest::mousePress(&box, Qt::LeftButton);
    EXPECT_TRUE(box.view()->isVisible());
    EXPECT_EQ(box.view()->model()->rowCount(), 1);
    box.hidePopup();
    EXPECT_EQ(clicks, 0);
}

TEST_F(Selectors, ListBoxClickChoosesAndRunsTheHandlerProgramValueDoesNot) {
    TDBLookupListBox list;
    list.setListSource(&teacherSource_);
    list.setFields(QStringLiteral("id_teacher"), QStringLiteral("t_fio"));
    int listClicks = 0;
    QVariant seen;
    list.OnClick = [&](QObject*) {
        ++listClicks;
        seen = list.KeyValue();
    };
    DB_STEP(teachers_.open());
    show(list);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.currentRow(), -1);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(listClicks, 1);
    EXPECT_EQ(seen.toInt(), 2);
    EXPECT_EQ(teachers_.fieldByName(QStringLiteral("id_teacher"))->asInteger(), 2);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(listClicks, 2);

    list.setKeyValue(3);
    EXPECT_EQ(listClicks, 2);
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_EQ(list.Text(), QStringLiteral("Сидоров С.С."));
    EXPECT_EQ(teachers_.fieldByName(QStringLiteral("id_teacher"))->asInteger(), 3);

    // Detached from its list it shows nothing and keeps its value.
    list.setListSource(nullptr);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.Text(), QString());
    EXPECT_EQ(list.KeyValue().toInt(), 3);
}

TEST_F(Selectors, AnErrorOfTheClickHandlerReachesTheApplicationAfterTheChoice) {
    DB_STEP(teachers_.open());
    show(box);
    box.OnClick = [this](QObject*) {
        ++clicks;
        throw db::DatabaseError(QStringLiteral("server gone"));
    };
    testsupport::caughtErrors().clear();
    QTest::keyClick(&box, Qt::Key_Down);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(box.KeyValue().toInt(), 1);
    EXPECT_EQ(testsupport::caughtErrors(), QStringList{QStringLiteral("server gone")});
}
