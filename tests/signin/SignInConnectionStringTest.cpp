#include "signin/SignInConnectionString.h"

#include <gtest/gtest.h>

using namespace signin;

TEST(ConnectionString, FillsTheTemplateVerbatim) {
    EXPECT_EQ(
        BuildConnectionString(QStringLiteral("sa"), QStringLiteral("p;w"), QStringLiteral("KEL"),
                              QStringLiteral("srv\\inst")),
        QStringLiteral("Provider=SQLOLEDB.1;Password=p;w;Persist Security Info=True;User ID=sa;"
                       "Initial Catalog=KEL;Data Source=srv\\inst;Use Procedure for Prepare=1;"
                       "Auto Translate=True;Packet Size=4096;Use Encryption for Data=False;"
                       "Tag with column collation when possible=False"));
}

TEST(ConnectionString, RemovesEveryOccurrenceOfTheLogin) {
    const struct {
        const char* message;
        const char* user;
        const char* expected;
    } cases[] = {
        {"Login failed for user 'kel'.", "kel", "Login failed for user ''."},
        {"kelkel kel", "kel", " "},
        {"aaaa", "aa", ""},
        {"aaa", "aa", "a"},
        {"Login failed for user 'KEL'.", "kel", "Login failed for user 'KEL'."},
        {"Server not found", "kel", "Server not found"},
        {"Server not found", "", "Server not found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveUserId(QString::fromUtf8(c.message), QString::fromUtf8(c.user)),
                  QString::fromUtf8(c.expected))
            << c.message;
}
