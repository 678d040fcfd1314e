// Deleting journal rows through the warning window, the audit records of changes and
// deletions read back from the database, and the bulk hand-in date.
#include "support/BoxScript.h"
#include "support/KeyboardFixture.h"
#include "support/ZoneScope.h"

#include "controls/DateTimePicker.h"
#include "history/log_u.h"
#include "journal/Unit3.h"
#include "platform/IPWatch.h"

#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

using Audit = testsupport::KeyboardFixture;

struct LogRow {
    int rowId;
    QString descr, user, comp;
};

// Every column of a record, the server's own included.
struct FullLogRow {
    QString table;
    QVariant rowId;
    QString descr, user, comp, serverLogin;
    QDateTime written;
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
    std::vector<FullLogRow> fullLog() {
        std::vector<FullLogRow> rows;
        const db::Result r = admin->exec(
            QStringLiteral("SELECT [table], row_id, descr, KEL_User, comp, log_login, log_date "
                           "FROM KEL_LOG ORDER BY id_log"));
        for (const auto& row : r.rows)
            rows.push_back({row.at(0).toString(), row.at(1), row.at(2).toString(),
                            row.at(3).toString(), row.at(4).toString(), row.at(5).toString(),
                            row.at(6).toDateTime()});
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

// The warning stays on the screen the main window is on, however wide the main window, and
// its column titles read whole.
TEST_F(AuditLog, WarningStaysOnTheScreenWithItsTitlesWhole) {
    const QRect available = window->screen()->availableGeometry();
    window->showNormal();
    window->resize(available.width() + 40, window->height());
    clickCell(0, QStringLiteral("student"));
    selectRows({0, 1});
    QRect frame;
    QStringList cut;
    int gridWidth = 0;
    onModal<TForm1>([&](TForm1* form) {
        frame = form->frameGeometry();
        gridWidth = form->StringGrid->width();
        const QFontMetrics metrics(form->StringGrid->horizontalHeader()->font());
        for (int c = 1; c < form->StringGrid->ColCount(); ++c) {
            const QString title = form->StringGrid->Cells(c, 0);
            if (metrics.horizontalAdvance(title) + 4 > form->StringGrid->ColWidths(c))
                cut << title;
        }
        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    });
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(available.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_GE(gridWidth, qMin(window->width() + 5, available.width()) - 20);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u'|').toStdString();
    EXPECT_EQ(journal().recordCount(), 3);
    backToMainWindow();
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

TEST_F(AuditLog, FirstRefusalShowsTheServersTextTheNextSaysWarningAndTheLogGoesOn) {
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
    EXPECT_TRUE(log().empty()) << "nothing was stored, so nothing is logged";

    // A refusal never switches the log off: the next stored change has its record.
    backToMainWindow();
    clickCell(2, QStringLiteral("p35"));
    type("7");
    key(Qt::Key_Up);
    ASSERT_EQ(boxes.size(), 2u) << boxes.back().text.toStdString();
    const std::vector<LogRow> rows = log();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].rowId, rowId(2));
    EXPECT_EQ(rows[0].descr, QStringLiteral("Поле \"p35\" изменило значение \"NULL\" на \"7\"."));
    EXPECT_EQ(rows[0].user, QStringLiteral("ivanov"));
    EXPECT_EQ(rows[0].comp, computer());
}

// A change whose audit record the server refuses is not stored either; the user reads why and
// keeps the typed value. Likewise a deletion stays undone, its server-side copy too.
TEST_F(AuditLog, ARefusedRecordKeepsTheChangeAndTheDeletionUnstored) {
    const int target = rowId(0);
    const QVariant before = stored(QStringLiteral("p35"), target);
    asOwner({QStringLiteral("CREATE TRIGGER refuse_log BEFORE INSERT ON KEL_LOG BEGIN "
                            "SELECT RAISE(ABORT, 'The INSERT permission was denied on the "
                            "object ''KEL_LOG''.'); END")});
    for (int round = 0; round < 2; ++round) {
        backToMainWindow();
        clickCell(0, QStringLiteral("p35"));
        type("4");
        key(Qt::Key_Down);
        QApplication::processEvents();
        ASSERT_EQ(boxes.size(), static_cast<size_t>(round + 1));
        EXPECT_TRUE(boxes.back().text.startsWith(
            QStringLiteral("Сервер не принял запись журнала изменений (KEL_LOG), поэтому "
                           "изменение не сохранено.\n")))
            << boxes.back().text.toStdString();
        EXPECT_TRUE(boxes.back().text.contains(QStringLiteral("KEL_LOG''.")) ||
                    boxes.back().text.contains(QStringLiteral("KEL_LOG'.")));
        EXPECT_EQ(stored(QStringLiteral("p35"), target), before) << "round " << round;
        EXPECT_EQ(journal().state(), db::DataSetState::Edit) << "the typed value is kept";
        EXPECT_EQ(journal().fieldByName(QStringLiteral("p35"))->text(), QStringLiteral("4"));
        backToMainWindow();
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        ASSERT_EQ(journal().state(), db::DataSetState::Browse);
    }

    // The grid's deletion passes over a row it cannot delete, without a word; the row stays.
    const int rows = journal().recordCount();
    selectRows({0});
    answerWarning(true);
    key(Qt::Key_Delete, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(stored(QStringLiteral("id_mark_mag"), target).toInt(), target) << "not deleted";
    EXPECT_EQ(journal().recordCount(), rows) << "the grid still shows it";
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(admin->exec(QStringLiteral("SELECT 1 FROM DEL_mark_mag")).rows.empty())
        << "the deletion copy went back with the deletion";
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

// Each line of the warning window is its own selected row, cell by cell; rows that differ in
// every visible column, one of them left out between two selected ones.
TEST_F(AuditLog, WarningWindowShowsEverySelectedRowInEveryColumn) {
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 5, id_teacher = 4, id_f_est = 1, "
                            "p35 = '11', p36 = '2024-01-10 00:00:00', primech = 'д' "
                            "WHERE id_student = 7"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 3, id_f_est = 2, p35 = '12', "
                            "p36 = '2024-02-20 00:00:00', primech = 'н/д' WHERE id_student = 8"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 25, p35 = '13' "
                            "WHERE id_student = 9")});
    reloadJournal();
    ASSERT_EQ(journal().visibleRowCount(), 3);
    const int columns = grid()->columnCount();
    // What the journal shows in each row, by column; hidden columns stay empty.
    auto rowTexts = [&](int row) {
        QStringList cells;
        db::DisplayRowScope scope(journal(), row);
        for (int i = 0; i < columns; ++i) {
            const TColumnEh* column = grid()->Column(i);
            cells << (column->Visible ? journal().fieldByName(column->FieldName)->text()
                                      : QString());
        }
        return cells;
    };
    for (const auto& selection : {std::vector<int>{0, 2}, std::vector<int>{2, 1, 0}}) {
        SCOPED_TRACE(::testing::PrintToString(selection));
        std::vector<QStringList> expected;
        for (int row : selection)
            expected.push_back(rowTexts(row));
        clickCell(selection.front(), QStringLiteral("student"));
        QHeaderView* indicator = grid()->verticalHeader();
        for (int row : selection) {
            const QPoint at(indicator->width() / 2, indicator->sectionViewportPosition(row) +
                                                        indicator->sectionSize(row) / 2);
            QTest::mouseClick(indicator->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        }
        ASSERT_EQ(grid()->SelectedRows().Count(), int(selection.size()));

        std::vector<QStringList> shown;
        int rowCount = 0, colCount = 0;
        onModal<TForm1>([&](TForm1* form) {
            const TStringGrid& sheet = *form->StringGrid;
            rowCount = sheet.RowCount();
            colCount = sheet.ColCount();
            for (int j = 1; j < sheet.RowCount(); ++j) {
                QStringList cells;
                for (int i = 1; i < sheet.ColCount(); ++i)
                    cells << sheet.Cells(i, j);
                shown.push_back(cells);
            }
            QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
        });
        key(Qt::Key_Delete, Qt::ControlModifier);
        backToMainWindow();
        EXPECT_EQ(rowCount, int(selection.size()) + 1);
        EXPECT_EQ(colCount, columns + 1);
        // The rows in the window's order are not the point; each selected row once is.
        auto byText = [](const QStringList& a, const QStringList& b) {
            return a.join(u'|') < b.join(u'|');
        };
        std::sort(expected.begin(), expected.end(), byText);
        std::sort(shown.begin(), shown.end(), byText);
        ASSERT_EQ(shown.size(), expected.size());
        for (size_t j = 0; j < shown.size(); ++j)
            EXPECT_EQ(shown[j], expected[j])
                << "line " << j << ": " << shown[j].join(u'|').toStdString() << " expected "
                << expected[j].join(u'|').toStdString();
        EXPECT_EQ(journal().recordCount(), 3) << "'Нет' deletes nothing";
        // A plain click ends the selection for the next round.
        clickCell(1, QStringLiteral("student"));
    }
    EXPECT_TRUE(log().empty());
}

// Every column of a change record and of a deletion record: what the client writes and what
// the server adds (who wrote it, when).
TEST_F(AuditLog, ChangeAndDeletionRecordsHoldEveryColumn) {
    const int changed = rowId(0), deleted = rowId(2);
    const QString student =
        QString::number(stored(QStringLiteral("id_student"), deleted).toInt()); // in the row image
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    clickCell(0, QStringLiteral("p35"));
    type("4,5");
    key(Qt::Key_Down);
    clickCell(2, QStringLiteral("student"));
    selectRows({2});
    answerWarning(true);
    key(Qt::Key_Delete, Qt::ControlModifier);
    backToMainWindow();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const std::vector<FullLogRow> rows = fullLog();
    ASSERT_EQ(rows.size(), 2u);
    const struct {
        const char* kind;
        int rowId;
    } expected[] = {{"change", changed}, {"deletion", deleted}};
    for (size_t i = 0; i < rows.size(); ++i) {
        const FullLogRow& r = rows[i];
        SCOPED_TRACE(expected[i].kind);
        EXPECT_EQ(r.table, QStringLiteral("mark_mag"));
        EXPECT_TRUE(r.rowId.typeId() == QMetaType::Int || r.rowId.typeId() == QMetaType::LongLong)
            << "an integer, not a text: " << r.rowId.typeName();
        EXPECT_EQ(r.rowId.toInt(), expected[i].rowId);
        EXPECT_EQ(r.user, QStringLiteral("ivanov"));
        EXPECT_EQ(r.comp, computer());
        EXPECT_FALSE(window->CompName.isEmpty());
        EXPECT_TRUE(r.comp.endsWith(u'\\' + window->IdIPWatch1->currentIP()));
        EXPECT_EQ(r.serverLogin, QStringLiteral("ivanov"))
            << "the server names the user who wrote it";
        EXPECT_TRUE(r.written.isValid());
        EXPECT_GE(r.written, before) << r.written.toString(Qt::ISODate).toStdString();
        EXPECT_LE(r.written, after) << r.written.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(rows[0].descr, QStringLiteral("Поле \"p35\" изменило значение \"NULL\" на \"4.5\"."));
    EXPECT_TRUE(rows[1].descr.startsWith(
        QStringLiteral("Запись с уникальным номером - '%1' была удалена - (").arg(deleted)))
        << rows[1].descr.toStdString();
    EXPECT_TRUE(rows[1].descr.endsWith(QStringLiteral(").")));
    EXPECT_TRUE(rows[1].descr.contains(student)) << rows[1].descr.toStdString();
}

// The users work in Moscow time: the bulk date is local midnight there, whatever zone UTC
// has reached. At 01:30 in Moscow on 5 March it is still 4 March in UTC.
TEST_F(AuditLog, BulkDateIsLocalMidnightOfThePickersDayInTheUsersZone) {
    asOwner({QStringLiteral("UPDATE mark_mag SET id_f_est = 1")});
    for (const char* zone : {"Europe/Moscow", "UTC", "Asia/Vladivostok"}) {
        SCOPED_TRACE(zone);
        testsupport::ZoneScope scope(zone);
        asOwner({QStringLiteral("UPDATE mark_mag SET p36 = NULL"),
                 QStringLiteral("DELETE FROM KEL_LOG")});
        reloadJournal();
        window->DateTimePicker1->setDateTimeValue(QDateTime(QDate(2024, 3, 5), QTime(1, 30)));
        boxes.clear();
        {
            platform::ScopedMessageBoxScript yes(testsupport::recordBoxes(boxes, QMessageBox::Yes));
            QTest::mouseClick(window->SpeedButton1, Qt::LeftButton);
        }
        backToMainWindow();
        ASSERT_FALSE(boxes.empty());
        EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("\"05.03.2024\"")))
            << boxes[0].text.toStdString();
        ASSERT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
        // As the server holds it, as text, and as the journal shows it.
        const db::Result held =
            admin->exec(QStringLiteral("SELECT p36 || '' FROM mark_mag ORDER BY id_mark_mag"));
        ASSERT_EQ(held.rows.size(), 3u);
        for (const auto& row : held.rows)
            EXPECT_EQ(row.at(0).toString(), QStringLiteral("2024-03-05 00:00:00"));
        for (int i = 0; i < 3; ++i) {
            db::DisplayRowScope row(journal(), i);
            EXPECT_EQ(journal()
                          .fieldByName(QStringLiteral("p36"))
                          ->value()
                          .toDateTime()
                          .toLocalTime()
                          .toString(Qt::ISODate),
                      QStringLiteral("2024-03-05T00:00:00"))
                << "row " << i;
        }
        const std::vector<LogRow> rows = log();
        ASSERT_EQ(rows.size(), 3u);
        for (const LogRow& r : rows)
            EXPECT_EQ(r.descr,
                      QStringLiteral("Поле \"p36\" изменило значение \"NULL\" на \"05.03.2024\"."));
    }
}

} // namespace
