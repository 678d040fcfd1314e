// The selection cascade: group, semester, discipline and form of control, each step having
// the session re-read the lists below it.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/ValueCompare.h"
#include "session/JournalSession.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {

bool hasRows(const db::DataSet& ds) {
    return ds.active() && ds.recordCount() > 0;
}

} // namespace

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

void TForm2::DoNavigation_2() {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    PostPendingJournalEdit();

    session_->readDisciplines();
    session_->readSemesters();
    session_->readGroupStudents();
    dm.ADOQ_t_fio.sortBy(QStringLiteral("t_fio"));
    dm.ADOQ_Discipline.sortBy(QStringLiteral("p34"));

    DBLookupListBox1->setListSource(DBLookupComboBox5->Text().isEmpty() ? nullptr
                                                                        : &dm.DataSource2);

    if (const std::optional<QString> info = session_->readStudyYear())
        InfoPanel->setText(*info);
}

void TForm2::DBLookupComboBox3Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    SpeedButton2->setEnabled(false);
    DBLookupComboBox4->setKeyValue(QVariant());
    DBLookupComboBox5->setKeyValue(QVariant());
    dm.ADOQ_Discipline.close();
    dm.ADOQ_Vremennyi.close();
    ComboBox1->setEnabled(false);
    session_->forgetStudents();
    if (db::isNullValue(DBLookupComboBox3->KeyValue()))
        return;
    DBGridEh2->setDataSource(nullptr);
    session_->readGroupSpeciality();
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
    session_->forgetStudents();
    if (db::isNullValue(DBLookupComboBox4->KeyValue()))
        return;
    DBGridEh2->setDataSource(nullptr);
    DoNavigation_2();
    DBLookupComboBox5->setKeyValue(QVariant());
    DBLookupComboBox5->setEnabled(hasRows(dm.ADOQ_Discipline));
}

void TForm2::DBLookupComboBox5MouseDown(QObject*, Qt::MouseButton, TShiftState, int, int) {
    session_->refreshDisciplines();
}

void TForm2::DBLookupComboBox5KeyDown(QObject*, quint16&, TShiftState) {
    session_->refreshDisciplines();
}

void TForm2::DBLookupComboBox5Click(QObject*) {
    SpeedButton2->setEnabled(false);
    ComboBox1->setEnabled(false);
    if (DBLookupComboBox3->Text().isEmpty() || DBLookupComboBox4->Text().isEmpty() ||
        DBLookupComboBox5->Text().isEmpty())
        return;
    DBGridEh2->setDataSource(nullptr);
    DoNavigation_2();
    DBLookupListBox1->setKeyValue(QVariant());
    const std::optional<QVariant> firstForm = session_->readFormsOfControl();
    DisciplineChosen = 1;
    if (firstForm) {
        DBLookupListBox1->setKeyValue(*firstForm);
        DBLookupListBox1Click(DBLookupListBox1);
    }
}

void TForm2::DBLookupListBox1Click(QObject*) {
    SpeedButton2->setEnabled(false);
    if (DBLookupComboBox3->Text().isEmpty() || DBLookupComboBox4->Text().isEmpty() ||
        DBLookupComboBox5->Text().isEmpty())
        return;
    if (DBGridEh2->DataSource() == nullptr)
        session_->readMarksOfForm();
    session_->readDisciplinesWithForms();
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
