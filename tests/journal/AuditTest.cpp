// Deleting journal rows through the warning window, the audit records of changes and
// deletions read back from the database, and the bulk hand-in date.
#include "support/BoxScript.h"
#include "support/KeyboardFixture.h"

#include "controls/DateTimePicker.h"
#include "history/log_u.h"
#include "journal/Unit3.h"
#include "platform/IPWatch.h"

#include <QHeaderView>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

using Audit = testsupport::KeyboardFixture;

struct LogRow {
    int rowId;
    QString descr, user, comp;
};

class AuditLog : public Audit {
protected:
    std::vector<LogRow> log() {
        std::vector<LogRow> rows;
        const db::Result r = admin->exec(
            QStringLiteral("SELECT row_id, descr, KEL_User, comp FROM KEL_LOG ORDER BY id_log"));
        for (const auto& row : r.rows)
            rows.push_back({row.at(0).toInt(), row.at(1).toString(), row.at(2).toString(),
                            row.at(3).toString()});
        return rows;
    }
    QString computer() { return window->CompName + u'\\' + window->IdIPWatch1->currentIP(); }

    // Answers the warning window, once it is up, with one of its buttons.
    void answerWarning(bool yes, QStringList* countLabel = nullptr) {
        onModal<TForm1>([=](TForm1* form) {
            if (countLabel)
                *countLabel << form->Count_Lbl->text() << form->StringGrid->Cells(3, 1)
                            << QString::number(form->StringGrid->RowCount())
                            << QString::number(form->StringGrid->ColWidths(6));
            QTest::mouseClick(yes ? form->BitBtn1 : form->BitBtn2, Qt::LeftButton);
        });
    }
};

TEST_F(AuditLog, ChangedFieldsAreLoggedInFieldOrderOnceStored) {
    const int target = rowId(0);
    clickCell(0, QStringLiteral("p36"));
    type("05.04.2024");
    clickCell(0, QStringLiteral("estimation")); // the same row: nothing is posted yet
    auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
    ASSERT_NE(box, nullptr);
    if (!box->view()->isVisible())
        key(Qt::Key_F4);
    key(Qt::Key_End); // "не изучает", key 25
    key(Qt::Key_Return);
    EXPECT_TRUE(log().empty()) << "nothing is logged before the row is stored";
    key(Qt::Key_Down);

    const std::vector<LogRow> rows = log();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].descr,
              QStringLiteral("Поле \"id_estimation\" изменило значение \"NULL\" на \"25\"."));
    EXPECT_EQ(rows[1].descr,
              QStringLiteral("Поле \"p36\" изменило значение \"NULL\" на \"05.04.2024\"."));
    for (const LogRow& r : rows) {
        EXPECT_EQ(r.rowId, target);
        EXPECT_EQ(r.user, QStringLiteral("ivanov"));
        EXPECT_EQ(r.comp, computer());
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AuditLog, LoginWithAnApostropheIsWrittenAsItIs) {
    window->UserLogin = QStringLiteral("o'neil");
    clickCell(0, QStringLiteral("p35"));
    type("9");
    key(Qt::Key_Down);
    const std::vector<LogRow> rows = log();
    ASSERT_EQ(rows.size(), 1u) << (boxes.empty() ? "" : boxes.front().text.toStdString());
    EXPECT_EQ(rows[0].user, QStringLiteral("o'neil"));
}

TEST_F(AuditLog, SelectedRowsGoOnlyAfterYesEachWithItsRecord) {
    const int a = rowId(0), b = rowId(1), c = rowId(2);
    clickCell(0, QStringLiteral("student"));
    selectRows({0, 1, 2});
    ASSERT_EQ(grid()->SelectedRows().Count(), 3);

    QStringList shown;
    answerWarning(false, &shown);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(shown.value(0), QStringLiteral("Количество удаляемых записей:[3]."));
    EXPECT_EQ(shown.value(1), QStringLiteral("Андреев Андрей")) << "column 2 is the student";
    EXPECT_EQ(shown.value(2), QStringLiteral("4")) << "a title row and three rows";
    EXPECT_EQ(shown.value(3), QStringLiteral("64")) << "the hidden column keeps 64 pixels";
    EXPECT_EQ(journal().recordCount(), 3) << "'Нет' deletes nothing";
    EXPECT_TRUE(log().empty());
    backToMainWindow();

    ASSERT_EQ(grid()->SelectedRows().Count(), 3) << "the rows stay selected";
    answerWarning(true);
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(journal().recordCount(), 0);
    const std::vector<LogRow> rows = log();
    ASSERT_EQ(rows.size(), 3u);
    std::vector<int> ids;
    for (const LogRow& r : rows) {
        ids.push_back(r.rowId);
        EXPECT_TRUE(r.descr.startsWith(
            QStringLiteral("Запись с уникальным номером - '%1' была удалена - (").arg(r.rowId)))
            << r.descr.toStdString();
        EXPECT_TRUE(r.descr.endsWith(QStringLiteral(").")));
    }
    std::sort(ids.begin(), ids.end());
    std::vector<int> expected{a, b, c};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ids, expected);
    const db::Result kept = admin->exec(QStringLiteral("SELECT COUNT(*) FROM DEL_mark_mag"));
    EXPECT_EQ(kept.rows.front().at(0).toInt(), 3);
}

TEST_F(AuditLog, BulkDateWritesMidnightToFormOneRowsAndLogsOnlyChanges) {
    const int first = rowId(0), second = rowId(1), third = rowId(2);
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET id_f_est = 1 WHERE id_mark_mag IN (%1, %2)")
             .arg(first)
             .arg(third),
         QStringLiteral("UPDATE mark_mag SET id_f_est = 2 WHERE id_mark_mag = %1").arg(second),
         QStringLiteral("UPDATE mark_mag SET p36 = '2024-03-05 00:00:00' WHERE id_mark_mag = %1")
             .arg(third)});
    reloadJournal();
    window->DateTimePicker1->setDateTimeValue(QDateTime(QDate(2024, 3, 5), QTime(14, 30)));
    clickCell(1, QStringLiteral("student"));

    // "Нет" changes nothing.
    platform::ScopedMessageBoxScript no(testsupport::recordBoxes(boxes, QMessageBox::No));
    QTest::mouseClick(window->SpeedButton1, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Вы действительно хотите применить дату \"05.03.2024\" ко "
                             "всем студентам, у которых форма ведомости - "
                             "\"Ведомость\"?"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Уведомление"));
    EXPECT_TRUE(stored(QStringLiteral("p36"), first).isNull());

    platform::ScopedMessageBoxScript yes(testsupport::recordBoxes(boxes, QMessageBox::Yes));
    QTest::mouseClick(window->SpeedButton1, Qt::LeftButton);
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0));
    EXPECT_EQ(stored(QStringLiteral("p36"), first).toDateTime(), midnight);
    EXPECT_TRUE(stored(QStringLiteral("p36"), second).isNull()) << "form 2 is not touched";
    EXPECT_EQ(stored(QStringLiteral("p36"), third).toDateTime(), midnight);
    const std::vector<LogRow> rows = log();
    ASSERT_EQ(rows.size(), 1u) << "the row already on that date has no record";
    EXPECT_EQ(rows[0].rowId, first);
    EXPECT_EQ(rowId(journal().recNo() - 1), second) << "back on the row it started from";
    EXPECT_FALSE(Form4) << "the notice is gone";
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(AuditLog, FirstRefusalShowsTheServersTextAndStopsTheLogTheNextSaysWarning) {
    // Someone else changes the row meanwhile, so the write finds nothing to update.
    auto refuseRow = [&](int row) {
        asOwner({QStringLiteral("UPDATE mark_mag SET p35 = 'чужое' WHERE id_mark_mag = %1")
                     .arg(rowId(row))});
    };
    refuseRow(0);
    clickCell(0, QStringLiteral("p35"));
    type("1");
    key(Qt::Key_Down);
    QApplication::processEvents(); // the error reaches the box from an event of its own
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Row cannot be located")))
        << boxes[0].text.toStdString();
    EXPECT_EQ(journal().state(), db::DataSetState::Edit) << "the user's value is kept";
    EXPECT_EQ(journal().fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("1"));
    EXPECT_EQ(window->Recorder()->DataSet(), nullptr) << "the recorder let go";
    backToMainWindow();
    key(Qt::Key_Escape);
    key(Qt::Key_Escape); // the row's change is dropped
    EXPECT_EQ(journal().state(), db::DataSetState::Browse);

    refuseRow(1);
    clickCell(1, QStringLiteral("p35"));
    type("2");
    key(Qt::Key_Up);
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].caption, QStringLiteral("Warning!"));
    EXPECT_EQ(
        boxes[1].text,
        QStringLiteral("Вы пытаетесь изменить запись в поле \"№\", но у вас нет на это прав."));
    EXPECT_TRUE(log().empty());
}

TEST_F(AuditLog, BulkDateStoppedByARefusalLeavesNoNoticeAndAWorkingGrid) {
    const int first = rowId(0), second = rowId(1);
    asOwner({QStringLiteral("UPDATE mark_mag SET id_f_est = 1")});
    reloadJournal();
    // Someone else changes the second row meanwhile: its write is refused.
    asOwner(
        {QStringLiteral("UPDATE mark_mag SET p36 = '2020-01-01 00:00:00' WHERE id_mark_mag = %1")
             .arg(second)});
    window->DateTimePicker1->setDateTimeValue(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    platform::ScopedMessageBoxScript yes(testsupport::recordBoxes(boxes, QMessageBox::Yes));
    QTest::mouseClick(window->SpeedButton1, Qt::LeftButton);
    QApplication::processEvents(); // the error reaches the box from an event of its own

    EXPECT_EQ(stored(QStringLiteral("p36"), first).toDateTime(),
              QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_EQ(stored(QStringLiteral("p36"), second).toDateTime(),
              QDateTime(QDate(2020, 1, 1), QTime(0, 0)));
    ASSERT_EQ(boxes.size(), 2u) << "the question, then the refusal";
    EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("Row cannot be located")))
        << boxes[1].text.toStdString();
    EXPECT_FALSE(Form4) << "the notice is gone";
    EXPECT_FALSE(journal().controlsDisabled()) << "the grid repaints again";
}

} // namespace
