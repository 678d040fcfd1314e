// The server takes Qt's SQLite handle only when it belongs to the server's own SQLite.
#include "ServerFixture.h"

#include "embedded/SqliteLibrary.h"

#include <QSqlDriver>

using namespace embeddedtest;

TEST(SqliteLibrary, QtsSqliteDriverSharesTheServersLibraryAndOtherLibrariesDoNot) {
    testsupport::TempDir dir;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lib"));
    db.setDatabaseName(dir.path(QStringLiteral("x.sqlite")));
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(embedded::usesOurSqlite(db.driver()));
    const QObject plain; // QtCore links no SQLite
    EXPECT_FALSE(embedded::usesOurSqlite(&plain));
    EXPECT_FALSE(embedded::usesOurSqlite(nullptr));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("lib"));
}
