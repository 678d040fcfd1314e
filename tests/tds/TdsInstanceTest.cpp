// Named instances: the SQL Server Browser lookup, bounded, and the hint when it fails.
#include "TdsFixture.h"

#include "db/OdbcDriver.h"
#include "db/SqlBrowser.h"

#include <QElapsedTimer>

using namespace tdstest;

namespace {

class TdsInstance : public TdsTest {};

TEST_F(TdsInstance, TheBrowserNamesTheInstancesPort) {
    standIn_.setInstances(QJsonObject{{QStringLiteral("KEL"), 0}});
    EXPECT_EQ(db::instancePort(QStringLiteral("127.0.0.1"), QStringLiteral("kel"),
                               standIn_.browserPort(), 5000),
              standIn_.port());
    const QJsonArray asked = standIn_.eventsOf(QStringLiteral("browser"));
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked[0][QStringLiteral("instance")].toString(), QStringLiteral("kel"));
}

// A browser that stays silent (an unknown instance gets no answer) holds the lookup only
// as long as it is allowed to.
TEST_F(TdsInstance, ASilentBrowserEndsTheLookupInItsTime) {
    standIn_.setInstances(QJsonObject{{QStringLiteral("KEL"), 0}});
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(db::instancePort(QStringLiteral("127.0.0.1"), QStringLiteral("OTHER"),
                               standIn_.browserPort(), 1500),
              std::nullopt);
    EXPECT_LT(clock.elapsed(), 1500 + 1000);
    EXPECT_GE(standIn_.eventsOf(QStringLiteral("browser")).size(), 2) << "asked again";
}

// Nothing answers on this machine's browser port: the sign-in fails at once with the hint,
// well within the login time-out, while HOST,PORT connects.
TEST_F(TdsInstance, AnUnreachableInstanceFailsWithTheHint) {
    db::Connection named;
    named.setConnectionString(
        QStringLiteral("Password=p;User ID=u;Initial Catalog=KEL;Data Source=127.0.0.1\\NOPE"));
    QElapsedTimer clock;
    clock.start();
    const auto e = errorOf([&] { named.open(); });
    ASSERT_TRUE(e);
    EXPECT_LT(clock.elapsed(), db::OdbcDriver::kLoginTimeoutSeconds * 1000);
    EXPECT_EQ(e->message(), db::instanceNotFoundMessage(QStringLiteral("127.0.0.1\\NOPE")));
    EXPECT_TRUE(e->message().contains(QStringLiteral("ИМЯ,ПОРТ")));
    EXPECT_TRUE(standIn_.eventsOf(QStringLiteral("login")).isEmpty());

    db::Connection direct;
    connect(direct);
    EXPECT_NO_THROW(direct.open());
}

} // namespace
