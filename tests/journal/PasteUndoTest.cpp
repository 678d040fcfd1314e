// A column of values pasted from the clipboard with Alt+V, and this user's own
// changes taken back with Alt+Backspace: what reaches the database, its audit records and
// the boxes the user sees.
#include "support/BoxScript.h"
#include "support/KeyboardFixture.h"

#include "controls/DateTimePicker.h"
#include "history/log_u.h"

#include <QClipboard>
#include <QToolButton>

#include <functional>

namespace {

constexpr int JournalRows = 24;

class PasteUndo : public testsupport::KeyboardFixture {
protected:
    void SetUp() override {
        KeyboardFixture::SetUp();
        if (HasFatalFailure())
            return;
        // 21 more students make a journal of 24 rows, "Студент 01" onwards after the three.
        std::vector<QString> rows;
        for (int i = 1; i <= JournalRows - 3; ++i) {
            const int id = 100 + i;
            rows.push_back(QStringLiteral("INSERT INTO s_fio VALUES(%1, 'Студент %2', NULL)")
                               .arg(id)
                               .arg(i, 2, 10, QLatin1Char('0')));
            rows.push_back(QStringLiteral("INSERT INTO group_student VALUES(5, %1)").arg(id));
        }
        // Marks beside the fixture's, for the short forms users type.
        rows.push_back(QStringLiteral(
            "INSERT INTO estimation VALUES(4, 'хорошо'), (12, 'зачтено'), (13, 'неявка')"));
        rows.push_back(
            QStringLiteral("INSERT INTO exam_estimation VALUES(1, 4), (1, 12), (1, 13)"));
        asOwner(rows);
        // Chosen again, so that the mark list is read again.
        chooseFixtureJournal();
        backToMainWindow();
        ASSERT_EQ(journal().visibleRowCount(), JournalRows);
        boxes.clear();
    }

    int logCount() {
        return admin->exec(QStringLiteral("SELECT COUNT(*) FROM KEL_LOG"))
            .rows.front()
            .at(0)
            .toInt();
    }

    std::vector<QVariant> column(const QString& name) {
        std::vector<QVariant> values;
        for (int i = 0; i < JournalRows; ++i)
            values.push_back(stored(name, rowId(i)));
        return values;
    }

    // Puts text on the clipboard and presses Alt+V in the cell, answering the
    // confirmation with the given button; every other box is answered with OK.
    void paste(int row, const QString& field, const QString& text,
               QMessageBox::StandardButton answer = QMessageBox::Yes) {
        QGuiApplication::clipboard()->setText(text);
        clickCell(row, field);
        // A click on the current mark cell opens its list; a person closes it first.
        if (QApplication::activePopupWidget() != nullptr)
            key(Qt::Key_Escape);
        platform::ScopedMessageBoxScript script([&](const platform::MessageBoxRequest& r) {
            boxes.push_back(r);
            return r.icon == QMessageBox::Question ? answer : QMessageBox::Ok;
        });
        key(Qt::Key_V, Qt::AltModifier);
    }

    void undo() { key(Qt::Key_Backspace, Qt::AltModifier); }

    // Every column of every journal row and every student code, as the server holds them.
    QStringList snapshot() {
        QStringList out;
        for (const char* sql : {"SELECT * FROM mark_mag ORDER BY id_mark_mag",
                                "SELECT * FROM s_fio ORDER BY id_student"}) {
            const db::Result r = admin->exec(QString::fromLatin1(sql));
            for (const auto& row : r.rows) {
                QStringList cells;
                for (const QVariant& v : row)
                    cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
                out << cells.join(u'|');
            }
        }
        return out;
    }

    // A refused typed change of "№" in a row another user changed meanwhile.
    void typeRefusedNumber(int row, const char* typed, Qt::Key leave) {
        asOwner({QStringLiteral("UPDATE mark_mag SET p35 = 'чужое' WHERE id_mark_mag = %1")
                     .arg(rowId(row))});
        backToMainWindow();
        clickCell(row, QStringLiteral("p35"));
        type(typed);
        key(leave);
        QApplication::processEvents(); // the error reaches the box from an event of its own
    }

    // After a paste (and its undo), the journal's refusals are reported as before either:
    // the first through the recorder, the next with the journal's own message.
    void expectRefusalsAsBefore() {
        ASSERT_NE(window->Recorder()->DataSet(), nullptr) << "the recorder is still attached";
        const int logged = logCount();
        boxes.clear();
        typeRefusedNumber(3, "1", Qt::Key_Down);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Row cannot be located")))
            << boxes[0].text.toStdString();
        EXPECT_EQ(journal().state(), db::DataSetState::Edit) << "the user's value is kept";
        EXPECT_EQ(window->Recorder()->DataSet(), &journal()) << "the recorder records on";
        backToMainWindow();
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
        ASSERT_EQ(journal().state(), db::DataSetState::Browse);

        typeRefusedNumber(5, "2", Qt::Key_Up);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].caption, QStringLiteral("Warning!"));
        EXPECT_EQ(
            boxes[1].text,
            QStringLiteral("Вы пытаетесь изменить запись в поле \"№\", но у вас нет на это прав."));
        EXPECT_EQ(journal().state(), db::DataSetState::Browse) << "the row's edit is dropped";
        EXPECT_EQ(stored(QStringLiteral("p35"), rowId(5)).toString(), QStringLiteral("чужое"));
        EXPECT_EQ(logCount(), logged);
    }

    // Twenty-four marks, written as people write them.
    static QString marks() {
        QStringList lines;
        const char* forms[] = {"5", "3", " Отлично ", "удовл.", "УДОВЛ", "не изучает"};
        for (int i = 0; i < JournalRows; ++i)
            lines << QString::fromUtf8(forms[i % 6]);
        return lines.join(u'\n') + u'\n';
    }
    static int markKey(int line) {
        const int keys[] = {5, 3, 5, 3, 3, 25};
        return keys[line % 6];
    }
};

TEST_F(PasteUndo, TwentyFourMarksAreWrittenEachWithItsAuditRecord) {
    paste(0, QStringLiteral("estimation"), marks());
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, QStringLiteral("Вставить 24 значения в столбец \"Оценка\"?"));
    EXPECT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
    const std::vector<QVariant> stored = column(QStringLiteral("id_estimation"));
    for (int i = 0; i < JournalRows; ++i)
        EXPECT_EQ(stored[static_cast<size_t>(i)].toInt(), markKey(i)) << "row " << i;
    EXPECT_EQ(logCount(), JournalRows);
    EXPECT_EQ(window->undoSteps(), 1) << "the paste is one step";
    EXPECT_EQ(journal().state(), db::DataSetState::Browse);
}

TEST_F(PasteUndo, MarksAreTakenByNameOrShortFormAsPeopleWriteThem) {
    const struct {
        const char* typed;
        int key;
    } cases[] = {
        {"5", 5},        {"4", 4},         {"3", 3},           {"2", 8},     {"зач", 12},
        {"н/я", 13},     {" Отлично ", 5}, {"ХОРОШО", 4},      {"удовл", 3}, {"неуд.", 8},
        {"Зачтено", 12}, {"неявка", 13},   {"не изучает", 25},
    };
    QStringList block;
    for (const auto& c : cases)
        block << QString::fromUtf8(c.typed);
    paste(0, QStringLiteral("estimation"), block.join(u'\n'));
    ASSERT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(stored(QStringLiteral("id_estimation"), rowId(i)).toInt(), cases[i].key)
            << "\"" << cases[i].typed << "\"";
}

TEST_F(PasteUndo, NoAnswerWritesNothing) {
    paste(0, QStringLiteral("estimation"), marks(), QMessageBox::No);
    EXPECT_EQ(logCount(), 0);
    EXPECT_TRUE(stored(QStringLiteral("id_estimation"), rowId(0)).isNull());
    EXPECT_FALSE(window->canUndo());
}

TEST_F(PasteUndo, ABlockThatDoesNotFitIsRefusedWholeNamingItsLines) {
    const struct {
        const char* name;
        int row;
        const char* field;
        QString text;
        const char* message;
    } cases[] = {
        {"an unknown mark", 0, "estimation", QStringLiteral("5\n3\nпять\n5\n"),
         "Ничего не вставлено:\nСтрока 3: \"пять\" — такого значения нет в столбце \"Оценка\"."},
        {"more lines than rows below", 20, "estimation", QStringLiteral("5\n5\n5\n5\n5\n5\n"),
         "Ничего не вставлено:\nСтроки с 5 по 6 лишние: в журнале от текущей строки вниз 4 "
         "строки."},
        {"a date that is not one", 0, "p36", QStringLiteral("05.04.2024\n31.02.2024\n"),
         "Ничего не вставлено:\nСтрока 2: \"31.02.2024\" — это не дата вида ДД.ММ.ГГГГ."},
        {"a number too long", 0, "p35",
         QStringLiteral("1\n777777777777777777777777777777777777777777777777777\n"),
         "Ничего не вставлено:\nСтрока 2: \"777777777777777777777777777777777777777777777777777\" "
         "— длиннее 50 знаков."},
        {"a teacher nobody knows", 0, "teacher", QStringLiteral("Сергеев С.С.\nНикто\n"),
         "Ничего не вставлено:\nСтрока 2: \"Никто\" — такого значения нет в столбце "
         "\"Преподаватель\"."},
        {"the student column", 0, "student", QStringLiteral("Иванов\n"),
         "Столбец \"Студент\" нельзя изменять: вставка в него невозможна."},
        {"the code column", 0, "idid", QStringLiteral("A-1\n"),
         "Столбец \"Шифр студента\" нельзя изменять: вставка в него невозможна."},
        {"the row number column", 0, "No", QStringLiteral("1\n"),
         "Столбец \"П/П\" нельзя изменять: вставка в него невозможна."},
    };
    // Nothing of a refused block is written, not even its lines that fit.
    const QStringList before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        paste(c.row, QString::fromLatin1(c.field), c.text);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(logCount(), 0);
        EXPECT_EQ(snapshot(), before) << "nothing is written, in any column";
        EXPECT_FALSE(window->canUndo());
        EXPECT_EQ(window->canPasteColumn(), !QString::fromUtf8(c.message).startsWith(u"Столбец"))
            << "the command is offered only where it can write";
        backToMainWindow();
    }
}

TEST_F(PasteUndo, SpreadsheetBlocksGiveTheirFirstColumnAsTyped) {
    const struct {
        const char* name;
        const char* field;
        QString text;
        QVariant first, second;
    } cases[] = {
        {"tab-separated, numbers with a comma", "p35",
         QStringLiteral("1,5\tПетров\t5\r\n12\tАндреев\t4\r\n"), QStringLiteral("1.5"),
         QStringLiteral("12")},
        {"dates", "p36", QStringLiteral("05.04.2024\n6.4.2024"),
         QDateTime(QDate(2024, 4, 5), QTime(0, 0)), QDateTime(QDate(2024, 4, 6), QTime(0, 0))},
        {"form by its name", "id_f_est", QStringLiteral("направление\nВедомость\n"), 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        const QString field = QString::fromLatin1(c.field);
        paste(0, field == QLatin1String("id_f_est") ? QStringLiteral("f_est") : field, c.text);
        ASSERT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
        EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Вставить 2 значения")));
        for (const auto& [row, expected] : {std::pair{0, c.first}, std::pair{1, c.second}}) {
            QVariant value = stored(field, rowId(row));
            ASSERT_TRUE(value.convert(expected.metaType())) << "row " << row;
            EXPECT_EQ(value, expected) << "row " << row;
        }
        EXPECT_TRUE(stored(field, rowId(2)).isNull()) << "the third row is not touched";
        backToMainWindow();
    }
}

TEST_F(PasteUndo, ARefusedRowStopsThePasteAndKeepsTheRowsBefore) {
    // Someone else marks the fifth row meanwhile: its write is refused.
    const int fifth = rowId(4);
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 5 WHERE id_mark_mag = %1")
                 .arg(fifth)});
    paste(0, QStringLiteral("estimation"), marks());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("Row cannot be located")))
        << boxes[1].text.toStdString();
    EXPECT_TRUE(boxes[1].text.endsWith(
        QStringLiteral("Вставка остановлена на строке 5: записано 4 значения из 24.")))
        << boxes[1].text.toStdString();
    const std::vector<QVariant> stored = column(QStringLiteral("id_estimation"));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stored[static_cast<size_t>(i)].toInt(), markKey(i)) << "row " << i;
    EXPECT_EQ(stored[4].toInt(), 5) << "the other user's mark stays";
    for (int i = 5; i < JournalRows; ++i)
        EXPECT_TRUE(stored[static_cast<size_t>(i)].isNull()) << "row " << i;
    EXPECT_EQ(logCount(), 4);
    EXPECT_EQ(journal().state(), db::DataSetState::Browse);

    // The refusal did not stop the audit log: the next change is recorded too.
    backToMainWindow();
    clickCell(6, QStringLiteral("p35"));
    type("7");
    key(Qt::Key_Down);
    EXPECT_EQ(logCount(), 5);
}

// Another user changes a row while this user writes it; once the client has learned that, the
// grid shows the other user's value, and pasting the same value again stores and logs it.
TEST_F(PasteUndo, AConflictSeenByAPostAPasteOrAnUndoShowsWhatTheServerHolds) {
    const int row = 3;
    const int id = rowId(row);
    const auto otherUserWrites = [&] {
        asOwner(
            {QStringLiteral("UPDATE mark_mag SET p35 = 'чужое' WHERE id_mark_mag = %1").arg(id)});
    };
    const auto shown = [&] {
        db::DisplayRowScope scope(journal(), row);
        return journal().fieldByName(QStringLiteral("p35"))->text();
    };
    const auto typeNumber = [&](const char* text) {
        backToMainWindow();
        clickCell(row, QStringLiteral("p35"));
        type(text);
        key(Qt::Key_Down);
        QApplication::processEvents(); // a refusal reaches its box from an event of its own
    };
    const struct {
        const char* name;
        std::function<void()> act; // the command that meets the other user's change
    } cases[] = {
        {"a typed change",
         [&] {
             typeNumber("1");
             // The row keeps the typed value until the user drops it.
             backToMainWindow();
             key(Qt::Key_Escape);
             key(Qt::Key_Escape);
         }},
        {"a pasted value", [&] { paste(row, QStringLiteral("p35"), QStringLiteral("1\n")); }},
        {"an undo",
         [&] {
             asOwner(
                 {QStringLiteral("UPDATE mark_mag SET p35 = NULL WHERE id_mark_mag = %1").arg(id)});
             reloadJournal();
             typeNumber("2");
             ASSERT_EQ(stored(QStringLiteral("p35"), id).toString(), QStringLiteral("2"));
             otherUserWrites();
             backToMainWindow();
             undo();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        asOwner({QStringLiteral("UPDATE mark_mag SET p35 = NULL WHERE id_mark_mag = %1").arg(id)});
        reloadJournal();
        otherUserWrites();
        boxes.clear();
        c.act();
        ASSERT_FALSE(boxes.empty()) << "the user is told";
        EXPECT_EQ(journal().state(), db::DataSetState::Browse);
        EXPECT_EQ(shown(), QStringLiteral("чужое")) << "the grid shows the server's value";
        EXPECT_EQ(stored(QStringLiteral("p35"), id).toString(), QStringLiteral("чужое"));

        const int logged = logCount();
        boxes.clear();
        paste(row, QStringLiteral("p35"), QStringLiteral("1\n"));
        ASSERT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
        EXPECT_EQ(boxes[0].icon, QMessageBox::Question) << "only the paste's question";
        EXPECT_EQ(stored(QStringLiteral("p35"), id).toString(), QStringLiteral("1"));
        EXPECT_EQ(shown(), QStringLiteral("1"));
        EXPECT_EQ(logCount(), logged + 1) << "the change over the other user's value is logged";
    }
}

TEST_F(PasteUndo, UndoTakesBackATypedChangeAPasteAndABulkDateInTurn) {
    asOwner({QStringLiteral("UPDATE mark_mag SET id_f_est = 1")});
    reloadJournal();
    boxes.clear();
    // A bulk date, then a paste, then a typed number: three steps.
    window->DateTimePicker1->setDateTimeValue(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
    {
        platform::ScopedMessageBoxScript yes(testsupport::recordBoxes(boxes, QMessageBox::Yes));
        QTest::mouseClick(window->SpeedButton1, Qt::LeftButton);
    }
    backToMainWindow();
    paste(0, QStringLiteral("estimation"), marks());
    backToMainWindow();
    clickCell(2, QStringLiteral("p35"));
    type("7,5");
    key(Qt::Key_Down);
    ASSERT_EQ(window->undoSteps(), 3);
    ASSERT_EQ(stored(QStringLiteral("p35"), rowId(2)).toString(), QStringLiteral("7.5"));
    const int logged = logCount();
    EXPECT_EQ(logged, 2 * JournalRows + 1);

    undo();
    EXPECT_TRUE(stored(QStringLiteral("p35"), rowId(2)).isNull());
    EXPECT_EQ(stored(QStringLiteral("id_estimation"), rowId(2)).toInt(), markKey(2));
    EXPECT_EQ(window->undoSteps(), 2);
    EXPECT_EQ(logCount(), logged + 1) << "the undo is audited";

    undo();
    for (const QVariant& mark : column(QStringLiteral("id_estimation")))
        EXPECT_TRUE(mark.isNull());
    EXPECT_EQ(logCount(), logged + 1 + JournalRows);
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0));
    EXPECT_EQ(stored(QStringLiteral("p36"), rowId(7)).toDateTime(), midnight);

    undo();
    for (const QVariant& day : column(QStringLiteral("p36")))
        EXPECT_TRUE(day.isNull());
    EXPECT_EQ(logCount(), logged + 1 + 2 * JournalRows);
    EXPECT_FALSE(window->canUndo());

    const size_t shown = boxes.size();
    undo();
    ASSERT_EQ(boxes.size(), shown + 1);
    EXPECT_EQ(boxes.back().text, QStringLiteral("Нет ваших изменений, которые можно отменить."));
    EXPECT_EQ(logCount(), logged + 1 + 2 * JournalRows);
}

TEST_F(PasteUndo, UndoAfterAnotherUsersChangeIsRefusedAndChangesNothing) {
    // A row deleted meanwhile fails the write as a changed one does: only the check on the
    // server tells the two apart.
    const struct {
        const char* name;
        bool pasted;    // the step is a pasted column, else one typed mark
        int changedRow; // the row the other user changes afterwards
        bool deleted;   // the other user deletes the row instead
    } cases[] = {
        {"a typed change", false, 0, false},
        {"a pasted column, its last row changed", true, JournalRows - 1, false},
        {"a typed change, its row deleted", false, 0, true},
        {"a pasted column, its last row deleted", true, JournalRows - 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = NULL")});
        reloadJournal();
        boxes.clear();
        if (c.pasted) {
            paste(0, QStringLiteral("estimation"), marks());
        } else {
            clickCell(0, QStringLiteral("estimation"));
            auto* box = qobject_cast<QComboBox*>(grid()->InplaceEditor());
            ASSERT_NE(box, nullptr);
            if (!box->view()->isVisible())
                key(Qt::Key_F4);
            key(Qt::Key_End); // "не изучает", key 25
            key(Qt::Key_Return);
            key(Qt::Key_Down);
        }
        backToMainWindow();
        ASSERT_EQ(window->undoSteps(), 1) << (boxes.empty() ? "" : boxes.back().text.toStdString());
        const int target = rowId(c.changedRow);
        const std::vector<QVariant> before = [&] {
            asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 3 WHERE id_mark_mag = %1")
                         .arg(target)});
            std::vector<QVariant> values = column(QStringLiteral("id_estimation"));
            if (c.deleted)
                asOwner(
                    {QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = %1").arg(target)});
            values[size_t(c.changedRow)] = QVariant();
            return values;
        }();
        const int logged = logCount();
        boxes.clear();
        undo();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.contains(c.deleted
                                               ? QStringLiteral("удалена другим пользователем")
                                               : QStringLiteral("изменил другой пользователь")))
            << boxes[0].text.toStdString();
        EXPECT_FALSE(boxes[0].text.contains(QStringLiteral("нет на это прав")));
        std::vector<QVariant> after = column(QStringLiteral("id_estimation"));
        if (!c.deleted)
            after[size_t(c.changedRow)] = QVariant();
        EXPECT_EQ(after, before) << "nothing changed";
        if (!c.deleted) {
            EXPECT_EQ(stored(QStringLiteral("id_estimation"), target).toInt(), 3);
        }
        EXPECT_EQ(logCount(), logged);
        EXPECT_EQ(window->undoSteps(), 1) << "the step stays";
        backToMainWindow();
    }
}

TEST_F(PasteUndo, AStepRefusedPartWayIsPutBackWhole) {
    paste(0, QStringLiteral("estimation"), marks());
    backToMainWindow();
    ASSERT_EQ(window->undoSteps(), 1);
    // The server refuses to clear the last row's mark: the rows before it were undone already.
    asOwner({QStringLiteral("CREATE TRIGGER refuse_undo BEFORE UPDATE OF id_estimation ON mark_mag "
                            "WHEN NEW.id_estimation IS NULL AND OLD.id_mark_mag = %1 BEGIN "
                            "SELECT RAISE(ABORT, 'UPDATE permission denied on column "
                            "id_estimation'); END")
                 .arg(rowId(JournalRows - 1))});
    const std::vector<QVariant> pasted = column(QStringLiteral("id_estimation"));
    boxes.clear();
    undo();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("UPDATE permission denied")))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("Ничего не изменено.")));
    EXPECT_EQ(column(QStringLiteral("id_estimation")), pasted)
        << "the rows undone before the refusal hold the pasted marks again";
    EXPECT_EQ(window->undoSteps(), 1) << "the step stays";
    EXPECT_EQ(journal().state(), db::DataSetState::Browse);
}

TEST_F(PasteUndo, AReloadEmptiesTheHistory) {
    clickCell(0, QStringLiteral("p35"));
    type("9");
    key(Qt::Key_Down);
    ASSERT_TRUE(window->canUndo());
    reloadJournal();
    EXPECT_FALSE(window->canUndo());
    EXPECT_EQ(window->undoSteps(), 0);
}

TEST_F(PasteUndo, AValueTwoMarksCouldMeanIsRefusedAndOneNameWrittenOutIsNot) {
    // "отл." beside "отлично" (both "5"), "удовлетворительно" beside "удовл." (both "3"), and
    // a second "Зачтено " beside "зачтено".
    asOwner({QStringLiteral("INSERT INTO estimation VALUES(14, 'отл.'), "
                            "(15, 'удовлетворительно'), (16, 'Зачтено ')"),
             QStringLiteral("INSERT INTO exam_estimation VALUES(1, 14), (1, 15), (1, 16)")});
    chooseFixtureJournal();
    backToMainWindow();
    boxes.clear();
    const struct {
        const char* typed;
        int key; // 0: refused as a value two marks could mean
    } cases[] = {
        {"5", 0},       {"3", 0},      {"зачтено", 0},     {"зач", 0},
        {"отлично", 5}, {"Отл.", 14},  {"удовл", 3},       {"удовлетворительно", 15},
        {"4", 4},       {"хорошо", 4}, {"не изучает", 25},
    };
    const QStringList before = snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        boxes.clear();
        const QString typed = QString::fromUtf8(c.typed);
        // A line that fits first: a refusal must not be taken for the block's first problem.
        paste(0, QStringLiteral("estimation"), QStringLiteral("не изучает\n") + typed + u'\n');
        ASSERT_FALSE(boxes.empty());
        if (c.key == 0) {
            ASSERT_EQ(boxes.size(), 1u) << boxes.back().text.toStdString();
            EXPECT_TRUE(boxes[0].text.startsWith(
                QStringLiteral("Ничего не вставлено:\nСтрока 2: \"%1\"").arg(typed)))
                << boxes[0].text.toStdString();
            EXPECT_EQ(snapshot(), before);
        } else {
            EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Вставить 2 значения")))
                << boxes[0].text.toStdString();
            EXPECT_EQ(stored(QStringLiteral("id_estimation"), rowId(1)).toInt(), c.key);
            asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = NULL")});
            reloadJournal();
        }
        backToMainWindow();
    }
}

TEST_F(PasteUndo, AfterAPasteARefusedChangeIsReportedAsTheJournalReportsIt) {
    paste(0, QStringLiteral("estimation"), marks());
    backToMainWindow();
    ASSERT_EQ(window->undoSteps(), 1);
    expectRefusalsAsBefore();
}

TEST_F(PasteUndo, AfterAnUndoARefusedChangeIsReportedAsTheJournalReportsIt) {
    paste(0, QStringLiteral("estimation"), marks());
    backToMainWindow();
    undo();
    backToMainWindow();
    ASSERT_EQ(window->undoSteps(), 0);
    ASSERT_TRUE(stored(QStringLiteral("id_estimation"), rowId(0)).isNull());
    expectRefusalsAsBefore();
}

TEST_F(PasteUndo, AfterARefusedUndoARefusedChangeIsReportedAsTheJournalReportsIt) {
    paste(0, QStringLiteral("estimation"), marks());
    backToMainWindow();
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 3 WHERE id_mark_mag = %1")
                 .arg(rowId(JournalRows - 1))});
    undo();
    backToMainWindow();
    ASSERT_EQ(window->undoSteps(), 1) << "the undo was refused";
    expectRefusalsAsBefore();
}

} // namespace
