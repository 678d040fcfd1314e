// The data module: the one connection, every data set and data source, and the journal's rules.
#pragma once

#include "data/JournalSelection.h"
#include "data/JournalView.h"
#include "data/LoadingNotice.h"
#include "data/MessageHook.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QObject>

// Owns the connection ADO_TAZ and every data set for the whole run.
class TDM_TAZ_2 : public QObject {
    Q_OBJECT
public:
    explicit TDM_TAZ_2(QObject* parent = nullptr);
    ~TDM_TAZ_2() override;

    // The main window, once it exists; the journal handlers read its selectors and grid.
    void setJournalView(JournalView* view) { view_ = view; }
    JournalView* journalView() const { return view_; }

    db::Connection ADO_TAZ;

    db::DataSet ADOQ_group{db::DataSetKind::Query};
    db::DataSet ADOQ_g_sem{db::DataSetKind::Query};
    db::DataSet ADOQ_Discipline{db::DataSetKind::Query};
    db::DataSet ADOQ_Vremennyi{db::DataSetKind::Query};
    db::DataSet ADOQ_g_s{db::DataSetKind::Query};
    db::DataSet ADOQ_Year{db::DataSetKind::Query};
    db::DataSet ADOQ_t_fio{db::DataSetKind::Query};
    db::DataSet ADOQ_s_fio{db::DataSetKind::Query};
    db::DataSet ADOQ_estimation{db::DataSetKind::Query};
    db::DataSet ADOTSemestr{db::DataSetKind::Table};
    db::DataSet ADOT_f_est{db::DataSetKind::Table};
    db::DataSet ADOQ_Examination{db::DataSetKind::Query};
    db::DataSet ADOQ_EstimationOther{db::DataSetKind::Query};
    db::DataSet ADO_SP_Sort{db::DataSetKind::StoredProc};
    db::DataSet ADOQ_Buffer{db::DataSetKind::Query};
    db::DataSet ADOQ_del_discipline{db::DataSetKind::Query};
    db::DataSet ADOStoredProc1{db::DataSetKind::StoredProc};
    db::DataSet ADOQ_Exec{db::DataSetKind::Query};
    db::DataSet ADOQ_Students{db::DataSetKind::Query};
    db::DataSet ADOQEduc_sh{db::DataSetKind::Query};
    db::DataSet ADOQuery1{db::DataSetKind::Query};

    db::DataSource DS_group;
    db::DataSource DS_g_sem;
    db::DataSource DS_discipline;
    db::DataSource DataSource2;
    db::DataSource DS_SP_Sort;
    db::DataSource DS_Buffer;
    db::DataSource DS_Students;

    // Set when a student code has been posted; the main window clears and reads it.
    bool StudentsChanged = false;

    // The loading notice around the journal's opening; empty until the window layer installs it.
    data::LoadingNoticeHook LoadingNotice;
    // The boxes of the journal's handlers; empty until the window layer installs it.
    data::MessageHook ShowMessage;

    // What the selection cascade has chosen; the posting rule and the commands read it.
    const data::JournalSelection& selection() const { return selection_; }
    void setSelection(const data::JournalSelection& selection) { selection_ = selection; }

    void ADO_SP_SortBeforeOpen(db::DataSet& dataSet);
    void ADO_SP_SortAfterOpen(db::DataSet& dataSet);
    void ADO_SP_SortBeforeInsert(db::DataSet& dataSet);
    void ADO_SP_SortCalcFields(db::DataSet& dataSet);
    void ADO_SP_SortBeforePost(db::DataSet& dataSet);
    void ADO_SP_SortPostError(db::DataSet& dataSet, const db::DatabaseError& error,
                              db::DataAction& action);
    void ADOQ_StudentsBeforeInsert(db::DataSet& dataSet);
    void ADOQ_StudentsAfterPost(db::DataSet& dataSet);
    void DataModuleDestroy();
    // A post that lost the link but was found stored is told as such, not left unsaid.
    void tellWhenSavedDespiteLostLink(db::DataSet& dataSet);

private:
    void setUpStatements();
    void setUpParameters();
    void setUpJournalFields();
    void setUpBufferFields();
    void setUpHandlers();
    void show(const QString& text, const QString& caption, data::MessageKind kind) const;

    JournalView* view_ = nullptr;
    data::JournalSelection selection_;
};

// The single instance, set while it exists.
extern TDM_TAZ_2* DM_TAZ_2;
