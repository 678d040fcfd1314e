// Faults of the file and the disk as the user reads them: Russian, saying what happened and
// that nothing was saved (or that the sign-in was not done), never the engine's English.
#include "ServerFixture.h"

#include "db/SqliteDriver.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace embeddedtest;

namespace {

class EngineFaults : public ServerFixture {};

// True when the text holds a word of the engine's English.
bool hasEngineText(const QString& text) {
    static const QRegularExpression english(
        QStringLiteral("readonly|disk|malformed|not a database|database is|error|unable"),
        QRegularExpression::CaseInsensitiveOption);
    return english.match(text).hasMatch();
}

// File permissions mean nothing to root: a root run checks them as another user.
class AsPlainUser {
public:
    explicit AsPlainUser(const QStringList& paths) {
        if (geteuid() != 0)
            return;
        for (const QString& p : paths)
            EXPECT_EQ(chown(QFile::encodeName(p).constData(), Nobody, Nobody), 0)
                << p.toStdString();
        setfsuid(Nobody);
        setfsgid(Nobody);
        active_ = true;
    }
    ~AsPlainUser() {
        if (!active_)
            return;
        setfsuid(0);
        setfsgid(0);
    }
    AsPlainUser(const AsPlainUser&) = delete;
    AsPlainUser& operator=(const AsPlainUser&) = delete;

private:
    static constexpr uid_t Nobody = 65534;
    bool active_ = false;
};

void expectTold(const QString& error, const char* what, const char* outcome) {
    EXPECT_TRUE(error.contains(QString::fromUtf8(what))) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(outcome))) << error.toStdString();
    EXPECT_FALSE(hasEngineText(error)) << error.toStdString();
}

} // namespace

TEST_F(EngineFaults, AReadOnlyFileIsToldAndLeavesNoReadOnlySideFilesBehind) {
    AsPlainUser plain({QFileInfo(path).absolutePath(), path});
    ASSERT_EQ(chmod(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), 0777), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0444), 0);
    expectTold(errorOf([&] { connect(CheckLogin, CheckPassword); }), "только для чтения",
               "Вход не выполнен.");

    // Another program read the file meanwhile: SQLite gave its -shm file the read-only mode.
    {
        db::SqliteDriver reader;
        reader.open(db::ConnectionString(QStringLiteral("Data Source=") + path));
        reader.executeRaw(QStringLiteral("select count(*) from kel_srv_user"));
    }
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-shm")));
    ASSERT_FALSE(QFileInfo(path + QStringLiteral("-shm")).permissions() & QFile::WriteOwner);

    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0644), 0);
    auto work = signIn();
    EXPECT_RUNS(work->execute(QStringLiteral("UPDATE s_fio SET idid = '9' WHERE id_student = 12")));
}

TEST_F(EngineFaults, AFullDiskIsToldAndTheChangeIsNotSaved) {
    auto work = signIn();
    {
        // The session's own limit on the file's size stands in for a full disk.
        embedded::ServerScope scope(server(*work));
        server(*work).executeRaw(QStringLiteral("PRAGMA max_page_count = 1"));
    }
    int written = 0;
    QString error;
    while (error.isEmpty() && written < 1000) {
        error = errorOf([&] {
            work->execute(QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr]) "
                                         "VALUES('mark_mag', 1, ?)"),
                          {QString(4000, QLatin1Char('x'))});
        });
        if (error.isEmpty())
            ++written;
    }
    expectTold(error, "не осталось места", "Изменение не сохранено.");
    EXPECT_EQ(embedded::ServerAdmin(path)
                  .exec(QStringLiteral("select count(*) from KEL_LOG"))
                  .rows[0][0]
                  .toInt(),
              written);
}

TEST_F(EngineFaults, ADamagedFileIsToldAtSignInAndInASession) {
    // Not a database at all: its header is gone.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write(QByteArray(100, 'x'));
    }
    expectTold(errorOf([&] { connect(CheckLogin, CheckPassword); }), "поврежден",
               "Вход не выполнен.");

    // Damaged pages under an open session: every page but the first (the schema).
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    SetUp();
    auto work = signIn();
    work->execute(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG 10,1,5,1,1"));
    embedded::ServerAdmin(path).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GT(f.size(), 8192);
        f.seek(4096);
        f.write(QByteArray(int(f.size() - 4096), char(0x5A)));
    }
    expectTold(
        errorOf([&] { work->execute(QStringLiteral("UPDATE mark_mag SET id_estimation = 2")); }),
        "поврежден", "Изменение не сохранено.");
    expectTold(errorOf([&] { work->query(QStringLiteral("select * from mark_mag")); }), "поврежден",
               "Данные не прочитаны");
    expectTold(errorOf([&] { connect(CheckLogin, CheckPassword); }), "поврежден",
               "Вход не выполнен.");
}

TEST_F(EngineFaults, ABusyDatabaseAtSignInSpeaksOfTheSignInNotOfAChange) {
    embedded::ServerAdmin writer(path);
    writer.server().beginTransaction();
    writer.exec(QStringLiteral("UPDATE s_fio SET idid = '1' WHERE id_student = 12"));
    auto check = connect(CheckLogin, CheckPassword);
    const QString error = errorOf([&] {
        check->query(getUserStatement(QStringLiteral("ivanova"), QStringLiteral("secret1")));
    });
    EXPECT_TRUE(error.startsWith(QStringLiteral("База данных занята"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("Вход не выполнен"))) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Изменение"))) << error.toStdString();
    writer.server().rollback();
}
