// The journal's commands that work on many rows: the bulk hand-in date and the list of deleted
// marks that can come back.
#include "session/JournalSession.h"

#include "data/Unit_2_1.h"

#include <QDateTime>

namespace session {

namespace {

constexpr int StatementForm = 1; // "Ведомость"

QString keyText(const std::optional<qint32>& key) {
    return key ? QString::number(*key) : QString();
}

} // namespace

void JournalSession::setHandInDate(const QDate& day) {
    db::DataSet& journal = dm_.ADO_SP_Sort;
    if (!journal.active())
        return;
    // A refused post ends the run at its row; the grid repaints however it ends.
    db::ControlsDisabled quiet(journal);
    // The rows written are one change to take back.
    EditHistory::Group step(history_);
    const db::Bookmark remembered = journal.bookmark();
    db::Field* form = journal.fieldByName(QStringLiteral("id_f_est"));
    db::Field* handedIn = journal.fieldByName(QStringLiteral("p36"));
    const QDateTime midnight(day, QTime(0, 0));
    for (journal.first(); !journal.eof(); journal.next()) {
        if (form->isNull() || form->value().toInt() != StatementForm)
            continue;
        journal.edit();
        handedIn->setValue(midnight);
        journal.post();
    }
    if (!remembered.isNull() && journal.bookmarkValid(remembered))
        journal.gotoBookmark(remembered);
}

int JournalSession::openDeletedMarks() {
    const data::JournalSelection& chosen = dm_.selection();
    dm_.ADOQ_del_discipline.open();
    dm_.ADOQ_Buffer.close();
    dm_.ADOQ_Buffer.setSql(QStringLiteral("Select * from  DEL_mark_mag where  id_group=") +
                           keyText(chosen.group) + QStringLiteral(" and id_semester=") +
                           keyText(chosen.semester) + QStringLiteral(" and id_examination=") +
                           keyText(chosen.formOfControl) + QStringLiteral(" and id_discipline=") +
                           keyText(chosen.discipline));
    dm_.ADOQ_Buffer.open();
    return dm_.ADOQ_Buffer.recordCount();
}

void JournalSession::saveRestoreTicks() {
    // A tick left unsaved by the close box is still written.
    db::DataSet& list = dm_.ADOQ_Buffer;
    if (list.active() && list.modified()) {
        list.edit();
        list.post();
    }
}

void JournalSession::closeDeletedMarks() {
    dm_.ADOQ_Buffer.close();
    dm_.ADOQ_del_discipline.close();
}

} // namespace session
