// The journal's loading from the chosen keys, and its commands that work on many rows: the
// bulk hand-in date and the list of deleted marks that can come back.
#include "session/JournalSession.h"

#include "data/Unit_2_1.h"

#include <QDateTime>

namespace session {

namespace {

constexpr int StatementForm = 1; // "Ведомость"

QString keyText(const std::optional<qint32>& key) {
    return key ? QString::number(*key) : QString();
}

// A key as the journal's procedures take it: none is 0, which names nothing.
QString procedureKey(const std::optional<qint32>& key) {
    return QString::number(key.value_or(0));
}

} // namespace

void JournalSession::readOtherMarks() {
    db::DataSet& marks = dm_.ADOQ_EstimationOther;
    marks.close();
    const db::Field* speciality = dm_.ADOQ_g_s.findField(QStringLiteral("id_speciality"));
    marks.parameters().find(QStringLiteral("id_speciality"))->value =
        speciality != nullptr && !dm_.ADOQ_g_s.isEmpty() ? speciality->value() : QVariant();
    marks.open();
}

void JournalSession::prepareJournal(int disciplineChosen) {
    const data::JournalSelection& chosen = dm_.selection();
    dm_.ADOQ_Exec.setSql(
        QStringLiteral("EXEC InsertInto_SORT_MARK_MAG ") + procedureKey(chosen.group) +
        QStringLiteral(",") + procedureKey(chosen.semester) + QStringLiteral(",") +
        procedureKey(chosen.discipline) + QStringLiteral(",") + procedureKey(chosen.formOfControl) +
        QStringLiteral(",") + QString::number(disciplineChosen));
    dm_.ADOQ_Exec.execSql();
}

void JournalSession::openJournal(const QString& condition) {
    const data::JournalSelection& chosen = dm_.selection();
    db::DataSet& journal = dm_.ADO_SP_Sort;
    journal.close();
    db::Parameters& p = journal.parameters();
    p.find(QStringLiteral("@group"))->value = procedureKey(chosen.group);
    p.find(QStringLiteral("@semester"))->value = procedureKey(chosen.semester);
    p.find(QStringLiteral("@discipline"))->value = procedureKey(chosen.discipline);
    p.find(QStringLiteral("@examination"))->value = procedureKey(chosen.formOfControl);
    p.find(QStringLiteral("@id_teacher"))->value = 1;
    db::Parameter* doNotShow = p.find(QStringLiteral("@DoNotShow"));
    doNotShow->value = QStringLiteral("1=1");
    doNotShow->value = condition;
    journal.open();
}

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
