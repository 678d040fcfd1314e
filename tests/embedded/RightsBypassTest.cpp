// Rights hold inside common table expressions, derived tables and sub-queries: a name that
// stands for a view or trigger grants nothing unless it is that view or trigger.
#include "ServerFixture.h"

using namespace embeddedtest;

namespace {

class RightsBypass : public ServerFixture {};

const char* const ReadsOfLogins[] = {
    "WITH t AS (SELECT name, password FROM kel_srv_login) SELECT * FROM t",
    "WITH RECURSIVE t(n, p) AS (SELECT 1, password FROM kel_srv_login UNION ALL "
    "SELECT n + 1, p FROM t WHERE n < 2) SELECT * FROM t",
    "SELECT * FROM (SELECT name, password FROM kel_srv_login) AS t",
    "SELECT (SELECT pwd_md5 FROM kel_srv_user LIMIT 1)",
    "SELECT 1 WHERE 'x' IN (SELECT password FROM kel_srv_login)",
    "SELECT (SELECT p FROM (SELECT password AS p FROM kel_srv_login) x LIMIT 1)",
    "WITH group_form AS (SELECT name AS id_group, password AS p20 FROM kel_srv_login) "
    "SELECT * FROM group_form",
    "WITH s_g AS (SELECT login AS s_fio, pwd_md5 AS idid FROM kel_srv_user) SELECT * FROM s_g",
    "WITH mark_mag_deleted AS (SELECT password FROM kel_srv_login) "
    "SELECT * FROM mark_mag_deleted",
    "SELECT * FROM (SELECT password FROM kel_srv_login) s_g, group_form g",
};

} // namespace

TEST_F(RightsBypass, NoLoginReadsTheServersTablesThroughAnyQueryShape) {
    auto check = connect(CheckLogin, CheckPassword);
    auto work = signIn();
    const struct {
        const char* login;
        db::Connection* connection;
    } logins[] = {{"verification", check.get()}, {"working", work.get()}};
    for (const auto& l : logins)
        for (const char* sql : ReadsOfLogins) {
            const QString error = errorOf([&] { l.connection->query(QString::fromUtf8(sql)); });
            EXPECT_TRUE(error.startsWith(
                QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"kel_srv_")))
                << l.login << ": " << sql << " -> " << error.toStdString();
        }
}

TEST_F(RightsBypass, TheVerificationLoginReadsNoTableOfTheFacultyThroughAFakeView) {
    auto check = connect(CheckLogin, CheckPassword);
    const char* const cases[] = {
        "WITH group_form AS (SELECT id_group, p20 FROM st_group) SELECT * FROM group_form",
        "SELECT * FROM (SELECT s_fio FROM s_fio) AS s_g",
        "SELECT count(*) FROM group_form",
        "WITH mark_mag_carried AS (SELECT id_student FROM mark_mag) "
        "SELECT * FROM mark_mag_carried",
    };
    for (const char* sql : cases)
        EXPECT_TRUE(errorOf([&] {
                        check->query(QString::fromUtf8(sql));
                    }).startsWith(QStringLiteral("Отказано в разрешении \"SELECT\"")))
            << sql;
}

TEST_F(RightsBypass, AWorkingLoginStillReadsItsTablesAndViewsInAnyQueryShape) {
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    const struct {
        const char* sql;
        int rows;
    } cases[] = {
        {"WITH t AS (SELECT id_student FROM mark_mag) SELECT * FROM t", 4},
        {"SELECT * FROM (SELECT id_group, p20 FROM group_form WHERE o_z = 1) AS x", 1},
        {"WITH students AS (SELECT * FROM s_g) SELECT * FROM students", 4},
        {"SELECT s_fio FROM s_g WHERE id_student IN (SELECT id_student FROM mark_mag)", 4},
        {"SELECT (SELECT count(*) FROM g_sem), p34 FROM gr_sem_disc_exam", 2},
        {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3) "
         "SELECT i FROM n",
         3},
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(work->query(QString::fromUtf8(c.sql)).rows.size(), size_t(c.rows)) << c.sql;
        } catch (const db::DatabaseError& e) {
            ADD_FAILURE() << c.sql << ": " << e.message().toStdString();
        }
    }
    // The triggers still write what the login may not write itself.
    const int id = work->query(QStringLiteral("select min(id_mark_mag) from mark_mag"))
                       .rows.at(0)
                       .at(0)
                       .toInt();
    EXPECT_RUNS(work->execute(
        QStringLiteral("UPDATE mark_mag SET id_estimation = 2 WHERE id_mark_mag = ?"), {id}));
    EXPECT_RUNS(work->execute(QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = ?"), {id}));
    EXPECT_EQ(work->query(QStringLiteral("select KEL_User from DEL_mark_mag")).rows.size(), 1u);
}
