// The update scripts: the batch file's exact bytes, and the POSIX script run for real against
// a running program it must outlast.
#include "signin/UpdateScript.h"
#include "platform/DetachedProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#endif

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes, QFile::Permissions mode) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << f.errorString().toStdString();
    f.write(bytes);
    f.close();
    ASSERT_TRUE(f.setPermissions(mode));
}

#ifndef Q_OS_WIN
// A process that ended, even one nobody has reaped yet.
bool processGone(qint64 id) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(id));
    if (!stat.open(QIODevice::ReadOnly))
        return ::kill(pid_t(id), 0) != 0;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

// The script is in its wait loop: it has a sleep of its own.
bool waiting(qint64 script) {
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QByteArray name = line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (name == "sleep" && rest.size() > 1 && rest[1].toLongLong() == script)
            return true;
    }
    return false;
}
#endif

} // namespace

TEST(UpdateScript, WindowsBatchFileIsTheTenLinesInCp1251WithCrLf) {
    EXPECT_EQ(signin::windowsUpdateScript(),
              QByteArray("@ECHO OFF\r\n"
                         "SET KEL_PROG=KEL 14\r\n"
                         "SET KEL_HOME=%CD%\r\n"
                         "SET KEL_TEMP=%KEL_HOME%\\tempKEL\r\n"
                         ":do_del\r\n"
                         "DEL /Q \"%KEL_HOME%\\%KEL_PROG%.exe\"\r\n"
                         "IF EXIST \"%KEL_HOME%\\%KEL_PROG%.exe\" GOTO do_del\r\n"
                         "COPY \"%KEL_TEMP%\\%KEL_PROG%.exe\" \"%KEL_HOME%\\%KEL_PROG%.exe\"\r\n"
                         "RD /S /Q \"%KEL_TEMP%\"\r\n"
                         "\"%KEL_HOME%\\%KEL_PROG%.exe\"\r\n"));
}

#ifndef Q_OS_WIN

TEST(UpdateScript, ShellWordsSurviveAnyFolderName) {
    const QString names[] = {QStringLiteral("plain"), QStringLiteral("two words"),
                             QStringLiteral("it's $HOME `id` \"q\" \\ ;&|"),
                             QStringLiteral("Учёт")};
    for (const QString& name : names) {
        QProcess echo;
        echo.start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QString::fromLocal8Bit("printf %s " + signin::shellQuoted(name))});
        ASSERT_TRUE(echo.waitForFinished(10000)) << name.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(echo.readAllStandardOutput()), name);
    }
}

// The POSIX script, started as the program starts it, in a folder whose name tests its quoting.
class PosixScript : public ::testing::Test {
protected:
    void SetUp() override {
        home = dir.path(QStringLiteral("KEL's home $PATH"));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/tempKEL")));
        writeFile(home + QStringLiteral("/kel14"), OldBuild, QFile::ReadOwner | QFile::ExeOwner);
        // The stand-in for the running client: it lives until its input is closed.
        running.start(QStringLiteral("cat"), {});
        ASSERT_TRUE(running.waitForStarted(10000));
    }

    void TearDown() override {
        running.kill();
        running.waitForFinished(10000);
    }

    // Writes the script beside the executable and starts it detached, as the update does.
    qint64 startScript() {
        const QString script = home + QStringLiteral("/KEL 14.sh");
        writeFile(script,
                  signin::posixUpdateScript(home, QStringLiteral("kel14"), running.processId()),
                  QFile::ReadOwner | QFile::WriteOwner);
        const qint64 id = platform::startDetachedHidden(QStringLiteral("/bin/sh"), {script}, home);
        EXPECT_NE(id, 0);
        return id;
    }

    // Leaves a mark if it is ever started.
    const QByteArray OldBuild = "#!/bin/sh\necho old > started\n";
    testsupport::TempDir dir;
    QString home;
    QProcess running;
};

TEST_F(PosixScript, ReplacesTheExecutableOnceTheProgramEndedAndStartsTheNewOne) {
    // The new build tells whether the old program had ended and where it was started.
    const QByteArray build = "#!/bin/sh\nif kill -0 " + QByteArray::number(running.processId()) +
                             " 2>/dev/null; then echo early; else echo after; fi > started\n"
                             "pwd >> started\n";
    writeFile(home + QStringLiteral("/tempKEL/kel14"), build,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                  QFile::ExeGroup);
    const qint64 script = startScript();

    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting(script); }, 20000));
    EXPECT_EQ(contents(home + QStringLiteral("/kel14")), OldBuild);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/started")));
    running.closeWriteChannel();
    ASSERT_TRUE(running.waitForFinished(10000));
    const QString started = home + QStringLiteral("/started");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return contents(started).count('\n') == 2; }, 10000));

    EXPECT_EQ(contents(started), "after\n" + QFile::encodeName(home) + "\n");
    EXPECT_EQ(contents(home + QStringLiteral("/kel14")), build);
    // Owner, group and others as the download had them; the bits for "this user" aside.
    EXPECT_EQ(QFile::permissions(home + QStringLiteral("/kel14")) & 0x7077,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                  QFile::ExeGroup);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/tempKEL")));
}

TEST_F(PosixScript, WithoutADownloadTheOldExecutableStaysAndNothingStarts) {
    const qint64 script = startScript();
    running.closeWriteChannel();
    ASSERT_TRUE(running.waitForFinished(10000));
    // The script is no child of ours: its end shows as its id going out of use.
    ASSERT_TRUE(QTest::qWaitFor([&] { return processGone(script); }, 20000));

    EXPECT_EQ(contents(home + QStringLiteral("/kel14")), OldBuild);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/started")));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/tempKEL")));
}

#endif
