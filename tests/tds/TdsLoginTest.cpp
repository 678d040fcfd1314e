// Signing in through FreeTDS: what the login packet carries, and how a refusal reads.
#include "TdsFixture.h"

#include "db/OdbcDriver.h"

using namespace tdstest;

namespace {

class TdsLogin : public TdsTest {};

// Each value must reach the server exactly as typed, whatever FreeTDS 1.3 makes of braces.
TEST_F(TdsLogin, CredentialsArriveExactly) {
    const struct {
        const char* title;
        const char* user;
        const char* password;
    } cases[] = {
        {"plain", "teacher", "secret"},
        {"braces inside", "u", "a}b{c"},
        {"closing brace only", "u", "}"},
        {"leading brace", "u", "{lead}x"},
        {"spaces at the ends", "u", " pass word "},
        {"marks of the ODBC syntax", "u", "p=a(ss)@1!*?,[]"},
        {"brace in the login", "na}me", "p"},
        {"Cyrillic", "преподаватель", "пароль}Ё"},
        {"empty password", "u", ""},
    };
    for (const auto& c : cases) {
        const QString user = QString::fromUtf8(c.user);
        const QString password = QString::fromUtf8(c.password);
        standIn_.setLogins(QJsonObject{{user, password}});
        standIn_.clear();
        db::Connection connection;
        connect(connection, user, password);
        try {
            connection.open();
        } catch (const db::DatabaseError& e) {
            ADD_FAILURE() << c.title << ": " << e.message().toStdString();
        }
        const QJsonArray logins = standIn_.eventsOf(QStringLiteral("login"));
        ASSERT_EQ(logins.size(), 1) << c.title;
        EXPECT_EQ(logins[0][QStringLiteral("user")].toString(), user) << c.title;
        EXPECT_EQ(logins[0][QStringLiteral("password")].toString(), password) << c.title;
    }
}

TEST_F(TdsLogin, TheLoginNamesTheProgramAndTheDatabase) {
    db::Connection connection;
    connect(connection);
    connection.open();
    const QJsonArray logins = standIn_.eventsOf(QStringLiteral("login"));
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(logins[0][QStringLiteral("app")].toString(), QStringLiteral("KEL 14"));
    EXPECT_EQ(logins[0][QStringLiteral("database")].toString(), QStringLiteral("KEL"));
    // Servers set to NOCOUNT would otherwise hide the counts a post relies on.
    EXPECT_EQ(standIn_.statements(), QStringList{QStringLiteral("SET NOCOUNT OFF")});
}

TEST_F(TdsLogin, ARefusalShowsTheServersTextAndKeepsItsNumber) {
    standIn_.setLogins(QJsonObject{{QStringLiteral("u"), QStringLiteral("right")}});
    db::Connection connection;
    connect(connection, QStringLiteral("u"), QStringLiteral("wrong"));
    const auto e = errorOf([&] { connection.open(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message(), QStringLiteral("Login failed for user 'u'."));
    EXPECT_EQ(e->nativeError(), 18456);
    EXPECT_FALSE(e->sqlState().isEmpty());
    EXPECT_FALSE(connection.connected());
}

} // namespace
