// The embedded database and the journal load behind the data module's and the session's tests.
#include "support/DataModuleCore.h"

#include "embedded/ServerAdmin.h"
#include "support/JournalRows.h"

#include <QDateTime>

namespace testsupport {

void DataModuleCore::SetUp() {
    path = dir.path(QStringLiteral("kel.sqlite"));
    embedded::createDatabase(path);
    {
        embedded::ServerAdmin admin(path);
        admin.createCheckLogin(QStringLiteral("kel_check"), QStringLiteral("check-pw"));
        userId = admin.createUser(QStringLiteral("user1"), QStringLiteral("secret"),
                                  QDateTime::currentDateTime());
    }
    std::vector<QString> rows = journalFixtureRows();
    rows.push_back(QStringLiteral("INSERT INTO group_login VALUES(5, %1, 1)").arg(userId));
    asOwner(rows);
    dm.setJournalView(&view);
}

void DataModuleCore::asOwner(const std::vector<QString>& statements) {
    embedded::ServerAdmin admin(path);
    for (const QString& sql : statements) {
        try {
            admin.exec(sql);
        } catch (const db::DatabaseError& e) {
            FAIL() << sql.toStdString() << ": " << e.message().toStdString();
        }
    }
}

void DataModuleCore::openAs(const QString& login, const QString& password) {
    dm.ADO_TAZ.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info="
                                                  "True;User ID=%1;Password=%2;Initial "
                                                  "Catalog=KEL;Data Source=%3")
                                       .arg(login, password, path));
    dm.ADO_TAZ.open();
    dm.ADO_TAZ.execute(QStringLiteral("SET DATEFORMAT dmy"));

    dm.ADOQ_group.setSql(QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 "
                                        "AND  id_login = ") +
                         QString::number(userId) + QStringLiteral(" GROUP BY id_group, p20"));
    for (db::DataSet* ds :
         {&dm.ADOQ_t_fio, &dm.ADOQ_s_fio, &dm.ADOQ_estimation, &dm.ADOTSemestr, &dm.ADOT_f_est,
          &dm.ADOQ_Examination, &dm.ADOQ_group, &dm.ADOQ_g_sem, &dm.ADOQEduc_sh, &dm.ADOQuery1})
        ds->open();
}

void DataModuleCore::connectAsUser() {
    embedded::ServerAdmin admin(path);
    const db::Result r = admin.exec(
        QStringLiteral("SELECT l.name, l.password FROM kel_srv_user u JOIN kel_srv_login l "
                       "ON l.name = u.work_login WHERE u.login = 'user1'"));
    ASSERT_EQ(r.rows.size(), 1u);
    openAs(r.rows.front().at(0).toString(), r.rows.front().at(1).toString());
}

void DataModuleCore::loadJournal(const QString& condition) {
    dm.ADOQ_s_fio.close();
    dm.ADOQ_s_fio.setSql(QStringLiteral("Select id_student, s_fio, idid from s_g where id_group=") +
                         QString::number(Group) +
                         QStringLiteral(" GROUP BY dbo.s_g.id_student, dbo.s_g.s_fio, idid"));
    dm.ADOQ_s_fio.open();
    dm.ADOQ_Discipline.close();
    dm.ADOQ_Discipline.setSql(
        QStringLiteral(" SELECT id_group, id_semester, p34, id_discipline FROM gr_sem_disc_exam "
                       "WHERE  id_semester=%1 and id_group=%2 GROUP BY id_group, id_semester, "
                       "p34, id_discipline")
            .arg(Semester)
            .arg(Group));
    dm.ADOQ_Discipline.open();
    dm.ADOQ_Exec.setSql(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG %1,%2,%3,%4,1")
                            .arg(Group)
                            .arg(Semester)
                            .arg(Discipline)
                            .arg(Examination));
    dm.ADOQ_Exec.execSql();
    dm.ADO_SP_Sort.close();
    db::Parameters& p = dm.ADO_SP_Sort.parameters();
    p[1].value = QString::number(Group);
    p[2].value = QString::number(Semester);
    p[3].value = QString::number(Discipline);
    p[4].value = QString::number(Examination);
    p[5].value = 1;
    p[6].value = condition;
    dm.ADO_SP_Sort.open();
}

QVariant DataModuleCore::stored(const QString& column, int idMarkMag) {
    embedded::ServerAdmin admin(path);
    const db::Result r = admin.exec(
        QStringLiteral("SELECT %1 FROM mark_mag WHERE id_mark_mag = ?").arg(column), {idMarkMag});
    return r.rows.empty() ? QVariant() : r.rows.front().at(0);
}

QStringList DataModuleCore::journalStudents() {
    QStringList names;
    for (dm.ADO_SP_Sort.first(); !dm.ADO_SP_Sort.eof(); dm.ADO_SP_Sort.next())
        names << dm.ADO_SP_Sort.fieldByName(QStringLiteral("student"))->text();
    return names;
}

} // namespace testsupport
