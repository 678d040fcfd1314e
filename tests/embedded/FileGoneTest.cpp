// A database file deleted or replaced under an open session: every statement fails with a
// clear message, and nothing is reported as written.
#include "ServerFixture.h"

#include <QFile>

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
