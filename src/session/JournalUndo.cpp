// Taking back this user's last recorded change: every row of the step is checked against the
// server first, then the old values are posted back as a typed change is.
#include "session/JournalSession.h"

#include "data/Unit_2_1.h"
#include "db/ValueCompare.h"

namespace session {

namespace {

const QString nothingChanged = QStringLiteral(" Ничего не изменено.");

QString studentOf(db::DataSet& journal) {
    const db::Field* student = journal.findField(QStringLiteral("student"));
    return student != nullptr ? student->text() : QString();
}

QString changedByOthers(const QString& student) {
    return QStringLiteral("Запись студента \"%1\" изменил другой пользователь после вас: "
                          "отменить ваше изменение нельзя.")
               .arg(student) +
           nothingChanged;
}

// Writes one side of a row's change; the caller has put the journal on the row.
void writeRow(db::DataSet& journal, const RowChange& row, bool back) {
    journal.edit();
    for (const FieldChange& change : row.fields)
        journal.fieldByName(change.field)->setValue(back ? change.before : change.after);
    journal.post();
}

} // namespace

// Why the step cannot be taken back, or empty when every row still holds what was written.
QString JournalSession::undoObstacle(const EditStep& step) {
    db::DataSet& journal = dm_.ADO_SP_Sort;
    const QString key = QStringLiteral("id_mark_mag");
    for (const RowChange& row : step) {
        if (!journal.locate(key, row.key))
            return QStringLiteral("Изменённой записи нет в журнале: она удалена или скрыта "
                                  "фильтром.") +
                   nothingChanged;
        QStringList names;
        for (const FieldChange& change : row.fields)
            names << change.field;
        const db::Result stored =
            dm_.ADO_TAZ.query(QStringLiteral("SELECT %1 FROM mark_mag WHERE %2 = ?")
                                  .arg(names.join(QStringLiteral(", ")), key),
                              {row.key});
        if (stored.rows.empty())
            return QStringLiteral("Запись студента \"%1\" удалена другим пользователем.")
                       .arg(studentOf(journal)) +
                   nothingChanged;
        for (size_t i = 0; i < row.fields.size(); ++i) {
            const FieldChange& change = row.fields[i];
            const db::Field* field = journal.fieldByName(change.field);
            if (!db::sameValue(field->convert(stored.rows.front().at(i)), change.after) ||
                !db::sameValue(field->value(), change.after)) {
                // The grid shows what the server holds, not this user's stale value.
                journal.rereadRow();
                return changedByOthers(studentOf(journal));
            }
        }
    }
    return QString();
}

QString JournalSession::undoLastStep() {
    db::DataSet& journal = dm_.ADO_SP_Sort;
    const EditStep step = history_.lastStep();
    const db::Bookmark remembered = journal.bookmark();
    QString obstacle;
    {
        db::ControlsDisabled quiet(journal);
        try {
            obstacle = undoObstacle(step);
        } catch (const db::DatabaseError& e) {
            obstacle = e.message() + nothingChanged;
        }
        if (obstacle.isEmpty()) {
            EditHistory::Paused notRecorded(history_);
            PostRefusalsThrown refusals(journal);
            size_t done = 0;
            try {
                for (; done < step.size(); ++done) {
                    journal.locate(QStringLiteral("id_mark_mag"), step[done].key);
                    writeRow(journal, step[done], true);
                }
            } catch (const db::DatabaseError& e) {
                obstacle = PostRefusalsThrown::rowChangedByOthers(e)
                               ? changedByOthers(studentOf(journal))
                               : e.message() + nothingChanged;
            } catch (const db::Abort&) {
                obstacle = QStringLiteral("Изменение не записано.") + nothingChanged;
            }
            if (!obstacle.isEmpty()) {
                if (journal.state() != db::DataSetState::Browse)
                    journal.cancel();
                // A step is taken back whole or not at all: the rows already done get this
                // user's values again.
                for (size_t i = 0; i < done; ++i) {
                    try {
                        journal.locate(QStringLiteral("id_mark_mag"), step[i].key);
                        writeRow(journal, step[i], false);
                    } catch (const db::DatabaseError& e) {
                        obstacle += QStringLiteral("\nОтменённые строки вернуть не удалось: ") +
                                    e.message();
                        if (journal.state() != db::DataSetState::Browse)
                            journal.cancel();
                    } catch (const db::Abort&) {
                    }
                }
            } else {
                history_.dropLastStep();
            }
        }
        if (!remembered.isNull() && journal.bookmarkValid(remembered))
            journal.gotoBookmark(remembered);
    }
    return obstacle;
}

} // namespace session
