// The selection cascade: group, semester, discipline and form of control, each step
// re-querying the lists below it.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/ValueCompare.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {

QString keyText(const QVariant& v) {
    return QString::number(v.toLongLong());
}

// Closes a list, gives it its new statement and opens it.
void requery(db::DataSet& ds, const QString& sql) {
    ds.close();
    ds.setSql(sql);
    ds.open();
}

bool hasRows(const db::DataSet& ds) {
    return ds.active() && ds.recordCount() > 0;
}

} // namespace

QString TForm2::semesterKeyText() const {
    // A group without semesters leaves no current semester row; 0 names no semester, so
    // the query finds nothing and the steps after it still run.
    const db::DataSet& list = DM_TAZ_2->ADOQ_g_sem;
    if (list.active() && list.recNo() > 0) {
        const db::Field* f = list.findField(QStringLiteral("id_semester"));
        if (f != nullptr && !f->isNull())
            return QString::number(f->value().toLongLong());
    }
    return QStringLiteral("0");
}

QString TForm2::groupRowKeyText() const {
    return DM_TAZ_2->ADOQ_group.fieldByName(QStringLiteral("id_group"))->text();
}

void TForm2::PostPendingJournalEdit() {
    if (DM_TAZ_2 == nullptr)
        return;
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    if (!journal.modified() && journal.state() != db::DataSetState::Edit)
        return;
    try {
        if (journal.state() == db::DataSetState::Browse)
            journal.edit();
        journal.post();
    } catch (const db::DatabaseError&) {
        // A failed post must never block a change of selection; the post-error handlers
        // have already told the user what they tell.
    } catch (const db::Abort&) {
    }
}

// A discipline's click does not change the group's students: reading and sorting them again
// took about a third of the click's time on a large group.
void TForm2::readGroupStudents(const QString& groupValue) {
    db::DataSet& students = DM_TAZ_2->ADOQ_s_fio;
    const QString key = groupValue + u'/' + keyText(DBLookupComboBox4->KeyValue());
    // Anyone who reopens the list (the codes window) loses its order, and it is read again.
    if (key == studentListKey_ && students.active() &&
        students.sortField() == QStringLiteral("s_fio"))
        return;
    studentListKey_.clear();
    requery(students, QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") +
                          groupValue +
                          QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid"));
    students.sortBy(QStringLiteral("s_fio"));
    studentListKey_ = key;
}

void TForm2::DoNavigation_2() {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    PostPendingJournalEdit();

    const QString groupValue = keyText(DBLookupComboBox3->KeyValue());
    requery(dm.ADOQ_Discipline, QStringLiteral(" SELECT id_group,  id_semester, p34, "
                                               "id_discipline FROM gr_sem_disc_exam WHERE  "
                                               "id_semester=") +
                                    semesterKeyText() + QStringLiteral(" and id_group=") +
                                    groupRowKeyText() +
                                    QStringLiteral(" GROUP BY id_group, id_semester, p34, "
                                                   "id_discipline"));
    requery(dm.ADOQ_g_sem, QStringLiteral("Select id_semester, p43, id_rate from g_sem where  "
                                          "id_group=") +
                               groupValue + QStringLiteral(" GROUP BY id_semester, p43, id_rate"));
    readGroupStudents(groupValue);
    dm.ADOQ_t_fio.sortBy(QStringLiteral("t_fio"));
    dm.ADOQ_Discipline.sortBy(QStringLiteral("p34"));

    DBLookupListBox1->setListSource(DBLookupComboBox5->Text().isEmpty() ? nullptr
                                                                        : &dm.DataSource2);

    const bool groupSet = !db::isNullValue(DBLookupComboBox3->KeyValue());
    const bool semesterSet = !db::isNullValue(DBLookupComboBox4->KeyValue());
    if (groupSet && semesterSet) {
        requery(dm.ADOQ_Year, QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=") +
                                  groupValue + QStringLiteral(" and id_rate=") +
                                  dm.ADOQ_g_sem.fieldByName(QStringLiteral("id_rate"))->text());
        InfoPanel->setText(
            QStringLiteral(" [") + dm.ADOQ_g_s.fieldByName(QStringLiteral("spec"))->text() +
            QStringLiteral("]") + QStringLiteral(" [") +
            dm.ADOQ_Year.fieldByName(QStringLiteral("p32"))->text() + QStringLiteral("]"));
    } else if (groupSet) {
        InfoPanel->setText(QStringLiteral(" [") +
                           dm.ADOQ_g_s.fieldByName(QStringLiteral("spec"))->text() +
                           QStringLiteral("]"));
    }
}

void TForm2::DBLookupComboBox3Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    SpeedButton2->setEnabled(false);
    DBLookupComboBox4->setKeyValue(QVariant());
    DBLookupComboBox5->setKeyValue(QVariant());
    dm.ADOQ_Discipline.close();
    dm.ADOQ_Vremennyi.close();
    ComboBox1->setEnabled(false);
    studentListKey_.clear();
    if (db::isNullValue(DBLookupComboBox3->KeyValue()))
        return;
    DBGridEh2->setDataSource(nullptr);
    requery(dm.ADOQ_g_s, QStringLiteral("Select * from g_s where id_group=") +
                             keyText(DBLookupComboBox3->KeyValue()));
    DoNavigation_2();
    DBLookupComboBox4->setEnabled(true);
    DBLookupComboBox5->setKeyValue(QVariant());
    DBLookupComboBox5->setEnabled(hasRows(dm.ADOQ_Discipline));
}

void TForm2::DBLookupComboBox4Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    SpeedButton2->setEnabled(false);
    dm.ADOQ_Vremennyi.close();
    dm.ADOQ_Discipline.close();
    ComboBox1->setEnabled(false);
    studentListKey_.clear();
    if (db::isNullValue(DBLookupComboBox4->KeyValue()))
        return;
    DBGridEh2->setDataSource(nullptr);
    DoNavigation_2();
    DBLookupComboBox5->setKeyValue(QVariant());
    DBLookupComboBox5->setEnabled(hasRows(dm.ADOQ_Discipline));
}

void TForm2::refreshDisciplineList() {
    requery(DM_TAZ_2->ADOQ_Discipline,
            QStringLiteral(" SELECT id_group, id_semester, p34, id_discipline FROM "
                           "gr_sem_disc_exam WHERE  id_semester=") +
                semesterKeyText() + QStringLiteral(" and id_group=") + groupRowKeyText() +
                QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"));
}

void TForm2::DBLookupComboBox5MouseDown(QObject*, Qt::MouseButton, TShiftState, int, int) {
    refreshDisciplineList();
}

void TForm2::DBLookupComboBox5KeyDown(QObject*, quint16&, TShiftState) {
    refreshDisciplineList();
}

void TForm2::DBLookupComboBox5Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    SpeedButton2->setEnabled(false);
    ComboBox1->setEnabled(false);
    if (DBLookupComboBox3->Text().isEmpty() || DBLookupComboBox4->Text().isEmpty() ||
        DBLookupComboBox5->Text().isEmpty())
        return;
    DBGridEh2->setDataSource(nullptr);
    DoNavigation_2();
    DBLookupListBox1->setKeyValue(QVariant());
    requery(dm.ADOQ_Vremennyi,
            QStringLiteral("select id_examination, p30 from gr_sem_disc_exam  where "
                           "id_discipline=") +
                keyText(DBLookupComboBox5->KeyValue()) + QStringLiteral(" and id_semester=") +
                keyText(DBLookupComboBox4->KeyValue()) + QStringLiteral(" and id_group=") +
                keyText(DBLookupComboBox3->KeyValue()) +
                QStringLiteral(" GROUP BY id_examination, p30"));
    DisciplineChosen = 1;
    if (hasRows(dm.ADOQ_Vremennyi)) {
        dm.ADOQ_Vremennyi.first();
        DBLookupListBox1->setKeyValue(
            dm.ADOQ_Vremennyi.fieldByName(QStringLiteral("id_examination"))->value());
        DBLookupListBox1Click(DBLookupListBox1);
    }
}

void TForm2::DBLookupListBox1Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    SpeedButton2->setEnabled(false);
    if (DBLookupComboBox3->Text().isEmpty() || DBLookupComboBox4->Text().isEmpty() ||
        DBLookupComboBox5->Text().isEmpty())
        return;
    if (DBGridEh2->DataSource() == nullptr)
        requery(dm.ADOQ_estimation, QStringLiteral("Select * from est2 where id_examination=") +
                                        keyText(DBLookupListBox1->KeyValue()));
    requery(dm.ADOQ_Discipline,
            QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, "
                           "id_discipline FROM gr_sem_disc_exam WHERE  id_semester=") +
                semesterKeyText() + QStringLiteral(" and id_group=") + groupRowKeyText() +
                QStringLiteral(" GROUP BY id_group, id_examination, p30, id_semester, p34, "
                               "id_discipline"));
    ComboBox1->setEnabled(true);
    ComboBox1Change(ComboBox1);
}

void TForm2::DBLookupComboBox3Enter(QObject*) {
    PostPendingJournalEdit();
}

void TForm2::DBLookupComboBox4Enter(QObject*) {
    PostPendingJournalEdit();
}

void TForm2::DBLookupComboBox5Enter(QObject*) {
    PostPendingJournalEdit();
}

void TForm2::DBLookupListBox1Enter(QObject*) {
    PostPendingJournalEdit();
}
