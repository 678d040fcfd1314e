// Statements that change the database's shape or reach outside it are refused to a user's
// working login, each leaving the schema, the file and its neighbours as they were.
#include "ServerFixture.h"

#include <QDir>
#include <QFileInfo>

using namespace embeddedtest;

namespace {

class StatementKinds : public ServerFixture {
protected:
    // Everything that makes up the schema, as the owner sees it.
    QStringList schema() {
        embedded::ServerAdmin admin(path);
        QStringList out;
        const db::Result r =
            admin.exec(QStringLiteral("SELECT type || ' ' || name || ' ' || IFNULL(sql, '') "
                                      "FROM sqlite_master ORDER BY type, name"));
        for (const auto& row : r.rows)
            out << row.at(0).toString();
        return out;
    }

    QStringList filesBeside() {
        return QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files, QDir::Name);
    }
};

} // namespace

TEST_F(StatementKinds, AWorkingLoginMayNotChangeTheSchemaOrReachOtherFiles) {
    auto work = signIn();
    const QString other = dir.path(QStringLiteral("other.sqlite"));
    const QString refusal =
        QStringLiteral("The user does not have permission to perform this action.");
    const QStringList kinds = {
        QStringLiteral("ATTACH DATABASE '%1' AS other").arg(other),
        QStringLiteral("ATTACH '%1' AS other").arg(dir.path(QStringLiteral("kel.sqlite"))),
        QStringLiteral("DETACH DATABASE main"),
        QStringLiteral("DETACH temp"),
        QStringLiteral("PRAGMA foreign_keys = OFF"),
        QStringLiteral("PRAGMA journal_mode = DELETE"),
        QStringLiteral("PRAGMA writable_schema = 1"),
        QStringLiteral("PRAGMA user_version = 7"),
        QStringLiteral("CREATE TABLE extra (a INTEGER)"),
        QStringLiteral("CREATE TEMP TABLE extra (a INTEGER)"),
        QStringLiteral("CREATE VIEW extra AS SELECT * FROM mark_mag"),
        QStringLiteral("CREATE INDEX extra ON mark_mag (p35)"),
        QStringLiteral("CREATE TRIGGER extra AFTER INSERT ON KEL_LOG BEGIN "
                       "DELETE FROM KEL_LOG; END"),
        QStringLiteral("DROP TABLE KEL_LOG"),
        QStringLiteral("DROP VIEW group_form"),
        QStringLiteral("DROP TRIGGER KEL_LOG_written"),
        QStringLiteral("DROP INDEX KEL_LOG_row"),
        QStringLiteral("ALTER TABLE mark_mag ADD COLUMN extra INTEGER"),
        QStringLiteral("ALTER TABLE KEL_LOG RENAME TO old_log"),
        QStringLiteral("VACUUM"),
        QStringLiteral("VACUUM INTO '%1'").arg(other),
        QStringLiteral("REINDEX"),
        QStringLiteral("ANALYZE"),
    };
    const QStringList schemaBefore = schema();
    const QStringList filesBefore = filesBeside();
    for (const QString& sql : kinds) {
        SCOPED_TRACE(sql.toStdString());
        for (const bool asQuery : {false, true}) {
            const QString error = errorOf([&] {
                if (asQuery)
                    work->query(sql);
                else
                    work->execute(sql);
            });
            EXPECT_EQ(error, refusal) << (asQuery ? "query" : "execute");
        }
        EXPECT_EQ(schema(), schemaBefore);
        EXPECT_EQ(filesBeside(), filesBefore);
        // Refused, not merely unanswered: the session goes on in its own database alone.
        const QString attached =
            errorOf([&] { work->query(QStringLiteral("SELECT * FROM other.x")); });
        EXPECT_FALSE(attached.isEmpty()) << "no database 'other' in the session";
        EXPECT_EQ(work->query(QStringLiteral("SELECT COUNT(*) FROM s_g")).rows.at(0).at(0).toInt(),
                  4);
    }
    EXPECT_FALSE(QFileInfo::exists(other));
}
