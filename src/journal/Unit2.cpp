// The main window's creation, closing, status panel and what the data module reads of it.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/DateTimePicker.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/DataModuleMessages.h"
#include "journal/StatusBar.h"
#include "platform/ApplicationState.h"
#include "platform/ComputerName.h"
#include "platform/IPWatch.h"
#include "session/JournalSession.h"
#include "signin/Unit10.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QToolButton>

TForm2::TForm2(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("KEL 14 Учет успеваемости"));
    FormCreate();
}

void TForm2::buildWindow() {
    buildLayout();
    IdIPWatch1 = new platform::IPWatch(this);
    IdIPWatch1->setObjectName(QStringLiteral("IdIPWatch1"));
    IdIPWatch1->setHistoryFile(QStringLiteral("iphist.dat"));
    connectHandlers();
    if (DM_TAZ_2 != nullptr) {
        DM_TAZ_2->setJournalView(this);
        DM_TAZ_2->ShowMessage = journal::dataModuleMessages();
    }
}

TForm2::~TForm2() {
    // The session gives the journal its handlers back before the window goes.
    session_.reset();
    if (DM_TAZ_2 != nullptr && DM_TAZ_2->journalView() == this)
        DM_TAZ_2->setJournalView(nullptr);
    // The component lets go of the grid before either goes.
    delete F2_Kv_DM_TAZ_2;
    F2_Kv_DM_TAZ_2 = nullptr;
}

void TForm2::FormCreate() {
    // The main window stays hidden until someone has signed in; only cancel ends the gate.
    const QDateTime opened = QDateTime::currentDateTime();
    Form8 = new TForm8(signin::SignInState{UserLogin, UserId});
    const int result = Form8->exec();
    if (result != TForm8::ModalOk)
        platform::requestTermination();
    delete Form8;
    Form8 = nullptr;
    // The hidden window's controls are made once the sign-in has ended, so that the sign-in
    // window comes up without waiting for them; nothing the sign-in opens reaches them.
    buildWindow();
    DateTimePicker1->setDateTimeValue(opened);

    if (DM_TAZ_2 != nullptr) {
        try {
            DM_TAZ_2->ADOQ_group.sortBy(QStringLiteral("p20"));
        } catch (const db::DatabaseError&) {
            // The list is closed after a cancelled sign-in; nothing to order then.
        }
        F2_Kv_DM_TAZ_2->KeyFieldList.Add(
            DM_TAZ_2->ADO_SP_Sort.fieldByName(QStringLiteral("id_student")));
        F2_Kv_DM_TAZ_2->KeyFieldList.Add(
            DM_TAZ_2->ADO_SP_Sort.fieldByName(QStringLiteral("id_examination")));
    }
    // Qt paints every widget double-buffered already.
    CompName = platform::computerName(101);
    startSession();
}

void TForm2::closeEvent(QCloseEvent* event) {
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm2::FormClose() {
    // A value still in the cell's editor is a pending change too.
    try {
        DBGridEh2->commitPendingEdit();
    } catch (const std::exception&) {
        // As with a failed post: the window closes anyway.
    }
    PostPendingJournalEdit();
}

void TForm2::UpdateCurrentRecordPanel() {
    db::DataSet* ds = DBGridEh2->dataSet();
    if (DBGridEh2->DataSource() == nullptr || ds == nullptr || !ds->active())
        return;
    const int recNo = ds->recNo();
    StatusBar1->setPanelText(1, recNo == -1
                                    ? QStringLiteral(" Текущая запись: [новая]")
                                    : QStringLiteral(" Текущая запись: ") + QString::number(recNo));
}

std::optional<qint32> TForm2::selectorKey(JournalSelector selector) const {
    QVariant key;
    switch (selector) {
    case JournalSelector::Group:
        key = DBLookupComboBox3->KeyValue();
        break;
    case JournalSelector::Semester:
        key = DBLookupComboBox4->KeyValue();
        break;
    case JournalSelector::Discipline:
        key = DBLookupComboBox5->KeyValue();
        break;
    case JournalSelector::FormOfControl:
        key = DBLookupListBox1->KeyValue();
        break;
    }
    if (db::isNullValue(key))
        return std::nullopt;
    bool ok = false;
    const qint32 value = key.toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

void TForm2::enableSelector(JournalSelector selector) {
    switch (selector) {
    case JournalSelector::Group:
        DBLookupComboBox3->setEnabled(true);
        break;
    case JournalSelector::Semester:
        DBLookupComboBox4->setEnabled(true);
        break;
    case JournalSelector::Discipline:
        DBLookupComboBox5->setEnabled(true);
        break;
    case JournalSelector::FormOfControl:
        DBLookupListBox1->setEnabled(true);
        break;
    }
}

db::DataSource* TForm2::journalGridSource() const {
    return DBGridEh2->DataSource();
}

QString TForm2::currentColumnTitle() const {
    const TColumnEh* column = DBGridEh2->currentColumn();
    return column != nullptr ? column->TitleCaption : QString();
}
