// Deleted journal rows brought back through the Ctrl+Z+D chord and the restore window, with
// ticks read back from the server.
#include "support/KeyboardFixture.h"
#include "support/RestoreDriving.h"

#include "journal/Unit3.h"
#include "journal/Unit6.h"

#include <QComboBox>
#include <QScreen>

namespace {

using testsupport::columnOf;

class Restore : public testsupport::KeyboardFixture {
protected:
    // Deletes journal rows as a person does: indicators, Ctrl+Delete, "Да".
    void deleteRows(std::initializer_list<int> rows) {
        clickCell(*rows.begin(), QStringLiteral("student"));
        selectRows(rows);
        onModal<TForm1>([](TForm1* form) { QTest::mouseClick(form->BitBtn1, Qt::LeftButton); });
        key(Qt::Key_Delete, Qt::ControlModifier);
        backToMainWindow();
    }

    void chord() {
        backToMainWindow();
        clickCell(0, QStringLiteral("student"));
        QWindow* target = keyWindow();
        ASSERT_NE(target, nullptr);
        testsupport::pressRestoreChord(target);
    }

    static void tick(TForm5* form, int row) { testsupport::tickRestoreRow(form, row); }

    static QStringList listed(TForm5*) {
        QStringList rows;
        db::DataSet& list = DM_TAZ_2->ADOQ_Buffer;
        for (int i = 0; i < list.visibleRowCount(); ++i) {
            db::DisplayRowScope row(list, i);
            rows << list.fieldByName(QStringLiteral("student"))->text() + u'/' +
                        list.fieldByName(QStringLiteral("exam"))->text() + u'/' +
                        list.fieldByName(QStringLiteral("Check_ch"))->text();
        }
        return rows;
    }

    int deletedKept(const char* condition = "1=1") {
        return admin
            ->exec(QStringLiteral("SELECT COUNT(*) FROM DEL_mark_mag WHERE ") +
                   QString::fromLatin1(condition))
            .rows.front()
            .at(0)
            .toInt();
    }

    static bool restoreWindowExists() {
        const auto widgets = QApplication::topLevelWidgets();
        return std::any_of(widgets.begin(), widgets.end(),
                           [](QWidget* w) { return qobject_cast<TForm5*>(w) != nullptr; });
    }

    void expectListsClosed() {
        EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
        EXPECT_FALSE(dataModule->ADOQ_Buffer.active());
        EXPECT_FALSE(dataModule->ADOQ_del_discipline.active());
        EXPECT_FALSE(restoreWindowExists());
    }
};

TEST_F(Restore, TickedRowsComeBackThroughOKAndTheJournalIsScannedAgain) {
    deleteRows({0, 1});
    ASSERT_EQ(journal().recordCount(), 1);
    ASSERT_EQ(deletedKept(), 2);

    QString caption;
    QStringList before, after;
    onModal<TForm5>([&](TForm5* form) {
        caption = form->windowTitle();
        before = listed(form);
        before.sort();
        tick(form, 0);
        tick(form, 1); // leaving row 0 saved its tick
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        after = listed(form);
    });
    chord();

    EXPECT_EQ(caption, QStringLiteral("Восстановление"));
    EXPECT_EQ(before, (QStringList{QStringLiteral("Андреев Андрей/Экзамен/False"),
                                   QStringLiteral("Петров Пётр/Экзамен/False")}))
        << before.join(u'|').toStdString();
    EXPECT_TRUE(after.isEmpty()) << "restored rows leave the list";
    EXPECT_EQ(journalStudents(),
              (QStringList{QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр"),
                           QStringLiteral("Яковлев Яков")}));
    EXPECT_TRUE(window->F2_Kv_DM_TAZ_2->Active()) << "the journal was opened and scanned again";
    EXPECT_EQ(deletedKept(), 0);
    expectListsClosed();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
}

// Every column but "Студент" holds its title and its values whole; the window stays on the
// screen.
TEST_F(Restore, ColumnsHoldTheirTitlesAndValuesTheWindowStaysOnTheScreen) {
    deleteRows({0});
    QStringList cut;
    QRect frame, available;
    onModal<TForm5>([&](TForm5* form) {
        TDBGridEh* g = form->DBGridEh2;
        frame = form->frameGeometry();
        available = form->screen()->availableGeometry();
        const QFontMetrics titles(g->TitleFont().font), cells(g->Font().font);
        db::DataSet& list = DM_TAZ_2->ADOQ_Buffer;
        for (int i = 0; i < g->columnCount(); ++i) {
            const TColumnEh* c = g->Column(i);
            if (c->FieldName == QStringLiteral("student"))
                continue;
            const int width = g->columnWidth(i);
            const QString value =
                c->Checkboxes ? QString() : list.fieldByName(c->FieldName)->text();
            if (titles.horizontalAdvance(c->TitleCaption) + 4 > width ||
                cells.horizontalAdvance(value) + 4 > width)
                cut << c->TitleCaption + u'=' + value + u'/' + QString::number(width);
        }
        // The widths asked for, never less.
        EXPECT_GE(g->columnWidth(columnOf(g, QStringLiteral("teacher"))), 161);
        EXPECT_GE(g->columnWidth(columnOf(g, QStringLiteral("estimation"))), 51);
        form->close();
    });
    chord();
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u'|').toStdString();
    EXPECT_TRUE(available.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " in "
        << available.width() << "x" << available.height();
    expectListsClosed();
}

// A server that refuses the restore: OK shows its error and still closes the window, as OK
// does; the tick stays stored on the server for a later OK.
TEST_F(Restore, OKClosesTheWindowAfterAServerErrorAndTheTickStays) {
    deleteRows({1});
    asOwner({QStringLiteral("CREATE TRIGGER refuse_restore BEFORE INSERT ON mark_mag "
                            "BEGIN SELECT RAISE(ABORT, 'restore refused'); END")});
    bool stillOpen = true;
    onModal<TForm5>([&](TForm5* form) {
        tick(form, 0);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        stillOpen = form->isVisible();
        if (stillOpen)
            form->close();
    });
    chord();
    QApplication::processEvents();
    EXPECT_FALSE(stillOpen) << "OK ends the window";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("restore refused")))
        << boxes[0].text.toStdString();
    EXPECT_EQ(deletedKept("Check_ch = 1"), 1) << "the tick is on the server";
    EXPECT_EQ(journal().recordCount(), 2);
    expectListsClosed();
}

TEST_F(Restore, NothingDeletedGivesTheNoticeAndNoWindow) {
    chord();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Нет записей для восстановленя"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Уведомление"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
    EXPECT_EQ(boxes[0].owner, nullptr);
    expectListsClosed();
}

TEST_F(Restore, TickLeftByTheCloseBoxStaysAndALaterOKRestoresIt) {
    deleteRows({2});
    onModal<TForm5>([&](TForm5* form) {
        tick(form, 0);
        form->close(); // the row is not left: the flow saves the tick
    });
    chord();
    EXPECT_EQ(deletedKept("Check_ch = 1"), 1) << "the tick is on the server";
    EXPECT_EQ(journal().recordCount(), 2) << "nothing restored without OK";
    expectListsClosed();

    QStringList shown;
    onModal<TForm5>([&](TForm5* form) {
        shown = listed(form);
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton); // nothing ticked now
    });
    chord();
    EXPECT_EQ(shown, QStringList{QStringLiteral("Яковлев Яков/Экзамен/True")});
    EXPECT_EQ(journal().recordCount(), 3);
    EXPECT_EQ(deletedKept(), 0);
    expectListsClosed();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
}

TEST_F(Restore, AfterAClickOnTheDisciplineBoxTheListCannotNameTheFormOfControl) {
    deleteRows({0});
    // The click leaves one row per discipline in the list, without the form of control.
    QTest::mouseClick(window->DBLookupComboBox5, Qt::LeftButton);
    key(Qt::Key_Escape);
    backToMainWindow();
    chord();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("id_examination")))
        << boxes[0].text.toStdString();
    expectListsClosed();
    EXPECT_EQ(deletedKept(), 1);
}

} // namespace
