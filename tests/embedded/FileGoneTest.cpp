// A database file deleted or replaced under an open session: every statement fails with a
// clear message, and nothing is reported as written.
#include "ServerFixture.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sys/stat.h>

using namespace embeddedtest;

namespace {

class FileGone : public ServerFixture {};

const QString Moved = QStringLiteral("Файл базы данных");

} // namespace

TEST_F(FileGone, WritesAndReadsFailOnceTheFileIsDeletedOrReplaced) {
    const struct {
        const char* name;
        bool replace;
    } cases[] = {{"deleted", false}, {"replaced", true}};
    for (const auto& c : cases) {
        if (&c != &cases[0])
            SetUp();
        auto work = signIn();
        work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
        if (c.replace) {
            const QString other = dir.path(QStringLiteral("other.sqlite"));
            QFile::remove(other);
            embedded::createDatabase(other);
            ASSERT_TRUE(QFile::remove(path)) << c.name;
            ASSERT_TRUE(QFile::rename(other, path)) << c.name;
        } else {
            ASSERT_TRUE(QFile::remove(path)) << c.name;
        }
        const QString write = errorOf(
            [&] { work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 2")); });
        EXPECT_TRUE(write.startsWith(Moved)) << c.name << ": " << write.toStdString();
        const QString read = errorOf([&] { work->query(QStringLiteral("select * from s_fio")); });
        EXPECT_TRUE(read.startsWith(Moved)) << c.name << ": " << read.toStdString();
        work.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
    }
}

// A backup copied over the open file (same inode): checkpoints of other sessions are no
// alarm, but the copy stops the session before it writes into a file it no longer knows.
TEST_F(FileGone, ACopyWrittenOverTheOpenFileStopsTheSessionBeforeItWrites) {
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    embedded::ServerAdmin(path).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    QByteArray backup;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        backup = f.readAll();
    }
    const QString logInsert =
        QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr]) VALUES('mark_mag', 1, ?)");
    for (int i = 0; i < 50; ++i)
        work->execute(logInsert, {QString(4000, QLatin1Char('x'))});
    embedded::ServerAdmin(path).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    auto other = signIn();
    other->execute(logInsert, {QStringLiteral("other")});
    other.reset();
    EXPECT_RUNS(work->execute(
        QStringLiteral("UPDATE mark_mag SET id_estimation = 2 WHERE id_student = 12")));

    const auto inodeOf = [](const QString& p) {
        struct stat st {};
        return ::stat(QFile::encodeName(p).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t inode = inodeOf(path);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(backup);
    }
    ASSERT_EQ(inodeOf(path), inode);
    for (int i = 0; i < 2; ++i) {
        const QString error = errorOf([&] {
            work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 3 WHERE "
                                         "id_student = 40"));
        });
        EXPECT_TRUE(error.contains(QStringLiteral("перезаписан другой программой")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("Изменение не сохранено")))
            << error.toStdString();
    }
    // Closing the session writes nothing into the copy either.
    work.reset();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), backup);
}

// The watch reads the file through SQLite's own handle: closing another descriptor of it
// would drop SQLite's locks, and another program closing the file would then take itself for
// the last user and delete the log that holds this session's writes.
TEST_F(FileGone, WatchingTheFileLeavesSqlitesLocksAlone) {
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        GTEST_SKIP() << "no sqlite3 program";
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    QProcess reader;
    reader.start(QStringLiteral("sqlite3"), {path, QStringLiteral("select count(*) from s_fio")});
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(reader.readAllStandardOutput().trimmed(), QByteArray("4"));
    EXPECT_TRUE(QFile::exists(path + QStringLiteral("-wal")));
    EXPECT_RUNS(work->execute(
        QStringLiteral("UPDATE mark_mag SET id_estimation = 2 WHERE id_student = 12")));
    EXPECT_EQ(embedded::ServerAdmin(path)
                  .exec(QStringLiteral("select count(*) from mark_mag where id_estimation = 2"))
                  .rows[0][0]
                  .toInt(),
              1);
}
