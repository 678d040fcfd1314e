// A session whose rights check cannot be set up is refused, never run without rights. SQLite
// cannot be made to refuse sqlite3_set_authorizer on a sound handle, so this program puts its
// own sqlite3_set_authorizer in front of the library's (the server is linked in statically)
// and fails the call it is told to; every other call reaches SQLite.
#include "ServerFixture.h"

#include <dlfcn.h>
#include <sqlite3.h>

using namespace embeddedtest;

namespace {

using SetAuthorizer = int (*)(
    sqlite3*, int (*)(void*, int, const char*, const char*, const char*, const char*), void*);
int calls = 0;
int failingCall = 0; // 1-based; 0 fails none

} // namespace

extern "C" int sqlite3_set_authorizer(sqlite3* db,
                                      int (*callback)(void*, int, const char*, const char*,
                                                      const char*, const char*),
                                      void* data) {
    static const auto real = reinterpret_cast<SetAuthorizer>(dlsym(RTLD_NEXT, __func__));
    if (++calls == failingCall)
        return SQLITE_MISUSE;
    return real(db, callback, data);
}

namespace {

class AuthorizerFailure : public ServerFixture {};

} // namespace

TEST_F(AuthorizerFailure, ASessionWhoseRightsCheckCannotBeSetIsRefused) {
    // The server sets the authorizer three times when a client session opens: to learn what
    // the views and triggers do, to take that recorder off, and to install the rights check.
    const auto row = getUser(QStringLiteral("ivanova"), QStringLiteral("secret1"));
    const QString login = signin::DecodeSettingText(platform::toCp1251(row[0].toString()));
    const QString password = signin::DecodeSettingText(platform::toCp1251(row[1].toString()));
    ASSERT_FALSE(login.isEmpty());
    const QString refusal = QStringLiteral("Не удалось включить проверку прав доступа "
                                           "встроенного сервера; подключение отклонено.");
    const QString forbidden = QStringLiteral("SELECT password FROM kel_srv_login");
    for (int failing = 1; failing <= 3; ++failing) {
        for (const QString& user : {CheckLogin, login}) {
            const QString pass = user == CheckLogin ? CheckPassword : password;
            db::Connection c;
            c.setConnectionString(connectionText(user, pass));
            c.setDriverFactory(embedded::driverFactory());
            calls = 0;
            failingCall = failing;
            EXPECT_EQ(errorOf([&] { c.open(); }), refusal)
                << "call " << failing << ", " << user.toStdString();
            EXPECT_FALSE(c.connected()) << "call " << failing << ", " << user.toStdString();
            // A statement on the refused connection opens it again, and is refused again
            // rather than run without a check.
            calls = 0;
            EXPECT_EQ(errorOf([&] { c.query(forbidden); }), refusal)
                << "call " << failing << ", " << user.toStdString();
            failingCall = 0;
        }
    }
    // With SQLite answering, the same login opens and its rights are checked.
    db::Connection c;
    c.setConnectionString(connectionText(login, password));
    c.setDriverFactory(embedded::driverFactory());
    EXPECT_RUNS(c.open());
    EXPECT_TRUE(errorOf([&] {
                    c.query(forbidden);
                }).startsWith(QStringLiteral("Отказано в разрешении \"SELECT\"")))
        << errorOf([&] { c.query(forbidden); }).toStdString();
}
