// GET_USER's answers and the server's login check, through the client's own statement.
#include "ServerFixture.h"

using namespace embeddedtest;

namespace {

const QString WrongLogin = QStringLiteral("Неверно ввели логин или пароль.");

class SignIn : public ServerFixture {};

} // namespace

TEST_F(SignIn, PlainSignInHandsOutAWorkingLoginThatOpens) {
    const auto row = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
    EXPECT_FALSE(row[0].toString().isEmpty());
    EXPECT_EQ(row[2].toInt(), userId);
    EXPECT_EQ(row[3].toInt(), 80); // set ten days ago, 90-day life
    EXPECT_EQ(row[4].toString(), QString());
    EXPECT_EQ(row[5].toInt(), 0);

    auto work = signIn(QStringLiteral("IvAnOvA"));
    const db::Result groups =
        work->query(QStringLiteral("SELECT  id_group, p20 FROM group_form where o_z = 1 AND  "
                                   "id_login = ") +
                    QString::number(userId) + QStringLiteral(" GROUP BY id_group, p20"));
    ASSERT_EQ(groups.rows.size(), 1u);
    EXPECT_EQ(groups.rows[0][1].toString(), QStringLiteral("ПИ-21"));

    // Every call is recorded with the address and computer it was given.
    embedded::ServerAdmin admin(path);
    const db::Result calls = admin.exec(
        QStringLiteral("SELECT address, computer, outcome FROM kel_srv_signin ORDER BY id_signin"));
    ASSERT_EQ(calls.rows.size(), 2u);
    EXPECT_EQ(calls.rows[0][0].toString(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(calls.rows[0][1].toString(), QStringLiteral("PC-7"));
    EXPECT_EQ(calls.rows[0][2].toString(), QStringLiteral("signed in"));
}

TEST_F(SignIn, WrongPasswordOrUnknownLoginAnswersOneMessageAndNoCredentials) {
    for (const auto& [login, password] :
         {std::pair{QStringLiteral("ivanova"), QStringLiteral("Secret1")},
          std::pair{QStringLiteral("nobody"), QStringLiteral("secret1")},
          std::pair{QStringLiteral("ivanova"), QString()}}) {
        const auto row = getUser(login, password);
        EXPECT_EQ(row[4].toString(), WrongLogin) << login.toStdString();
        EXPECT_EQ(row[0].toString(), QString());
        EXPECT_EQ(row[1].toString(), QString());
        EXPECT_EQ(row[5].toInt(), 0);
    }
}

TEST_F(SignIn, FiveFailuresInARowLockTheAccountForFifteenMinutes) {
    // A success in between starts the count again.
    for (int i = 0; i < 4; ++i)
        getUser(QStringLiteral("ivanova"), QStringLiteral("bad"));
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("bad"))[4].toString(),
                  WrongLogin);

    const QString locked = getUser(QStringLiteral("ivanova"), QStringLiteral("bad"))[4].toString();
    EXPECT_TRUE(locked.startsWith(QStringLiteral("Учетная запись заблокирована")))
        << locked.toStdString();
    EXPECT_TRUE(locked.contains(QStringLiteral("15 мин."))) << locked.toStdString();

    // Even the right password is refused while locked, without credentials.
    now = now.addSecs(14 * 60);
    const auto during = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
    EXPECT_TRUE(during[4].toString().contains(QStringLiteral("1 мин.")))
        << during[4].toString().toStdString();
    EXPECT_EQ(during[0].toString(), QString());

    now = now.addSecs(60);
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
}

TEST_F(SignIn, PasswordStateCountsDaysLeftAndIsNegativeWhenRunOut) {
    const struct {
        int daysLater;
        int state;
    } cases[] = {{0, 80}, {80, 0}, {81, -1}, {100, -20}};
    for (const auto& c : cases) {
        now = fixedNow().addDays(c.daysLater);
        const auto row = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
        EXPECT_EQ(row[3].toInt(), c.state) << c.daysLater;
        EXPECT_EQ(row[4].toString(), QString());
        // No working credentials until the password is changed.
        EXPECT_EQ(row[0].toString().isEmpty(), c.state < 0) << c.daysLater;
    }
    // An account an administrator just made must change its password first.
    const auto fresh = getUser(QStringLiteral("Новиков"), QStringLiteral("start"));
    EXPECT_LT(fresh[3].toInt(), 0);
    EXPECT_EQ(fresh[2].toInt(), newUserId);
}

TEST_F(SignIn, PasswordChangeStoresTheNewDigestAndSignsIn) {
    // A wrong old password changes nothing.
    EXPECT_EQ(
        getUser(QStringLiteral("Новиков"), QStringLiteral("wrong"), QStringLiteral("Next_2"))[4]
            .toString(),
        WrongLogin);

    const auto row =
        getUser(QStringLiteral("Новиков"), QStringLiteral("start"), QStringLiteral("Next_2"));
    EXPECT_EQ(row[4].toString(), QString());
    EXPECT_EQ(row[3].toInt(), 90);
    EXPECT_FALSE(row[0].toString().isEmpty());

    EXPECT_EQ(getUser(QStringLiteral("Новиков"), QStringLiteral("start"))[4].toString(),
              WrongLogin);
    auto work = signIn(QStringLiteral("новиков"), QStringLiteral("Next_2"));
    EXPECT_TRUE(work->connected());

    // Refused new passwords leave the password as it was.
    for (const auto& [candidate, message] :
         {std::pair{QString(), QStringLiteral("Новый пароль не может быть пустым.")},
          std::pair{QStringLiteral("Next_2"),
                    QStringLiteral("Новый пароль должен отличаться от прежнего.")}}) {
        const auto refused =
            getUser(QStringLiteral("Новиков"), QStringLiteral("Next_2"), candidate);
        EXPECT_EQ(refused[4].toString(), message);
        EXPECT_EQ(refused[0].toString(), QString());
    }
    EXPECT_EQ(getUser(QStringLiteral("Новиков"), QStringLiteral("Next_2"))[4].toString(),
              QString());
}

TEST_F(SignIn, AnOutdatedClientIsToldToUpdateAndGetsNoCredentials) {
    const auto row = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"),
                             QStringLiteral("NULL"), QStringLiteral("KEL 13"));
    EXPECT_EQ(row[5].toInt(), 2);
    EXPECT_EQ(row[0].toString(), QString());

    embedded::ServerAdmin(path).setSetting(QStringLiteral("required_program"),
                                           QStringLiteral("KEL 15"));
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[5].toInt(), 2);
}

TEST_F(SignIn, TheConnectionItselfChecksLoginPasswordCatalogAndFile) {
    EXPECT_EQ(errorOf([&] { connect(CheckLogin, QStringLiteral("проверка1")); }),
              QStringLiteral("Ошибка входа пользователя \"kel_check\"."));
    EXPECT_EQ(errorOf([&] { connect(QStringLiteral("ivanova"), QStringLiteral("secret1")); }),
              QStringLiteral("Ошибка входа пользователя \"ivanova\"."));
    EXPECT_EQ(errorOf([&] { connect(QStringLiteral("KEL_CHECK"), CheckPassword); }), QString());

    db::Connection c;
    c.setDriverFactory(embedded::driverFactory());
    c.setConnectionString(
        QString(connectionText(CheckLogin, CheckPassword)).replace("Catalog=KEL", "Catalog=Other"));
    EXPECT_EQ(errorOf([&] { c.open(); }),
              QStringLiteral("Не удается открыть базу данных \"Other\", запрашиваемую именем "
                             "входа. Не удалось выполнить вход."));
    const QString missing = dir.path(QStringLiteral("none.sqlite"));
    c.setConnectionString(QStringLiteral("User ID=kel_check;Password=x;Data Source=") + missing);
    EXPECT_TRUE(errorOf([&] { c.open(); }).contains(QStringLiteral("does not exist")));
    EXPECT_FALSE(QFile::exists(missing));
}

// Anyone with the settings file can send failures for invented logins: they neither free a
// locked account nor push out the history of real logins, which each keep their newest rows.
TEST_F(SignIn, AFloodOfInventedLoginsNeitherFreesALockNorErasesRealHistory) {
    embedded::ServerAdmin admin(path);
    for (const auto& [name, value] :
         {std::pair{"lockout_rows", "3"}, std::pair{"signin_log_rows", "3"},
          std::pair{"signin_rows_per_login", "4"}, std::pair{"failed_checks_per_minute", "1000"}})
        admin.setSetting(QLatin1String(name), QLatin1String(value));
    EXPECT_LT(getUser(QStringLiteral("Новиков"), QStringLiteral("start"))[3].toInt(), 0);
    for (int i = 0; i < 3; ++i) // a user's count that is not yet a lock stays too
        getUser(QStringLiteral("Новиков"), QStringLiteral("bad"));
    for (int i = 0; i < 5; ++i)
        getUser(QStringLiteral("ivanova"), QStringLiteral("bad"));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(getUser(QStringLiteral("flood%1").arg(i), QStringLiteral("x"))[4].toString(),
                  WrongLogin);

    const auto locked = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
    EXPECT_TRUE(locked[4].toString().startsWith(QStringLiteral("Учетная запись заблокирована")))
        << locked[4].toString().toStdString();
    EXPECT_EQ(locked[0].toString(), QString());
    EXPECT_EQ(admin
                  .exec(QStringLiteral("select failures from kel_srv_lockout "
                                       "where login_key = 'новиков'"))
                  .rows.at(0)
                  .at(0)
                  .toInt(),
              3);

    const db::Result history = admin.exec(QStringLiteral(
        "SELECT login_key, count(*), group_concat(outcome, ',') FROM "
        "(SELECT login_key, outcome FROM kel_srv_signin ORDER BY id_signin) GROUP BY login_key "
        "ORDER BY login_key"));
    QStringList rows;
    for (const auto& r : history.rows)
        rows << r[0].toString() + QLatin1Char(' ') + r[1].toString() + QLatin1Char(' ') +
                    r[2].toString();
    // Invented logins share the newest rows of the log (three here).
    EXPECT_EQ(rows, QStringList({QStringLiteral("flood10 1 unknown login"),
                                 QStringLiteral("flood11 1 unknown login"),
                                 QStringLiteral("ivanova 4 wrong password,wrong password,"
                                                "locked now,locked"),
                                 QStringLiteral("новиков 4 password expired,wrong password,"
                                                "wrong password,wrong password")}));
}

TEST_F(SignIn, FailedChecksOfAllLoginsTogetherAreLimitedPerMinute) {
    embedded::ServerAdmin(path).setSetting(QStringLiteral("failed_checks_per_minute"),
                                           QStringLiteral("3"));
    for (const char* login : {"a", "b", "ivanova"})
        EXPECT_EQ(getUser(QLatin1String(login), QStringLiteral("bad"))[4].toString(), WrongLogin);
    // Past the limit no password is checked, the right one neither, and nothing is counted.
    now = now.addSecs(59);
    const auto refused = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
    EXPECT_EQ(refused[4].toString(), QStringLiteral("Слишком много неудачных попыток входа за "
                                                    "последнюю минуту. Повторите вход через "
                                                    "минуту."));
    EXPECT_EQ(refused[0].toString(), QString());
    EXPECT_EQ(refused[2].toInt(), 0);
    now = now.addSecs(2);
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
}

// A file made before the log was bounded per login gets its columns when it is opened.
TEST_F(SignIn, AFileFromBeforeTheBoundedLogStillSignsIn) {
    {
        embedded::ServerAdmin admin(path);
        for (const char* sql :
             {"DROP INDEX kel_srv_signin_login", "DROP INDEX kel_srv_signin_known",
              "ALTER TABLE kel_srv_signin DROP COLUMN login_key",
              "ALTER TABLE kel_srv_signin DROP COLUMN known", "DROP TABLE kel_srv_throttle",
              "INSERT INTO kel_srv_signin (at, login, outcome) VALUES "
              "('2024-01-01 10:00:00', 'IVANOVA', 'signed in')"})
            admin.exec(QLatin1String(sql));
    }
    getUser(QStringLiteral("nobody"), QStringLiteral("bad"));
    EXPECT_EQ(getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"))[4].toString(),
              QString());
    const db::Result rows = embedded::ServerAdmin(path).exec(
        QStringLiteral("SELECT login_key, known FROM kel_srv_signin ORDER BY id_signin"));
    ASSERT_EQ(rows.rows.size(), 3u);
    EXPECT_EQ(rows.rows[0][0].toString(), QStringLiteral("ivanova"));
    EXPECT_EQ(rows.rows[0][1].toInt(), 1);
    EXPECT_EQ(rows.rows[1][1].toInt(), 0);
    EXPECT_EQ(rows.rows[2][1].toInt(), 1);
}
