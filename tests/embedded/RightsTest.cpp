// Per-login, per-column rights and the columns the server fills itself.
#include "ServerFixture.h"

#include <sqlite3.h>

using namespace embeddedtest;

namespace {

class Rights : public ServerFixture {
protected:
    // One journal row for Ivanov, made by the procedure as the client would.
    int journalRow(db::Connection& work) {
        work.execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
        return work.query(QStringLiteral("select id_mark_mag from mark_mag where id_student = 12"))
            .rows.at(0)
            .at(0)
            .toInt();
    }
};

} // namespace

TEST_F(Rights, TheVerificationLoginMayOnlyVerifyUsers) {
    auto check = connect(CheckLogin, CheckPassword);
    const struct {
        const char* sql;
        const char* error;
    } cases[] = {
        {"select * from mark_mag", "Отказано в разрешении \"SELECT\" на объект \"mark_mag\", база "
                                   "данных \"KEL\", схема \"dbo\"."},
        {"SELECT  id_group, p20 FROM group_form where o_z = 1",
         "Отказано в разрешении \"SELECT\" на объект \"group_form\", база данных \"KEL\", схема "
         "\"dbo\"."},
        {"select count(*) from kel_srv_user",
         "Отказано в разрешении \"SELECT\" на объект \"kel_srv_user\", база данных \"KEL\", схема "
         "\"dbo\"."},
        {"INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
         "VALUES('mark_mag', 1, 'x', 'u', 'c')",
         "Отказано в разрешении \"INSERT\" на объект \"KEL_LOG\", база данных \"KEL\", схема "
         "\"dbo\"."},
        {"EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1",
         "Отказано в разрешении \"EXECUTE\" на объект \"InsertInto_SORT_MARK_MAG\", база данных "
         "\"KEL\", схема \"dbo\"."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { check->query(QString::fromUtf8(c.sql)); }),
                  QString::fromUtf8(c.error))
            << c.sql;
    EXPECT_TRUE(errorOf([&] {
                    check->execute(QStringLiteral("EXEC CTRL_Z_Mark_mag 10,1"));
                }).startsWith(QStringLiteral("Отказано в разрешении \"EXECUTE\"")));
}

TEST_F(Rights, AWorkingLoginIsRefusedColumnsItMayNotChange) {
    auto work = signIn();
    const int id = journalRow(*work);
    const struct {
        QString sql;
        const char* error;
    } cases[] = {
        {QStringLiteral("UPDATE mark_mag SET id_student = 40 WHERE id_mark_mag = %1").arg(id),
         "Отказано в разрешении \"UPDATE\" на столбец \"id_student\" объекта \"mark_mag\", база "
         "данных \"KEL\", схема \"dbo\"."},
        {QStringLiteral("UPDATE mark_mag SET id_estimation = 2, KEL_User = 'x' WHERE "
                        "id_mark_mag = %1")
             .arg(id),
         "Отказано в разрешении \"UPDATE\" на столбец \"KEL_User\" объекта \"mark_mag\", база "
         "данных \"KEL\", схема \"dbo\"."},
        {QStringLiteral("UPDATE s_fio SET s_fio = 'X' WHERE id_student = 12"),
         "Отказано в разрешении \"UPDATE\" на столбец \"s_fio\" объекта \"s_fio\", база данных "
         "\"KEL\", схема \"dbo\"."},
        {QStringLiteral("UPDATE kel_srv_user SET enabled = 1"),
         "Отказано в разрешении \"UPDATE\" на объект \"kel_srv_user\", база данных \"KEL\", схема "
         "\"dbo\"."},
        {QStringLiteral("DELETE FROM kel_srv_lockout"),
         "Отказано в разрешении \"DELETE\" на объект \"kel_srv_lockout\", база данных \"KEL\", "
         "схема \"dbo\"."},
        {QStringLiteral("DELETE FROM DEL_mark_mag"),
         "Отказано в разрешении \"DELETE\" на объект \"DEL_mark_mag\", база данных \"KEL\", схема "
         "\"dbo\"."},
        {QStringLiteral("DROP TABLE KEL_LOG"),
         "The user does not have permission to perform this action."},
        {QStringLiteral("PRAGMA foreign_keys = OFF"),
         "The user does not have permission to perform this action."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { work->execute(c.sql); }), QString::fromUtf8(c.error))
            << c.sql.toStdString();

    const db::Result row = work->query(
        QStringLiteral(
            "select id_student, id_estimation, KEL_User from mark_mag where id_mark_mag = ?"),
        {id});
    EXPECT_EQ(row.rows[0][0].toInt(), Ivanov);
    EXPECT_FALSE(row.rows[0][1].isValid());
}

TEST_F(Rights, AnEditByTheClientFillsTheCarriedColumns) {
    auto work = signIn();
    const int id = journalRow(*work);
    now = fixedNow().addSecs(3600);
    // The client's optimistic write: key plus old value of the changed column.
    EXPECT_EQ(
        work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = ?, p36 = ? "
                                     "WHERE id_mark_mag = ? AND id_estimation IS ? AND "
                                     "p36 IS ?"),
                      {2, QDateTime(QDate(2024, 1, 20), QTime(0, 0)), id, QVariant(), QVariant()}),
        1);
    const db::Result r =
        work->query(QStringLiteral("select oper, u_date, KEL_User, KEL_Update, p36 from mark_mag "
                                   "where id_mark_mag = ?"),
                    {id});
    EXPECT_EQ(r.rows[0][0].toString(), QString::number(userId));
    EXPECT_EQ(r.rows[0][1].toDateTime(), now);
    EXPECT_EQ(r.rows[0][2].toString(), QStringLiteral("ivanova"));
    EXPECT_EQ(r.rows[0][3].toDate(), now.date());
    EXPECT_EQ(r.rows[0][4].toDateTime(), QDateTime(QDate(2024, 1, 20), QTime(0, 0)));

    // Writing the same value again is no change: the carried columns stay.
    now = now.addDays(1);
    work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 2 WHERE id_mark_mag = ?"),
                  {id});
    EXPECT_EQ(work->query(QStringLiteral("select u_date from mark_mag where id_mark_mag = ?"), {id})
                  .rows[0][0]
                  .toDateTime(),
              fixedNow().addSecs(3600));
}

// Each write the client makes changes one row, read back with every right: a write that
// silently matched nothing would fail here.
TEST_F(Rights, AWorkingLoginWritesStudentCodesTicksAndTheAuditLog) {
    auto work = signIn();
    const int id = journalRow(*work);
    embedded::ServerAdmin admin(path);
    const struct {
        const char* what;
        QString sql;
        std::vector<QVariant> binds;
        QString readBack;
        QVariant expected;
    } cases[] = {
        {"student code",
         QStringLiteral("UPDATE s_fio SET idid = ? WHERE id_student = ? AND idid = ?"),
         {QStringLiteral("21999"), Ivanov, QStringLiteral("21001")},
         QStringLiteral("select idid from s_fio where id_student = %1").arg(Ivanov),
         QStringLiteral("21999")},
        {"journal row deleted",
         QStringLiteral("DELETE FROM mark_mag WHERE id_mark_mag = ?"),
         {id},
         QStringLiteral("select count(*) from mark_mag where id_mark_mag = %1").arg(id),
         0},
        {"restore tick",
         QStringLiteral("UPDATE DEL_mark_mag SET Check_ch = ? WHERE id_mark_mag = ?"),
         {true, id},
         QStringLiteral("select count(*) from DEL_mark_mag where Check_ch = 1 and id_mark_mag = %1")
             .arg(id),
         1},
        {"audit record",
         QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                        "VALUES('mark_mag', %1, 'd', 'ivanova', 'PC-7\\10.0.0.7')")
             .arg(id),
         {},
         QStringLiteral("select descr from KEL_LOG where row_id = %1").arg(id),
         QStringLiteral("d")},
    };
    for (const auto& c : cases) {
        int changed = -1;
        EXPECT_RUNS(changed = work->execute(c.sql, c.binds));
        EXPECT_EQ(changed, 1) << c.what;
        const db::Result r = admin.exec(c.readBack);
        ASSERT_EQ(r.rows.size(), 1u) << c.what;
        EXPECT_EQ(r.rows[0][0].toString(), c.expected.toString()) << c.what;
    }
    const db::Result log = admin.exec(QStringLiteral("select log_login, log_date from KEL_LOG"));
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0][0].toString(), QStringLiteral("ivanova"));
    EXPECT_EQ(log.rows[0][1].toDateTime(), now);
}

// Every kind of statement the server keeps to itself, for both kinds of login: what it is
// refused with, and that nothing of it happened.
TEST_F(Rights, EveryStatementKindTheServerKeepsToItselfIsRefused) {
    auto check = connect(CheckLogin, CheckPassword);
    auto work = signIn();
    const QString logRow = QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], "
                                          "[KEL_User], [comp]) VALUES('mark_mag', 7, 'kept', "
                                          "'ivanova', 'PC-7')");
    work->execute(logRow);
    const QString noRight = QStringLiteral("The user does not have permission to perform this "
                                           "action.");
    const QString insertDenied = QStringLiteral("Отказано в разрешении \"INSERT\" на объект "
                                                "\"KEL_LOG\", база данных \"KEL\", схема \"dbo\".");
    const QString deleteDenied = QStringLiteral("Отказано в разрешении \"DELETE\" на объект "
                                                "\"KEL_LOG\", база данных \"KEL\", схема \"dbo\".");
    const auto function = [](const char* name) {
        return QStringLiteral("\"%1\" не является распознаваемым именем встроенной функции.")
            .arg(QLatin1String(name));
    };
    const struct {
        const char* sql;
        QString asCheck; // the verification login's error
        QString asWork;  // a working login's error
    } cases[] = {
        {"ATTACH DATABASE ':memory:' AS other", noRight, noRight},
        {"DETACH DATABASE other", noRight, noRight},
        {"PRAGMA foreign_keys = OFF", noRight, noRight},
        {"PRAGMA kel_srv_login", noRight, noRight},
        {"BEGIN", noRight, noRight},
        {"BEGIN IMMEDIATE", noRight, noRight},
        {"BEGIN EXCLUSIVE TRANSACTION", noRight, noRight},
        {"COMMIT", noRight, noRight},
        {"END", noRight, noRight},
        {"ROLLBACK", noRight, noRight},
        {"SAVEPOINT hold", noRight, noRight},
        {"RELEASE hold", noRight, noRight},
        {"ROLLBACK TO hold", noRight, noRight},
        {"REPLACE INTO KEL_LOG (id_log, [table], descr) VALUES (1, 'mark_mag', 'forged')",
         insertDenied, deleteDenied},
        {"INSERT OR REPLACE INTO KEL_LOG (id_log, [table], descr) VALUES (1, 'mark_mag', 'x')",
         insertDenied, deleteDenied},
        {"insert /* */ or\nreplace into KEL_LOG (id_log, [table], descr) "
         "SELECT id_log, 'mark_mag', 'x' FROM KEL_LOG",
         insertDenied, deleteDenied},
        {"WITH f AS (SELECT 1 AS id) REPLACE INTO KEL_LOG (id_log, [table], descr) "
         "SELECT id, 'mark_mag', 'x' FROM f",
         insertDenied, deleteDenied},
        {"UPDATE OR REPLACE s_fio SET idid = '21002' WHERE id_student = 12",
         QStringLiteral("Отказано в разрешении \"UPDATE\" на объект \"s_fio\", база данных "
                        "\"KEL\", схема \"dbo\"."),
         QStringLiteral("Отказано в разрешении \"DELETE\" на объект \"s_fio\", база данных "
                        "\"KEL\", схема \"dbo\".")},
        {"INSERT INTO KEL_LOG (id_log, [table], descr) VALUES (1, 'mark_mag', 'x') "
         "ON CONFLICT (id_log) DO UPDATE SET descr = excluded.descr",
         insertDenied,
         QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"KEL_LOG\", база данных "
                        "\"KEL\", схема \"dbo\".")},
        {"SELECT fts3_tokenizer('simple')", function("fts3_tokenizer"), function("fts3_tokenizer")},
        {"SELECT load_extension('libc.so.6')", function("load_extension"),
         function("load_extension")},
        {"SELECT sqlite_compileoption_get(0)", function("sqlite_compileoption_get"),
         function("sqlite_compileoption_get")},
        {"SELECT length(randomblob(100000000))", function("randomblob"), function("randomblob")},
        {"SELECT zeroblob(10)", function("zeroblob"), function("zeroblob")},
        {"WITH mark_mag_carried AS (SELECT fts3_tokenizer('simple') AS p) "
         "SELECT p FROM mark_mag_carried",
         function("fts3_tokenizer"), function("fts3_tokenizer")},
        {"select name, password from kel_srv_login",
         QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"kel_srv_login\", база данных "
                        "\"KEL\", схема \"dbo\"."),
         QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"kel_srv_login\", база данных "
                        "\"KEL\", схема \"dbo\".")},
        {"select descr from KEL_LOG",
         QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"KEL_LOG\", база данных "
                        "\"KEL\", схема \"dbo\"."),
         QStringLiteral("Отказано в разрешении \"SELECT\" на объект \"KEL_LOG\", база данных "
                        "\"KEL\", схема \"dbo\".")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf([&] { check->query(QString::fromUtf8(c.sql)); }), c.asCheck)
            << "verification: " << c.sql;
        EXPECT_EQ(errorOf([&] { work->query(QString::fromUtf8(c.sql)); }), c.asWork)
            << "working: " << c.sql;
        // No refused statement leaves a transaction, and so the write lock, behind.
        EXPECT_NE(sqlite3_get_autocommit(server(*check).handle()), 0) << c.sql;
        EXPECT_NE(sqlite3_get_autocommit(server(*work).handle()), 0) << c.sql;
    }

    embedded::ServerAdmin admin(path);
    const db::Result log = admin.exec(QStringLiteral(
        "select id_log, [table], row_id, descr, KEL_User, comp, log_login, log_date from KEL_LOG"));
    ASSERT_EQ(log.rows.size(), 1u);
    const std::vector<QVariant> expected{1,
                                         QStringLiteral("mark_mag"),
                                         7,
                                         QStringLiteral("kept"),
                                         QStringLiteral("ivanova"),
                                         QStringLiteral("PC-7"),
                                         QStringLiteral("ivanova"),
                                         now};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(log.rows[0][i].toString(), expected[i].toString()) << i;
    EXPECT_EQ(admin.exec(QStringLiteral("select idid from s_fio where id_student = 12"))
                  .rows[0][0]
                  .toString(),
              QStringLiteral("21001"));

    // What the client needs still runs: functions of the allow-list, replace() among them.
    const db::Result allowed = work->query(QStringLiteral(
        "SELECT ROW_NUMBER() OVER(ORDER BY s_fio) AS [no], upper(replace(s_fio, 'а', 'о')), "
        "coalesce(idid, ''), length(s_fio), substr(s_fio, 1, 3) FROM s_fio"));
    EXPECT_EQ(allowed.rows.size(), 4u);
    EXPECT_RUNS(work->execute(logRow));
}

// A statement that writes for long is stopped once it has held the write lock past the
// server's bound, so that nobody else waits on it; its rows are not kept.
TEST_F(Rights, NoSessionHoldsTheWriteLockPastTheBound) {
    embedded::ServerAdmin(path).setSetting(QStringLiteral("write_lock_ms"), QStringLiteral("200"));
    auto work = signIn();
    const QString error = errorOf([&] {
        work->execute(QStringLiteral(
            "INSERT INTO KEL_LOG ([table], row_id, descr) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000000) "
            "SELECT 'mark_mag', i, 'x' FROM n"));
    });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Запись в базу данных длилась дольше 1 с")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("Изменение не сохранено."))) << error.toStdString();
    EXPECT_NE(sqlite3_get_autocommit(server(*work).handle()), 0);
    embedded::ServerAdmin admin(path);
    EXPECT_EQ(admin.exec(QStringLiteral("select count(*) from KEL_LOG")).rows[0][0].toInt(), 0);
    // Everyone else writes and signs in at once.
    EXPECT_RUNS(admin.exec(QStringLiteral("UPDATE s_fio SET idid = '1' WHERE id_student = 12")));
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
}
