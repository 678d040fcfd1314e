// The journal's work for the signed-in user, without any window: the steps of a journal
// row's post and deletion in their one order, the audit records and the undo history.
#pragma once

#include "db/DataSet.h"
#include "history/log_u.h"
#include "session/AuditRecords.h"
#include "session/EditHistory.h"

#include <QDate>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class TDM_TAZ_2;

namespace session {

class JournalSession {
public:
    // Takes over the journal data set's post, deletion, error and open steps until destroyed.
    JournalSession(TDM_TAZ_2& dataModule, std::function<QString()> login,
                   std::function<QString()> computer);
    ~JournalSession();
    JournalSession(const JournalSession&) = delete;
    JournalSession& operator=(const JournalSession&) = delete;

    TADOUpdateHistoryExec& recorder() { return recorder_; }
    EditHistory& history() { return history_; }
    const AuditRecords& records() const { return records_; }

    // A journal row's post, in order: the recorder compares and reports the user's changes
    // (so that what the posting rule sets is never reported), the posting rule, the undo
    // capture; then the write and its records in one transaction; then the undo step.
    void beforePost(db::DataSet& journal);
    void whilePosting(db::DataSet& journal);
    void afterPost(db::DataSet& journal);
    void postError(db::DataSet& journal, const db::DatabaseError& error, db::DataAction& action);
    void editError(db::DataSet& journal, const db::DatabaseError& error, db::DataAction& action);
    // A deletion: the row's image reported, then the delete and its record in one transaction.
    void beforeDelete(db::DataSet& journal);
    void whileDeleting(db::DataSet& journal);
    void afterDelete(db::DataSet& journal);
    // A reopened journal shows rows of another selection: there is nothing left to undo.
    void afterOpen(db::DataSet& journal);

    // Takes this user's last step back, whole or not at all; what went wrong, or empty.
    QString undoLastStep();

    // The selection cascade's lists. The discipline lists follow the rows the group and
    // semester lists stand on; the others follow the chosen keys.
    void readGroupSpeciality();
    void readDisciplines();
    void refreshDisciplines();
    void readDisciplinesWithForms();
    void readSemesters();
    // Read and sorted once per group and semester, until forgotten.
    void readGroupStudents();
    void forgetStudents() { studentListKey_.clear(); }
    // The study year of the chosen group and semester, and the information line they make;
    // none while no group is chosen.
    std::optional<QString> readStudyYear();
    // The chosen discipline's forms of control; the first one's key, if any.
    std::optional<QVariant> readFormsOfControl();
    void readMarksOfForm();

    // The chosen journal: the marks other than the usual ones for the group's speciality, the
    // rows prepared on the server, and the rows read with a filter condition.
    void readOtherMarks();
    void prepareJournal(int disciplineChosen);
    void openJournal(const QString& condition);

    // Writes the day, at midnight, as the hand-in date of every row of the form "Ведомость",
    // as one step to take back; a refused row ends the run there and is thrown.
    void setHandInDate(const QDate& day);

    // The chosen journal's deleted marks, opened in the data module's buffer; their number.
    int openDeletedMarks();
    void saveRestoreTicks();
    void closeDeletedMarks();

private:
    QString undoObstacle(const EditStep& step);
    QString semesterRowKey() const;
    QString groupRowKey() const;

    TDM_TAZ_2& dm_;
    AuditRecords records_;
    TADOUpdateHistoryExec recorder_;
    EditHistory history_{QStringLiteral("id_mark_mag")};
    db::DataSet::Notify savedBeforePost_, savedWhilePosting_, savedAfterPost_;
    db::DataSet::Notify savedBeforeDelete_, savedWhileDeleting_, savedAfterDelete_;
    db::DataSet::Notify savedAfterOpen_;
    db::DataSet::ErrorEvent savedPostError_, savedEditError_;
    // The group and semester whose student list is read and sorted; empty when it must be
    // read again.
    QString studentListKey_;
};

} // namespace session
