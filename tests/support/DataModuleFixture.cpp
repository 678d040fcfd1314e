// The embedded database, the sign-in and the journal load behind the data module's tests.
#include "support/DataModuleFixture.h"

#include "embedded/ServerAdmin.h"
#include "platform/Cp1251.h"
#include "signin/SettingsFile.h"
#include "signin/md5.h"
#include "support/JournalRows.h"

#include <QDateTime>

namespace testsupport {

void DataModuleFixture::SetUp() {
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

void DataModuleFixture::asOwner(const std::vector<QString>& statements) {
    embedded::ServerAdmin admin(path);
    for (const QString& sql : statements) {
        try {
            admin.exec(sql);
        } catch (const db::DatabaseError& e) {
            FAIL() << sql.toStdString() << ": " << e.message().toStdString();
        }
    }
}

void DataModuleFixture::signIn() {
    const QString first = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;"
                                         "User ID=kel_check;Password=check-pw;"
                                         "Initial Catalog=KEL;Data Source=") +
                          path;
    dm.ADO_TAZ.setConnectionString(first);
    dm.ADO_TAZ.open();
    const db::Result answer = dm.ADO_TAZ.query(
        QStringLiteral("EXEC GET_USER 'user1','%1',NULL, 'KEL 14', '127.0.0.1', 'PC-7', "
                       "'user1','0','4'")
            .arg(MD5Hex(QStringLiteral("secret"))));
    ASSERT_FALSE(answer.rows.empty());
    const auto& row = answer.rows.front();
    ASSERT_EQ(row.at(4).toString(), QString()) << "the server refused the sign-in";
    const QString login = signin::DecodeSettingText(platform::toCp1251(row.at(0).toString()));
    const QString password = signin::DecodeSettingText(platform::toCp1251(row.at(1).toString()));
    dm.ADO_TAZ.close();
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

void DataModuleFixture::loadJournal(const QString& condition) {
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

QVariant DataModuleFixture::stored(const QString& column, int idMarkMag) {
    embedded::ServerAdmin admin(path);
    const db::Result r = admin.exec(
        QStringLiteral("SELECT %1 FROM mark_mag WHERE id_mark_mag = ?").arg(column), {idMarkMag});
    return r.rows.empty() ? QVariant() : r.rows.front().at(0);
}

QStringList DataModuleFixture::journalStudents() {
    QStringList names;
    for (dm.ADO_SP_Sort.first(); !dm.ADO_SP_Sort.eof(); dm.ADO_SP_Sort.next())
        names << dm.ADO_SP_Sort.fieldByName(QStringLiteral("student"))->text();
    return names;
}

} // namespace testsupport
