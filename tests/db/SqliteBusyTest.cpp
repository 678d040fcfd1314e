// A write that meets another writer's lock fails after a bounded wait with a message that
// names the cause; the same write succeeds once the lock is gone.
#include "db/DatabaseError.h"
#include "db/SqliteDriver.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace db;

TEST(SqliteBusy, AWriteBehindAnotherWritersLockIsRefusedInRussianAndCanBeRetried) {
    testsupport::TempDir dir;
    const ConnectionString settings(QStringLiteral("Data Source=") + dir.path("t.sqlite"));
    SqliteDriver writer, other;
    writer.open(settings);
    writer.execute(QStringLiteral("create table m (id integer primary key, n int)"));
    writer.execute(QStringLiteral("insert into m values (1, 1)"));
    other.open(settings);
    other.beginTransaction();
    other.execute(QStringLiteral("update m set n = 5"));

    const QString update = QStringLiteral("update m set n = 2 where id = 1");
    QString error;
    try {
        writer.execute(update);
    } catch (const DatabaseError& e) {
        error = e.message();
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral("База данных занята"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("не сохранено"))) << error.toStdString();

    other.rollback();
    EXPECT_EQ(writer.execute(update).rowsAffected, 1);
    EXPECT_EQ(writer.execute(QStringLiteral("select n from m")).rows.at(0).at(0).toInt(), 2);
}
