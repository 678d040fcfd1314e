#include "session/JournalSession.h"

#include "data/Unit_2_1.h"

namespace session {

JournalSession::JournalSession(TDM_TAZ_2& dataModule, std::function<QString()> login,
                               std::function<QString()> computer)
    : dm_(dataModule)
    , records_(dataModule.ADOQ_Exec, std::move(login), std::move(computer)) {
    db::DataSet& journal = dm_.ADO_SP_Sort;
    recorder_.OnFieldChanged = [this](const QString& d, db::DataSet& ds, const QString& t,
                                      const QString& k,
                                      QStringList& s) { records_.addChange(d, ds, t, k, s); };
    recorder_.OnRowDeleted = [this](const QString& i, db::DataSet& ds, const QString& t,
                                    const QString& k,
                                    QStringList& s) { records_.addDeletion(i, ds, t, k, s); };
    recorder_.OnExecute = [this](const QStringList& s) { records_.run(s); };
    recorder_.MessageTemplate =
        QStringLiteral("Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".");
    recorder_.Follow(&journal, QStringLiteral("mark_mag"), QStringLiteral("id_mark_mag"), true,
                     true);

    savedBeforePost_ = journal.beforePost;
    savedWhilePosting_ = journal.whilePosting;
    savedAfterPost_ = journal.afterPost;
    savedBeforeDelete_ = journal.beforeDelete;
    savedWhileDeleting_ = journal.whileDeleting;
    savedAfterDelete_ = journal.afterDelete;
    savedAfterOpen_ = journal.afterOpen;
    savedPostError_ = journal.onPostError;
    savedEditError_ = journal.onEditError;
    journal.beforePost = [this](db::DataSet& ds) { beforePost(ds); };
    journal.whilePosting = [this](db::DataSet& ds) { whilePosting(ds); };
    journal.afterPost = [this](db::DataSet& ds) { afterPost(ds); };
    journal.beforeDelete = [this](db::DataSet& ds) { beforeDelete(ds); };
    journal.whileDeleting = [this](db::DataSet& ds) { whileDeleting(ds); };
    journal.afterDelete = [this](db::DataSet& ds) { afterDelete(ds); };
    journal.afterOpen = [this](db::DataSet& ds) { afterOpen(ds); };
    journal.onPostError = [this](db::DataSet& ds, const db::DatabaseError& e,
                                 db::DataAction& action) { postError(ds, e, action); };
    journal.onEditError = [this](db::DataSet& ds, const db::DatabaseError& e,
                                 db::DataAction& action) { editError(ds, e, action); };
}

JournalSession::~JournalSession() {
    db::DataSet& journal = dm_.ADO_SP_Sort;
    journal.beforePost = savedBeforePost_;
    journal.whilePosting = savedWhilePosting_;
    journal.afterPost = savedAfterPost_;
    journal.beforeDelete = savedBeforeDelete_;
    journal.whileDeleting = savedWhileDeleting_;
    journal.afterDelete = savedAfterDelete_;
    journal.afterOpen = savedAfterOpen_;
    journal.onPostError = savedPostError_;
    journal.onEditError = savedEditError_;
}

void JournalSession::beforePost(db::DataSet& journal) {
    recorder_.reportChanges(journal);
    dm_.ADO_SP_SortBeforePost(journal);
    history_.captureRow(journal);
}

void JournalSession::whilePosting(db::DataSet&) {
    recorder_.runRecords();
}

void JournalSession::afterPost(db::DataSet& journal) {
    recorder_.dropRecords();
    history_.keepStep();
    dm_.tellWhenSavedDespiteLostLink(journal);
}

void JournalSession::postError(db::DataSet& journal, const db::DatabaseError& error,
                               db::DataAction& action) {
    // The first refusal goes on to the caller with the server's text; the recorder stays on.
    if (recorder_.takeRefusal())
        return;
    dm_.ADO_SP_SortPostError(journal, error, action);
}

void JournalSession::editError(db::DataSet&, const db::DatabaseError&, db::DataAction&) {
    recorder_.takeRefusal();
}

void JournalSession::beforeDelete(db::DataSet& journal) {
    recorder_.reportDeletion(journal);
}

void JournalSession::whileDeleting(db::DataSet&) {
    recorder_.runRecords();
}

void JournalSession::afterDelete(db::DataSet&) {
    recorder_.dropRecords();
}

void JournalSession::afterOpen(db::DataSet& journal) {
    history_.clear();
    dm_.ADO_SP_SortAfterOpen(journal);
}

} // namespace session
