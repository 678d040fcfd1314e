// An editor or a drop-down that lived earlier in the session must leave nothing behind that a
// later reopen of the journal, and the keys after it, could reach.
#include "support/KeyboardFixture.h"
#include "support/RestoreDriving.h"

#include "journal/Unit3.h"
#include "journal/Unit6.h"
#include "journal/Unit7.h"
#include "platform/MessageBoxes.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>

namespace {

class EditorLifetime : public testsupport::KeyboardFixture {
protected:
    // Keys with a text of any alphabet, to whatever has the keyboard.
    static void typeAnywhere(const QString& text) {
        for (QChar c : text) {
            QWindow* target = keyWindow();
            ASSERT_NE(target, nullptr) << "no window has the keyboard";
            const auto code = Qt::Key(c.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Press, target, code, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, code, QString(c), Qt::NoModifier);
        }
    }

    // A mark picked in the drop-down by typing, then the whole change cancelled.
    void pickMarkAndCancel(int row) {
        clickCell(row, QStringLiteral("estimation"));
        key(Qt::Key_Down, Qt::AltModifier);
        auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
        ASSERT_NE(box, nullptr) << "the mark cell has no drop-down";
        ASSERT_TRUE(QTest::qWaitFor([&] { return box->view()->isVisible(); }, 2000));
        typeAnywhere(QStringLiteral("неу"));
        key(Qt::Key_Return);
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        ASSERT_EQ(journal().state(), db::DataSetState::Browse);
    }

    void deleteRows(std::initializer_list<int> rows) {
        selectRows(rows);
        onModal<TForm1>([](TForm1* form) { QTest::mouseClick(form->BitBtn1, Qt::LeftButton); });
        key(Qt::Key_Delete, Qt::ControlModifier);
        backToMainWindow();
    }

    void restoreChord() {
        QWindow* target = keyWindow();
        ASSERT_NE(target, nullptr);
        testsupport::pressRestoreChord(target);
    }

    static void tick(TForm5* form, int row) { testsupport::tickRestoreRow(form, row); }

    int count(const QString& sql) { return admin->exec(sql).rows.front().at(0).toInt(); }
};

// A cancelled pick in the mark's drop-down, then deleting rows and restoring some of them:
// the journal is closed and opened again under the keyboard's feet, and the keys that follow
// must reach only living widgets.
TEST_F(EditorLifetime, RestoreAfterACancelledPickKeepsTheWindowWorking) {
    pickMarkAndCancel(0);
    deleteRows({1, 2});
    ASSERT_EQ(journal().recordCount(), 1);
    onModal<TForm5>([&](TForm5* form) {
        tick(form, 0);
        tick(form, 1);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    });
    restoreChord();
    backToMainWindow();
    EXPECT_EQ(journal().recordCount(), 3);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM DEL_mark_mag")), 0);

    // The keyboard goes on working in the reopened journal: an edit typed and stored.
    clickCell(0, QStringLiteral("p35"));
    type("77");
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    key(Qt::Key_Escape);
    key(Qt::Key_Escape);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM mark_mag WHERE p35 = '77'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM mark_mag WHERE id_estimation = 8")), 0)
        << "the cancelled pick was never stored";
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
}

// Commands that rewrite or reload the journal, each given while a cell's editor has the
// keyboard, as it has whenever the grid has: the editor goes, the command's work is stored,
// and the keys that follow reach a new editor.
TEST_F(EditorLifetime, CommandsGivenFromAnOpenEditorLeaveTheGridWorking) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> command;
        std::function<void()> check;
    };
    platform::ScopedMessageBoxScript yes([&](const platform::MessageBoxRequest& r) {
        boxes.push_back(r);
        return r.icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
    });
    const QString p35 = QStringLiteral("p35");
    const Case cases[] = {
        {"Ctrl+Z+D", [&] { deleteRows({0}); },
         [&] {
             onModal<TForm5>([&](TForm5* form) {
                 tick(form, 0);
                 QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
             });
             restoreChord();
         },
         [&] { EXPECT_EQ(journal().recordCount(), 3); }},
        {"Alt+V", [&] { QGuiApplication::clipboard()->setText(QStringLiteral("41\n42\n")); },
         [&] { key(Qt::Key_V, Qt::AltModifier); },
         [&] {
             EXPECT_EQ(stored(p35, rowId(0)).toString(), QStringLiteral("41"));
             EXPECT_EQ(stored(p35, rowId(1)).toString(), QStringLiteral("42"));
         }},
        {"Alt+Backspace",
         [&] {
             clickCell(1, p35);
             type("51");
             key(Qt::Key_Up);
             ASSERT_EQ(stored(p35, rowId(1)).toString(), QStringLiteral("51"));
         },
         [&] { key(Qt::Key_Backspace, Qt::AltModifier); },
         [&] { EXPECT_NE(stored(p35, rowId(1)).toString(), QStringLiteral("51")); }},
        {"bulk date button",
         [&] {
             admin->exec(QStringLiteral("UPDATE mark_mag SET id_f_est = 1, p36 = NULL"));
             reloadJournal();
         },
         [&] { QTest::mouseClick(window->SpeedButton1, Qt::LeftButton); },
         [&] {
             EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM mark_mag WHERE p36 IS NULL")), 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reloadJournal();
        ASSERT_EQ(journal().recordCount(), 3);
        c.prepare();
        backToMainWindow();
        clickCell(0, p35);
        QPointer<QWidget> editor = grid()->InplaceEditor();
        ASSERT_NE(editor, nullptr) << "the grid shows an editor in its current cell";
        ASSERT_TRUE(testsupport::isInside(QApplication::focusWidget(), editor));
        c.command();
        backToMainWindow();
        c.check();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull()) << "the editor the command was typed in is gone";

        clickCell(1, QStringLiteral("student"));
        clickCell(1, p35);
        type("88");
        key(Qt::Key_Down);
        EXPECT_EQ(stored(p35, rowId(1)).toString(), QStringLiteral("88"));
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
    }
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

} // namespace
