// The student codes window opened from the main window: its list built from the journal, a
// code changed as a person types it, and the journal refreshed only after a change.
#include "support/KeyboardFixture.h"

#include "controls/DBNavigator.h"
#include "journal/Unit7.h"

#include <QToolButton>

namespace {

using testsupport::columnOf;

class StudentCodes : public testsupport::KeyboardFixture {
protected:
    static void clickCodeCell(TForm7* form, int row, const QString& field) {
        TKvDBGridEh* g = form->KvDBGridEh2;
        const QRect cell = g->visualRect(g->model()->index(row, columnOf(g, field)));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {},
                          g->viewport()->mapTo(form, cell.center()));
    }

    static QStringList listed(TForm7*) {
        QStringList rows;
        db::DataSet& s = *DM_TAZ_2->DS_Students.dataSet();
        for (int i = 0; i < s.visibleRowCount(); ++i) {
            db::DisplayRowScope row(s, i);
            rows << s.fieldByName(QStringLiteral("no"))->text() + u' ' +
                        s.fieldByName(QStringLiteral("s_fio"))->text() + u' ' +
                        s.fieldByName(QStringLiteral("idid"))->text();
        }
        return rows;
    }

    bool sent(const QString& part) const {
        return std::any_of(statements.begin(), statements.end(),
                           [&](const QString& s) { return s.contains(part); });
    }
};

TEST_F(StudentCodes, ListsTheJournalsStudentsOnceEachByNameAndChangesNothingUntouched) {
    // A second row for Петров: the condition names him twice, the list shows him once.
    asOwner({QStringLiteral("INSERT INTO mark_mag (id_group, id_student, id_examination, "
                            "id_discipline, id_semester) VALUES (5, 7, 1, 11, 2)")});
    reloadJournal();
    ASSERT_EQ(journal().recordCount(), 4);
    clickCell(2, QStringLiteral("student"));
    const int current = rowId(2);
    statements.clear();

    QString caption;
    QStringList shown;
    bool editable = true;
    onModal<TForm7>([&](TForm7* form) {
        caption = form->windowTitle();
        shown = listed(form);
        editable = form->KvDBGridEh2->Options().testFlag(dgEditing);
        form->close();
    });
    QTest::mouseClick(window->SpeedButton2, Qt::LeftButton);

    EXPECT_EQ(caption, QStringLiteral("Шифры студентов"));
    EXPECT_TRUE(sent(QStringLiteral("WHERE s_fio.id_student in( 8, 7, 7, 9) ORDER BY s_fio.s_fio")))
        << (statements.empty() ? "" : statements.front().toStdString());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("1 Андреев Андрей A-8"),
                                  QStringLiteral("2 Петров Пётр A-7"),
                                  QStringLiteral("3 Яковлев Яков ")}));
    EXPECT_FALSE(editable) << "editing is off until the code column is entered";
    EXPECT_EQ(rowId(journal().recNo() - 1), current) << "the journal is back on its row";
    EXPECT_FALSE(journal().controlsDisabled());
    EXPECT_FALSE(dataModule->StudentsChanged);
    EXPECT_FALSE(dataModule->ADOQ_Students.active());
    EXPECT_FALSE(sent(QStringLiteral("from s_g"))) << "no change, no refresh";
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// With more students than the list can show, its last visible row is whole: the list ends
// on a row's lower edge.
TEST_F(StudentCodes, TheListShowsWholeRowsOnly) {
    std::vector<QString> sql;
    for (int i = 0; i < 40; ++i) {
        sql.push_back(QStringLiteral("INSERT INTO s_fio(id_student, s_fio, idid) "
                                     "VALUES(%1, 'Студент %1', 'B-%1')")
                          .arg(100 + i));
        sql.push_back(QStringLiteral("INSERT INTO group_student VALUES(5, %1)").arg(100 + i));
        sql.push_back(QStringLiteral("INSERT INTO mark_mag (id_group, id_student, id_examination, "
                                     "id_discipline, id_semester) VALUES (5, %1, 1, 11, 2)")
                          .arg(100 + i));
    }
    asOwner(sql);
    reloadJournal();
    ASSERT_GT(journal().recordCount(), 40);
    int viewport = 0, row = 0, shown = 0;
    QSize size;
    onModal<TForm7>([&](TForm7* form) {
        TKvDBGridEh* g = form->KvDBGridEh2;
        viewport = g->viewport()->height();
        row = g->rowHeight(0);
        shown = g->model()->rowCount();
        size = form->size();
        form->close();
    });
    QTest::mouseClick(window->SpeedButton2, Qt::LeftButton);
    ASSERT_GT(row, 0);
    EXPECT_GT(shown * row, viewport) << "more rows than room";
    EXPECT_EQ(viewport % row, 0) << viewport << " / " << row;
    EXPECT_EQ(size.width(), 431);
    EXPECT_GT(size.height(), 465 - row);
    EXPECT_LE(size.height(), 465);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(StudentCodes, TypedCodeIsSavedAtClosingAndShowsInTheJournal) {
    clickCell(1, QStringLiteral("student"));
    const int current = rowId(1);
    bool editingElsewhere = true;
    onModal<TForm7>([&](TForm7* form) {
        clickCodeCell(form, 0, QStringLiteral("s_fio"));
        editingElsewhere = form->KvDBGridEh2->Options().testFlag(dgEditing);
        clickCodeCell(form, 0, QStringLiteral("idid"));
        type("Z-1");
        form->close(); // the close box: the row is saved on the way out
    });
    QTest::mouseClick(window->SpeedButton2, Qt::LeftButton);

    EXPECT_FALSE(editingElsewhere) << "only the code column is editable";
    const db::Result r = admin->exec(QStringLiteral("SELECT idid FROM s_fio WHERE id_student = 8"));
    EXPECT_EQ(r.rows.at(0).at(0).toString(), QStringLiteral("Z-1"));
    EXPECT_TRUE(dataModule->StudentsChanged);
    {
        db::DisplayRowScope row(journal(), 0);
        EXPECT_EQ(journal().fieldByName(QStringLiteral("idid"))->text(), QStringLiteral("Z-1"))
            << "the journal shows the new code at once";
    }
    EXPECT_EQ(rowId(journal().recNo() - 1), current) << "refreshed in place";
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_TRUE(warnings.seen().isEmpty()) << warnings.seen().join('\n').toStdString();
}

// The codes window reopens the students unsorted after a save; the next discipline click
// reads and sorts them again instead of keeping the list it held for the group.
TEST_F(StudentCodes, AfterASavedCodeTheNextDisciplineClickReadsTheStudentsAgain) {
    onModal<TForm7>([&](TForm7* form) {
        clickCodeCell(form, 0, QStringLiteral("idid"));
        type("Z-1");
        form->close();
    });
    QTest::mouseClick(window->SpeedButton2, Qt::LeftButton);
    ASSERT_TRUE(dataModule->StudentsChanged);
    statements.clear();
    choose(window->DBLookupComboBox5, QStringLiteral("Математика"));
    EXPECT_TRUE(sent(QStringLiteral("from s_g")));
    db::DataSet& students = dataModule->ADOQ_s_fio;
    EXPECT_EQ(students.sortField(), QStringLiteral("s_fio"));
    QStringList names;
    for (int i = 0; i < students.visibleRowCount(); ++i) {
        db::DisplayRowScope row(students, i);
        names << students.fieldByName(QStringLiteral("s_fio"))->text() + u' ' +
                     students.fieldByName(QStringLiteral("idid"))->text();
    }
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("Андреев Андрей Z-1"), QStringLiteral("Петров Пётр A-7"),
                           QStringLiteral("Яковлев Яков ")}));
    EXPECT_TRUE(boxes.empty());
}

// The embedded server takes the empty "in()" that SQL Server refuses; either way the window
// opens with an empty list and the journal's display is resumed.
TEST_F(StudentCodes, EmptyJournalOpensAnEmptyList) {
    // The filter of failing marks only: none here.
    window->ComboBox1->setCurrentIndex(1);
    window->ComboBox1->activated(1);
    backToMainWindow();
    ASSERT_EQ(journal().recordCount(), 0);
    int rows = -1;
    onModal<TForm7>([&](TForm7* form) {
        rows = form->KvDBGridEh2->model()->rowCount();
        form->close();
    });
    QTest::mouseClick(window->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_FALSE(journal().controlsDisabled()) << "the journal's display is resumed";
    EXPECT_FALSE(dataModule->StudentsChanged);
}

} // namespace
