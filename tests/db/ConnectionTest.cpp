#include "db/Connection.h"
#include "db/DatabaseError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

using namespace db;

TEST(ConnectionString, KeysAreCaseInsensitiveAndValuesTakenAsTheyStand) {
    const ConnectionString cs(
        QStringLiteral("Provider=SQLOLEDB.1;Password=p w;Persist Security Info=True;User ID=kel;"
                       "Initial Catalog=KEL;Data Source=srv\\inst;Use Procedure for Prepare=1"));
    EXPECT_EQ(cs.password(), QStringLiteral("p w"));
    EXPECT_EQ(cs.value(QStringLiteral("user id")), QStringLiteral("kel"));
    EXPECT_EQ(cs.initialCatalog(), QStringLiteral("KEL"));
    EXPECT_EQ(cs.dataSource(), QStringLiteral("srv\\inst"));
    EXPECT_FALSE(cs.isEmbedded());
    EXPECT_TRUE(cs.contains(QStringLiteral("PROVIDER")));
    EXPECT_EQ(cs.value(QStringLiteral("Missing")), QString());
}

TEST(ConnectionString, EmbeddedFilesResolveAgainstTheDataFolder) {
    const ConnectionString relative(QStringLiteral("Data Source=demo.sqlite"));
    EXPECT_TRUE(relative.isEmbedded());
    EXPECT_EQ(relative.embeddedPath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/Data/demo.sqlite"));
    const ConnectionString absolute(QStringLiteral("Data Source=/srv/kel/KEL.SQLITE"));
    EXPECT_TRUE(absolute.isEmbedded());
    EXPECT_EQ(absolute.embeddedPath(), QStringLiteral("/srv/kel/KEL.SQLITE"));
}

TEST(Connection, OpensOnDemandAndCapturesStatements) {
    testsupport::TempDir dir;
    Connection c;
    c.setConnectionString(QStringLiteral("Data Source=") + dir.path("a.sqlite"));
    EXPECT_FALSE(c.connected());
    QStringList sent;
    c.onStatement = [&](const QString& s) { sent << s; };
    c.execute(QStringLiteral("create table t (id integer primary key, name varchar(20))"));
    EXPECT_TRUE(c.connected());
    EXPECT_EQ(c.execute(QStringLiteral("insert into t (name) values (?)"), {QStringLiteral("Ия")}),
              1);
    const Result r = c.query(QStringLiteral("select name from t"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0][0].toString(), QStringLiteral("Ия"));
    EXPECT_EQ(sent.size(), 3);
    c.close();
    EXPECT_FALSE(c.connected());
}

TEST(Connection, ServerThatCannotBeReachedIsADatabaseError) {
    Connection c;
    c.setConnectionString(QStringLiteral("Data Source=/no/such/folder/x.sqlite"));
    EXPECT_THROW(c.open(), DatabaseError);
    EXPECT_FALSE(c.connected());
}
