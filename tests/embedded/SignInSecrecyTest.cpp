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
