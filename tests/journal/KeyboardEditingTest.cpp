// Editing the journal as a person does: clicks on cells, keys sent to the window and reaching
// whatever widget has the focus, the value then left by Tab, Enter, Down or a click.
#include "support/KeyboardFixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QWindow>

namespace {

using testsupport::columnOf;
using testsupport::MainWindowFixture;

using KeyboardEditing = testsupport::KeyboardFixture;
using testsupport::isInside;

// How a value is put into the first row.
enum class Entry { TypedNumber, PickedMark, TypedDate };
// How the row is left.
enum class Leave { Tab, Enter, Down, ClickOtherRow };

TEST_F(KeyboardEditing, ValueEnteredAndLeftIsStoredAndFocusStaysInTheGrid) {
    struct Case {
        const char* name;
        Entry entry;
        Leave leave;
    };
    const Case cases[] = {
        {"number, Tab", Entry::TypedNumber, Leave::Tab},
        {"number, Enter", Entry::TypedNumber, Leave::Enter},
        {"number, Down", Entry::TypedNumber, Leave::Down},
        {"number, click", Entry::TypedNumber, Leave::ClickOtherRow},
        {"mark, Tab", Entry::PickedMark, Leave::Tab},
        {"mark, Enter", Entry::PickedMark, Leave::Enter},
        {"mark, Down", Entry::PickedMark, Leave::Down},
        {"mark, click", Entry::PickedMark, Leave::ClickOtherRow},
        {"date, Tab", Entry::TypedDate, Leave::Tab},
        {"date, Enter", Entry::TypedDate, Leave::Enter},
        {"date, Down", Entry::TypedDate, Leave::Down},
        {"date, click", Entry::TypedDate, Leave::ClickOtherRow},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++n;
        const int target = rowId(0);
        QString field;
        switch (c.entry) {
        case Entry::TypedNumber:
            field = QStringLiteral("p35");
            clickCell(0, field);
            type(QByteArray::number(100 + n).constData());
            break;
        case Entry::PickedMark: {
            field = QStringLiteral("estimation");
            clickCell(0, field);
            // Each case picks the other mark, so every case is a change.
            const QString wanted = n % 2 ? QStringLiteral("отлично") : QStringLiteral("удовл.");
            key(Qt::Key_F4);
            auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
            ASSERT_NE(box, nullptr) << "the mark cell has no drop-down";
            ASSERT_TRUE(QTest::qWaitFor([&] { return box->view()->isVisible(); }, 2000));
            key(Qt::Key_Home);
            for (int i = 0; i < 5 && box->view()->currentIndex().data().toString() != wanted; ++i)
                key(Qt::Key_Down);
            key(Qt::Key_Return);
            ASSERT_EQ(box->currentText(), wanted);
            break;
        }
        case Entry::TypedDate:
            field = QStringLiteral("p36");
            clickCell(0, field);
            type(QStringLiteral("%1.04.2024").arg(n, 2, 10, QChar('0')).toLatin1().constData());
            break;
        }
        switch (c.leave) {
        case Leave::Tab:
            key(Qt::Key_Tab);
            // A row is posted when it is left.
            key(Qt::Key_Down);
            break;
        case Leave::Enter:
            key(Qt::Key_Return);
            key(Qt::Key_Down);
            break;
        case Leave::Down:
            key(Qt::Key_Down);
            break;
        case Leave::ClickOtherRow:
            clickCell(2, QStringLiteral("student"));
            break;
        }
        const QVariant stored = MainWindowFixture::stored(
            field == QStringLiteral("estimation") ? QStringLiteral("id_estimation") : field,
            target);
        switch (c.entry) {
        case Entry::TypedNumber:
            EXPECT_EQ(stored.toString(), QString::number(100 + n));
            break;
        case Entry::PickedMark:
            EXPECT_EQ(stored.toInt(), n % 2 ? 5 : 3);
            break;
        case Entry::TypedDate:
            EXPECT_EQ(stored.toDateTime(), QDateTime(QDate(2024, 4, n), QTime(0, 0)));
            break;
        }
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
        EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes.front().text.toStdString());
        EXPECT_TRUE(isInside(QApplication::focusWidget(), grid()))
            << "focus went to "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : "nothing");
        EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
        boxes.clear();
        warnings.clear();
        // Back to the first row for the next case.
        clickCell(0, QStringLiteral("student"));
    }
}

TEST_F(KeyboardEditing, TabFromACellWithoutAnEditorMovesWithinTheGrid) {
    clickCell(0, QStringLiteral("student"));
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid()->currentColumn()->FieldName, QStringLiteral("estimation"));
    key(Qt::Key_Backtab);
    EXPECT_EQ(grid()->currentColumn()->FieldName, QStringLiteral("teacher"));
    EXPECT_TRUE(isInside(QApplication::focusWidget(), grid()));
}

// With no editor open (closed by Escape), the key typed into the cell opens one and is the
// first character of the change.
TEST_F(KeyboardEditing, KeyThatOpensTheEditorIsPartOfTheChange) {
    const int target = rowId(0);
    clickCell(0, QStringLiteral("p35"));
    key(Qt::Key_Escape);
    ASSERT_EQ(grid()->InplaceEditor(), nullptr);
    type("58");
    key(Qt::Key_Down);
    EXPECT_EQ(stored(QStringLiteral("p35"), target).toString(), QStringLiteral("58"));
    EXPECT_TRUE(boxes.empty());
}

// Escape first closes the open editor, then drops the row's change; nothing is stored.
TEST_F(KeyboardEditing, EscapeTwiceDropsTheRowsChange) {
    const int target = rowId(0);
    const QVariant before = stored(QStringLiteral("p35"), target);
    clickCell(0, QStringLiteral("p35"));
    type("93");
    key(Qt::Key_Tab); // the value is in the row, the row not yet stored
    ASSERT_EQ(journal().state(), db::DataSetState::Edit);
    type("4");
    key(Qt::Key_Escape);
    EXPECT_EQ(journal().state(), db::DataSetState::Edit) << "the first Escape closes the editor";
    key(Qt::Key_Escape);
    EXPECT_EQ(journal().state(), db::DataSetState::Browse);
    EXPECT_EQ(journal().fieldByName(QStringLiteral("p35"))->value(), before);
    key(Qt::Key_Down);
    EXPECT_EQ(stored(QStringLiteral("p35"), target), before);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(KeyboardEditing, EditingOneCellResetsNothing) {
    QSignalSpy resets(grid()->model(), &QAbstractItemModel::modelReset);
    const int target = rowId(0);
    clickCell(0, QStringLiteral("p35"));
    type("77");
    key(Qt::Key_Down);
    EXPECT_EQ(stored(QStringLiteral("p35"), target).toString(), QStringLiteral("77"));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

TEST_F(KeyboardEditing, PartialOrImpossibleDateIsRefusedAndTheOldOneKept) {
    const int target = rowId(0);
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET p36 = '2024-03-01 00:00:00' WHERE id_mark_mag = %1")
             .arg(target)});
    clickCell(0, QStringLiteral("student"));
    window->ComboBox1->setCurrentIndex(1);
    window->ComboBox1->setCurrentIndex(2); // reloads the journal with the date in it
    for (const char* typed : {"05.04.20", "31.02.2024"}) {
        SCOPED_TRACE(typed);
        boxes.clear();
        clickCell(0, QStringLiteral("p36"));
        type(typed);
        key(Qt::Key_Tab);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes.front().text.startsWith(QStringLiteral("Неверная дата")))
            << boxes.front().text.toStdString();
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        key(Qt::Key_Down);
        EXPECT_EQ(stored(QStringLiteral("p36"), target).toDateTime(),
                  QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
    }
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// Closing the window right after a change, its editor still open, keeps the change.
TEST_F(KeyboardEditing, ClosingTheWindowPostsWhatTheCellHolds) {
    const int target = rowId(0);
    clickCell(0, QStringLiteral("estimation"));
    key(Qt::Key_F4);
    auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
    ASSERT_NE(box, nullptr);
    key(Qt::Key_Home);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    ASSERT_EQ(box->currentText(), QStringLiteral("отлично"));
    window->close();
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), target).toInt(), 5);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// A mark is typed as people write it in a mark book: a digit, or the first letter of its name.
// Each case starts from a known mark and leaves the row with Down.
TEST_F(KeyboardEditing, MarksAreTypedByDigitOrByFirstLetter) {
    const struct {
        const char* typed;
        int from;
        int stored; // 0: the mark stays as it was
    } cases[] = {
        {"5", 3, 5}, {"3", 5, 3}, {"2", 5, 8}, {"4", 5, 0}, {"7", 3, 0}, {"о", 3, 5}, {"у", 5, 3},
    };
    const QString mark = QStringLiteral("estimation");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const int target = rowId(0);
        asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = %1 WHERE id_mark_mag = %2")
                     .arg(c.from)
                     .arg(target)});
        reloadJournal();
        clickCell(1, QStringLiteral("student"));
        clickCell(0, mark);
        if (QApplication::activePopupWidget() != nullptr)
            key(Qt::Key_Escape); // the click left the list open; a person closes it first
        const QString typed = QString::fromUtf8(c.typed);
        QWindow* keys = keyWindow();
        ASSERT_NE(keys, nullptr);
        const auto code = Qt::Key(typed[0].toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, keys, code, typed, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, keys, code, typed, Qt::NoModifier);
        if (QApplication::activePopupWidget() != nullptr)
            key(Qt::Key_Return);
        if (auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor())) {
            EXPECT_EQ(box->currentData().toInt(), c.stored ? c.stored : c.from)
                << "the cell shows the mark chosen";
        }
        key(Qt::Key_Down);
        EXPECT_EQ(stored(QStringLiteral("id_estimation"), target).toInt(),
                  c.stored ? c.stored : c.from);
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
    }
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

} // namespace
