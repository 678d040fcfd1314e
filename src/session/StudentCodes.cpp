#include "session/StudentCodes.h"

#include "data/Unit_2_1.h"

namespace session {

namespace {

QString studentsStatement(db::DataSet& journal) {
    QString ids;
    if (journal.active()) {
        const db::Field* student = journal.fieldByName(QStringLiteral("id_student"));
        for (journal.first(); !journal.eof(); journal.next())
            ids += QStringLiteral(", ") + student->text();
    }
    ids.remove(0, 1);
    return QStringLiteral("SELECT  ROW_NUMBER() OVER(ORDER BY s_fio.s_fio) as [no], "
                          "s_fio.id_student, s_fio.idid, s_fio.s_fio FROM s_fio WHERE "
                          "s_fio.id_student in(") +
           ids + QStringLiteral(") ORDER BY s_fio.s_fio");
}

} // namespace

void openStudentCodes(TDM_TAZ_2& dm) {
    db::DataSet& journal = dm.ADO_SP_Sort;
    QString statement;
    {
        // The journal's row and its display come back however the walk ends.
        db::ControlsDisabled quiet(journal);
        const db::Bookmark remembered = journal.active() ? journal.bookmark() : db::Bookmark();
        struct Return {
            db::DataSet& journal;
            db::Bookmark row;
            ~Return() {
                if (!row.isNull() && journal.bookmarkValid(row))
                    journal.gotoBookmark(row);
            }
        } back{journal, remembered};
        statement = studentsStatement(journal);
    }
    dm.ADOQ_Students.close();
    dm.ADOQ_Students.setSql(statement);
    dm.ADOQ_Students.open();
}

void saveStudentCodes(TDM_TAZ_2& dm) {
    try {
        dm.ADOQ_Students.post();
    } catch (const db::DatabaseError&) {
    } catch (const db::Abort&) {
    }
}

} // namespace session
