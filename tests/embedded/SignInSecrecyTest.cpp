// GET_USER's failures tell nothing about which logins exist.
#include "ServerFixture.h"

#include <sqlite3.h>

using namespace embeddedtest;

namespace {

class SignInSecrecy : public ServerFixture {};

const QString WrongLogin = QStringLiteral("Неверно ввели логин или пароль.");

int noteStatement(unsigned, void* statements, void* stmt, void*) {
    static_cast<QStringList*>(statements)
        ->append(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt))));
    return 0;
}

} // namespace

TEST_F(SignInSecrecy, EveryFailureAnswersTheSameRow) {
    embedded::ServerAdmin(path).exec(
        QStringLiteral("UPDATE kel_srv_user SET enabled = 0 WHERE login_key = 'новиков'"));
    const struct {
        const char* login;
        const char* password;
    } cases[] = {
        {"ivanova", "Secret1"},
        {"nobody", "secret1"},
        {"ivanova", ""},
        {"Новиков", "wrong"},
        {"", ""},
    };
    const std::vector<QVariant> expected = {QString(), QString(), 0, 0, WrongLogin, 0};
    for (const auto& c : cases) {
        const auto row = getUser(QString::fromUtf8(c.login), QString::fromUtf8(c.password));
        ASSERT_EQ(row.size(), expected.size()) << c.login;
        for (size_t i = 0; i < row.size(); ++i)
            EXPECT_EQ(row[i].toString(), expected[i].toString())
                << c.login << "/" << c.password << ", column " << i;
    }
}

TEST_F(SignInSecrecy, AnUnknownLoginIsCountedAndLockedLikeAKnownOne) {
    // Try by try, a known login with wrong passwords and one nobody has answer the same row;
    // the sixth try brings the right password for the known login, which the lock refuses.
    const std::vector<QVariant> wrong = {QString(), QString(), 0, 0, WrongLogin, 0};
    std::vector<QVariant> locked = {QString(), QString(), 0, 0, QString(), 0};
    for (int attempt = 1; attempt <= 6; ++attempt) {
        const auto known =
            getUser(QStringLiteral("ivanova"),
                    attempt == 6 ? QStringLiteral("secret1") : QStringLiteral("bad"));
        const auto unknown = getUser(QStringLiteral("nobody"), QStringLiteral("bad"));
        if (attempt == 5)
            locked[4] = known[4];
        EXPECT_EQ(unknown, known) << "attempt " << attempt;
        EXPECT_EQ(known, attempt < 5 ? wrong : locked) << "attempt " << attempt;
    }
    EXPECT_TRUE(locked[4].toString().startsWith(QStringLiteral("Учетная запись заблокирована")))
        << locked[4].toString().toStdString();

    // The lock of an unknown login runs out like a user's, and counting starts again.
    now = now.addSecs(15 * 60);
    EXPECT_EQ(getUser(QStringLiteral("NoBody"), QStringLiteral("bad")), wrong);
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
}

TEST_F(SignInSecrecy, AFileFromBeforeTheLockoutTableStillSignsInAndCounts) {
    embedded::ServerAdmin(path).exec(QStringLiteral("DROP TABLE kel_srv_lockout"));
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("bad"))[4].toString(), WrongLogin);
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
}

TEST_F(SignInSecrecy, AnUnknownLoginRunsTheStatementsOfAWrongPassword) {
    auto check = connect(CheckLogin, CheckPassword);
    auto statementsOf = [&](const QString& login) {
        QStringList statements;
        sqlite3_trace_v2(server(*check).handle(), SQLITE_TRACE_STMT, &noteStatement, &statements);
        check->query(getUserStatement(login, QStringLiteral("bad")));
        sqlite3_trace_v2(server(*check).handle(), 0, nullptr, nullptr);
        return statements;
    };
    const QStringList known = statementsOf(QStringLiteral("ivanova"));
    EXPECT_EQ(statementsOf(QStringLiteral("nobody")), known);
    EXPECT_GE(known.size(), 3);
}

TEST_F(SignInSecrecy, TheSignInLogKeepsBoundedTextsAndItsNewestRows) {
    embedded::ServerAdmin admin(path);
    admin.setSetting(QStringLiteral("signin_log_rows"), QStringLiteral("3"));
    const QString huge(1000000, QLatin1Char('x'));
    auto check = connect(CheckLogin, CheckPassword);
    for (int i = 0; i < 5; ++i)
        check->query(QStringLiteral("EXEC GET_USER ?, 'bad', NULL, 'KEL 14', ?, ?, 'x', '0', '4'")
                         .replace(QLatin1Char('?'), QLatin1Char('\'') + huge + QLatin1Char('\'')));
    const db::Result log = admin.exec(QStringLiteral(
        "SELECT count(*), max(length(login)), max(length(address)), max(length(computer)) "
        "FROM kel_srv_signin"));
    EXPECT_EQ(log.rows[0][0].toInt(), 3);
    EXPECT_EQ(log.rows[0][1].toInt(), 100);
    EXPECT_EQ(log.rows[0][2].toInt(), 100);
    EXPECT_EQ(log.rows[0][3].toInt(), 300);

    // Failures for made-up logins keep the rows of the latest ones only, once the lock of
    // the first one has run out (a lock is never dropped).
    admin.setSetting(QStringLiteral("lockout_rows"), QStringLiteral("3"));
    now = now.addSecs(16 * 60);
    for (int i = 0; i < 6; ++i)
        check->query(getUserStatement(QStringLiteral("guess%1").arg(i), QStringLiteral("bad")));
    const db::Result lockout =
        admin.exec(QStringLiteral("SELECT group_concat(login_key, ' ') FROM "
                                  "(SELECT login_key FROM kel_srv_lockout ORDER BY login_key)"));
    EXPECT_EQ(lockout.rows[0][0].toString(), QStringLiteral("guess3 guess4 guess5"));
}
