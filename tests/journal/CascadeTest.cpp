// The selection cascade on a small database: its statements in order and the window after
// each choice.
#include "support/MainWindowFixture.h"

#include <QLabel>

#include <algorithm>

namespace {

using testsupport::MainWindowFixture;

// What a user sees of the selectors, the filter, the codes button and the grid.
struct WindowState {
    bool groupEnabled, semesterEnabled, disciplineEnabled, filterEnabled, codesEnabled, bound;
};

void expectState(const TForm2& w, const WindowState& s, const char* row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(w.DBLookupComboBox3->isEnabled(), s.groupEnabled);
    EXPECT_EQ(w.DBLookupComboBox4->isEnabled(), s.semesterEnabled);
    EXPECT_EQ(w.DBLookupComboBox5->isEnabled(), s.disciplineEnabled);
    EXPECT_TRUE(w.DBLookupListBox1->isEnabled());
    EXPECT_EQ(w.ComboBox1->isEnabled(), s.filterEnabled);
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("Показать всех"));
    EXPECT_EQ(w.SpeedButton2->isEnabled(), s.codesEnabled);
    EXPECT_EQ(w.DBGridEh2->DataSource() != nullptr, s.bound);
}

// The discipline list as the group and semester steps query it, and as the box refreshes it.
QString disciplines(const QString& s, const QString& g, bool refresh = false) {
    return (refresh ? QStringLiteral(" SELECT id_group, id_semester, p34, id_discipline FROM ")
                    : QStringLiteral(" SELECT id_group,  id_semester, p34, id_discipline FROM ")) +
           QStringLiteral("gr_sem_disc_exam WHERE  id_semester=") + s +
           QStringLiteral(" and id_group=") + g +
           QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline");
}

std::vector<QString> navigation(const QString& s, const QString& g) {
    return {disciplines(s, g),
            QStringLiteral("Select id_semester, p43, id_rate from g_sem where  id_group=") + g +
                QStringLiteral(" GROUP BY id_semester, p43, id_rate"),
            QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") + g +
                QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid")};
}

// A discipline's click, which keeps the students its group and semester already read.
std::vector<QString> withoutStudents(std::vector<QString> statements) {
    statements.pop_back();
    return statements;
}

std::vector<QString> operator+(std::vector<QString> a, const std::vector<QString>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(MainWindowFixture, CascadeRunsItsStatementsInOrderAndWalksTheStateTable) {
    TForm2& w = openMainWindow();
    expectState(w, {true, false, false, false, false, false}, "after sign-in");
    EXPECT_EQ(w.DBLookupListBox1->count(), 0);
    EXPECT_EQ(w.InfoPanel->text(), QString());
    // The groups come ordered by name, whatever order the server gave.
    QStringList groups;
    for (int i = 0; i < w.DBLookupComboBox3->count(); ++i)
        groups << w.DBLookupComboBox3->itemText(i);
    EXPECT_EQ(groups, (QStringList{QStringLiteral("АА-01"), QStringLiteral("ИВТ-21"),
                                   QStringLiteral("ФИЗ-11")}));

    // The first group choice takes S from the first row of the whole semester list.
    const QString firstSemester =
        dataModule->ADOQ_g_sem.fieldByName(QStringLiteral("id_semester"))->text();
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    EXPECT_EQ(statements,
              std::vector<QString>{QStringLiteral("Select * from g_s where id_group=5")} +
                  navigation(firstSemester, QStringLiteral("5")));
    expectState(w, {true, true, firstSemester == QStringLiteral("2"), false, false, false},
                "group chosen");
    EXPECT_EQ(w.DBLookupComboBox4->Text(), QString());
    EXPECT_EQ(w.DBLookupComboBox4->count(), 1);
    EXPECT_EQ(w.InfoPanel->text(), QStringLiteral(" [Информатика]"));

    statements.clear();
    choose(w.DBLookupComboBox4, QStringLiteral("Весенний"));
    EXPECT_EQ(statements,
              navigation(QStringLiteral("2"), QStringLiteral("5")) +
                  std::vector<QString>{QStringLiteral("Select top (1) g_r_y.* from g_r_y  where "
                                                      "id_group=5 and id_rate=1")});
    expectState(w, {true, true, true, false, false, false}, "semester chosen");
    EXPECT_EQ(w.DBLookupComboBox5->Text(), QString());
    EXPECT_EQ(w.DBLookupListBox1->count(), 0) << "the form list is detached";
    EXPECT_EQ(w.InfoPanel->text(), QStringLiteral(" [Информатика] [2023-2024]"));

    statements.clear();
    choose(w.DBLookupComboBox5, QStringLiteral("Математика"));
    const std::vector<QString> expected =
        std::vector<QString>{disciplines(QStringLiteral("2"), QStringLiteral("5"), true)} +
        // The group's students were read with the semester.
        withoutStudents(navigation(QStringLiteral("2"), QStringLiteral("5"))) +
        std::vector<QString>{
            QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=5 and id_rate=1"),
            QStringLiteral("select id_examination, p30 from gr_sem_disc_exam  where "
                           "id_discipline=11 and id_semester=2 and id_group=5 GROUP BY "
                           "id_examination, p30"),
            QStringLiteral("Select * from est2 where id_examination=1"),
            QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, "
                           "id_discipline FROM gr_sem_disc_exam WHERE  id_semester=2 and "
                           "id_group=5 GROUP BY id_group, id_examination, p30, id_semester, "
                           "p34, id_discipline"),
            // The special marks, their parameter bound.
            dataModule->ADOQ_EstimationOther.sql().replace(QStringLiteral(":id_speciality"),
                                                           QStringLiteral("?")),
            QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 5,2,11,1,1"),
            QStringLiteral("SORT_MARK_MAG;1")};
    // The mouse press on the discipline box refreshes its list before the choice.
    EXPECT_EQ(statements, expected);
    expectState(w, {true, true, true, true, true, true}, "journal shown");
    EXPECT_EQ(w.DBGridEh2->DataSource(), &dataModule->DS_SP_Sort);
    EXPECT_EQ(w.DBLookupListBox1->Text(), QStringLiteral("Экзамен"));
    EXPECT_EQ(journalStudents(),
              (QStringList{QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр"),
                           QStringLiteral("Яковлев Яков")}));
    EXPECT_TRUE(w.F2_Kv_DM_TAZ_2->Active());
    EXPECT_TRUE(boxes.empty());

    // A new group drops the journal and returns to the group row.
    choose(w.DBLookupComboBox3, QStringLiteral("ФИЗ-11"));
    expectState(w, {true, true, false, false, false, false}, "another group chosen");
    EXPECT_EQ(w.DBLookupComboBox5->Text(), QString());
    EXPECT_EQ(w.DBLookupListBox1->count(), 0);
    EXPECT_EQ(w.InfoPanel->text(), QStringLiteral(" [Физика]"));
    choose(w.DBLookupComboBox4, QStringLiteral("Осенний"));
    expectState(w, {true, true, true, false, false, false}, "its semester chosen");
    EXPECT_EQ(w.InfoPanel->text(), QStringLiteral(" [Физика] []"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, GroupWithoutSemestersStillLeadsToTheNextGroupsDisciplines) {
    TForm2& w = openMainWindow();
    choose(w.DBLookupComboBox3, QStringLiteral("АА-01"));
    expectState(w, {true, true, false, false, false, false}, "group without semesters");
    EXPECT_EQ(w.DBLookupComboBox4->count(), 0);
    EXPECT_TRUE(boxes.empty());

    // No semester row is current now; the next group's query finds nothing, but its
    // semesters are there to choose.
    statements.clear();
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    EXPECT_EQ(statements.at(1), disciplines(QStringLiteral("0"), QStringLiteral("5")));
    expectState(w, {true, true, false, false, false, false}, "group after the empty one");
    choose(w.DBLookupComboBox4, QStringLiteral("Весенний"));
    expectState(w, {true, true, true, false, false, false}, "its semester");
    choose(w.DBLookupComboBox5, QStringLiteral("Математика"));
    expectState(w, {true, true, true, true, true, true}, "journal shown");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, AnyKeyOnTheDisciplineBoxBringsBackOneRowPerDiscipline) {
    TForm2& w = openMainWindow();
    chooseFixtureJournal();
    // After a form of control the list holds a row per discipline and form.
    EXPECT_EQ(dataModule->ADOQ_Discipline.recordCount(), 2);
    statements.clear();
    QTest::keyClick(w.DBLookupComboBox5, Qt::Key_Right);
    EXPECT_EQ(statements,
              std::vector<QString>{disciplines(QStringLiteral("2"), QStringLiteral("5"), true)});
    EXPECT_EQ(dataModule->ADOQ_Discipline.recordCount(), 1);
    EXPECT_EQ(w.DBLookupComboBox5->Text(), QStringLiteral("Математика"));
    EXPECT_EQ(w.DBGridEh2->DataSource(), &dataModule->DS_SP_Sort) << "the journal stays";
}

TEST_F(MainWindowFixture, DisciplineChosenBeforeASemesterDoesNothingMore) {
    TForm2& w = openMainWindow();
    ASSERT_EQ(dataModule->ADOQ_g_sem.fieldByName(QStringLiteral("id_semester"))->text(),
              QStringLiteral("2"))
        << "the fixture's first semester row is group 5's";
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    ASSERT_TRUE(w.DBLookupComboBox5->isEnabled());
    statements.clear();
    choose(w.DBLookupComboBox5, QStringLiteral("Математика"));
    // Only the box's own refresh ran, from the group's first semester row.
    EXPECT_EQ(statements,
              std::vector<QString>{disciplines(QStringLiteral("2"), QStringLiteral("5"), true)});
    expectState(w, {true, true, true, false, false, false}, "discipline without semester");
    EXPECT_EQ(w.InfoPanel->text(), QStringLiteral(" [Информатика]"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowFixture, ServerErrorEndsTheGroupStepWhereItArose) {
    TForm2& w = openMainWindow();
    asOwner({QStringLiteral("DROP VIEW s_g")});
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 5000));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.front().text.contains(QStringLiteral("s_g")))
        << boxes.front().text.toStdString();
    // The group and semester lists were re-queried; the later steps never ran.
    EXPECT_EQ(w.DBLookupComboBox4->count(), 1);
    EXPECT_FALSE(w.DBLookupComboBox4->isEnabled());
    EXPECT_EQ(w.InfoPanel->text(), QString());
}

} // namespace

// The group's students are read and ordered once for a group and semester: further discipline
// clicks reuse them, a new group or semester reads them again, and the journal's names and the
// list's order stay right throughout.
TEST_F(MainWindowFixture, StudentListIsReadOncePerGroupAndSemester) {
    asOwner({QStringLiteral("INSERT INTO educ_sh(id_group, id_semester, id_discipline, "
                            "id_examination) VALUES(5, 2, 12, 1), (6, 3, 11, 2)"),
             QStringLiteral("INSERT INTO s_fio VALUES(10, 'Борисов Борис', 'B-10'), "
                            "(11, 'Аристов Ариан', 'B-11')"),
             QStringLiteral("INSERT INTO group_student VALUES(6, 10), (6, 11)")});
    TForm2& w = openMainWindow();
    const auto studentReads = [this] {
        return std::count_if(statements.begin(), statements.end(), [](const QString& s) {
            return s.startsWith(QStringLiteral("Select id_student, s_fio, idid from s_g"));
        });
    };
    const auto listed = [this] {
        QStringList names;
        db::DataSet& s = dataModule->ADOQ_s_fio;
        for (int i = 0; i < s.visibleRowCount(); ++i) {
            db::DisplayRowScope row(s, i);
            names << s.fieldByName(QStringLiteral("s_fio"))->text();
        }
        return names;
    };
    const QStringList group5{QStringLiteral("Андреев Андрей"), QStringLiteral("Петров Пётр"),
                             QStringLiteral("Яковлев Яков")};
    choose(w.DBLookupComboBox3, QStringLiteral("ИВТ-21"));
    statements.clear();
    choose(w.DBLookupComboBox4, QStringLiteral("Весенний"));
    for (const char* discipline : {"Математика", "Физика", "Математика", "Физика"}) {
        SCOPED_TRACE(discipline);
        choose(w.DBLookupComboBox5, QString::fromUtf8(discipline));
        EXPECT_EQ(w.DBGridEh2->DataSource(), &dataModule->DS_SP_Sort);
        EXPECT_EQ(journalStudents(), group5);
        EXPECT_EQ(listed(), group5);
    }
    EXPECT_EQ(studentReads(), 1) << "read by the semester's choice only";

    statements.clear();
    choose(w.DBLookupComboBox3, QStringLiteral("ФИЗ-11"));
    EXPECT_EQ(studentReads(), 1) << "a new group reads its students";
    const QStringList group6{QStringLiteral("Аристов Ариан"), QStringLiteral("Борисов Борис")};
    EXPECT_EQ(listed(), group6);
    statements.clear();
    choose(w.DBLookupComboBox4, QStringLiteral("Осенний"));
    EXPECT_EQ(studentReads(), 1) << "so does a new semester";
    statements.clear();
    choose(w.DBLookupComboBox5, QStringLiteral("Математика"));
    EXPECT_EQ(studentReads(), 0);
    EXPECT_EQ(journalStudents(), group6);
    EXPECT_EQ(listed(), group6);
    EXPECT_TRUE(boxes.empty());
}
