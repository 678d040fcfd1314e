// The lists of the selection cascade, each read from the chosen keys or from the rows the
// lists above it stand on.
#include "session/JournalSession.h"

#include "data/Unit_2_1.h"

namespace session {

namespace {

// A key as the lists' statements take it: none is 0, which names nothing.
QString listKey(const std::optional<qint32>& key) {
    return QString::number(key.value_or(0));
}

// Closes a list, gives it its new statement and opens it.
void requery(db::DataSet& ds, const QString& sql) {
    ds.close();
    ds.setSql(sql);
    ds.open();
}

} // namespace

QString JournalSession::semesterRowKey() const {
    // A group without semesters leaves no current semester row; 0 names no semester, so
    // the query finds nothing and the steps after it still run.
    const db::DataSet& list = dm_.ADOQ_g_sem;
    if (list.active() && list.recNo() > 0) {
        const db::Field* f = list.findField(QStringLiteral("id_semester"));
        if (f != nullptr && !f->isNull())
            return QString::number(f->value().toLongLong());
    }
    return QStringLiteral("0");
}

QString JournalSession::groupRowKey() const {
    return dm_.ADOQ_group.fieldByName(QStringLiteral("id_group"))->text();
}

void JournalSession::readGroupSpeciality() {
    requery(dm_.ADOQ_g_s,
            QStringLiteral("Select * from g_s where id_group=") + listKey(dm_.selection().group));
}

void JournalSession::readDisciplines() {
    requery(dm_.ADOQ_Discipline,
            QStringLiteral(" SELECT id_group,  id_semester, p34, id_discipline FROM "
                           "gr_sem_disc_exam WHERE  id_semester=") +
                semesterRowKey() + QStringLiteral(" and id_group=") + groupRowKey() +
                QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"));
}

void JournalSession::refreshDisciplines() {
    requery(dm_.ADOQ_Discipline,
            QStringLiteral(" SELECT id_group, id_semester, p34, id_discipline FROM "
                           "gr_sem_disc_exam WHERE  id_semester=") +
                semesterRowKey() + QStringLiteral(" and id_group=") + groupRowKey() +
                QStringLiteral(" GROUP BY id_group, id_semester, p34, id_discipline"));
}

void JournalSession::readDisciplinesWithForms() {
    requery(dm_.ADOQ_Discipline,
            QStringLiteral(" SELECT id_group,  id_examination, p30, id_semester, p34, "
                           "id_discipline FROM gr_sem_disc_exam WHERE  id_semester=") +
                semesterRowKey() + QStringLiteral(" and id_group=") + groupRowKey() +
                QStringLiteral(" GROUP BY id_group, id_examination, p30, id_semester, p34, "
                               "id_discipline"));
}

void JournalSession::readSemesters() {
    requery(dm_.ADOQ_g_sem, QStringLiteral("Select id_semester, p43, id_rate from g_sem where  "
                                           "id_group=") +
                                listKey(dm_.selection().group) +
                                QStringLiteral(" GROUP BY id_semester, p43, id_rate"));
}

// A discipline's click does not change the group's students: reading and sorting them again
// took about a third of the click's time on a large group.
void JournalSession::readGroupStudents() {
    db::DataSet& students = dm_.ADOQ_s_fio;
    const QString group = listKey(dm_.selection().group);
    const QString key = group + u'/' + listKey(dm_.selection().semester);
    // Anyone who reopens the list (the codes window) loses its order, and it is read again.
    if (key == studentListKey_ && students.active() &&
        students.sortField() == QStringLiteral("s_fio"))
        return;
    studentListKey_.clear();
    requery(students, QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") +
                          group +
                          QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid"));
    students.sortBy(QStringLiteral("s_fio"));
    studentListKey_ = key;
}

std::optional<QString> JournalSession::readStudyYear() {
    const data::JournalSelection& chosen = dm_.selection();
    const auto speciality = [this] {
        return QStringLiteral(" [") + dm_.ADOQ_g_s.fieldByName(QStringLiteral("spec"))->text() +
               QStringLiteral("]");
    };
    if (chosen.group && chosen.semester) {
        requery(dm_.ADOQ_Year,
                QStringLiteral("Select top (1) g_r_y.* from g_r_y  where id_group=") +
                    listKey(chosen.group) + QStringLiteral(" and id_rate=") +
                    dm_.ADOQ_g_sem.fieldByName(QStringLiteral("id_rate"))->text());
        return speciality() + QStringLiteral(" [") +
               dm_.ADOQ_Year.fieldByName(QStringLiteral("p32"))->text() + QStringLiteral("]");
    }
    if (chosen.group)
        return speciality();
    return std::nullopt;
}

std::optional<QVariant> JournalSession::readFormsOfControl() {
    const data::JournalSelection& chosen = dm_.selection();
    db::DataSet& forms = dm_.ADOQ_Vremennyi;
    requery(forms, QStringLiteral("select id_examination, p30 from gr_sem_disc_exam  where "
                                  "id_discipline=") +
                       listKey(chosen.discipline) + QStringLiteral(" and id_semester=") +
                       listKey(chosen.semester) + QStringLiteral(" and id_group=") +
                       listKey(chosen.group) + QStringLiteral(" GROUP BY id_examination, p30"));
    if (!forms.active() || forms.recordCount() == 0)
        return std::nullopt;
    forms.first();
    return forms.fieldByName(QStringLiteral("id_examination"))->value();
}

void JournalSession::readMarksOfForm() {
    requery(dm_.ADOQ_estimation, QStringLiteral("Select * from est2 where id_examination=") +
                                     listKey(dm_.selection().formOfControl));
}

} // namespace session
