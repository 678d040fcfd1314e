// The self-update from the sign-in window: a real download from 127.0.0.1, the real script,
// and the real client as the newer build, which must come up and delete the script.
#include "support/SignInFixture.h"

#include "signin/PictureButton.h"
#include "support/HttpServer.h"
#include "support/QtWarnings.h"

#include <QLabel>
#include <QProcess>
#include <QTimer>

// The stand-in programs and the process checks are POSIX ones.
#ifndef Q_OS_WIN

#include <csignal>

using testsupport::HttpServer;

namespace {

const QString Unavailable =
    QStringLiteral("Сервер обновлений не доступен.\nОбратитесь к администратору.");
const QString Notice = QStringLiteral("Идёт обновление программы, ПОДОЖДИТЕ...");
const QString AskTheAdministrator =
    QStringLiteral("Эта версия программы устарела.\n"
                   "Программа установлена пакетом, обновить её может только администратор.\n"
                   "Обратитесь к администратору: нужно установить новую версию пакета kel14.");
const QByteArray OldBuild = "#!/bin/sh\necho old > started\n";

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The client as built, standing in for a newer build on the update server.
const QByteArray& newerBuild() {
    static const QByteArray bytes = contents(QStringLiteral(KEL14_PATH));
    return bytes;
}

// The processes running the executable at path.
QList<qint64> processesOf(const QString& path) {
    QList<qint64> found;
    const QString wanted = QFileInfo(path).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 id = entry.toLongLong(&number);
        if (number &&
            QFileInfo(QStringLiteral("/proc/") + entry + QStringLiteral("/exe")).symLinkTarget() ==
                wanted)
            found.append(id);
    }
    return found;
}

class SelfUpdate : public testsupport::SignInFixture {
protected:
    void SetUp() override {
        SignInFixture::SetUp();
        addUser(QStringLiteral("ivanov"), QStringLiteral("secret"), 3);
        // The server calls every client but "KEL 15" outdated.
        admin->setSetting(QStringLiteral("required_program"), QStringLiteral("KEL 15"));
        home = folder.path(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(home));
        QFile old(executable());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(OldBuild);
        old.close();
        old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                           QFile::ReadGroup | QFile::ExeGroup);
        // The stand-in for this running client: it lives until its input is closed.
        running.start(QStringLiteral("cat"), {});
        ASSERT_TRUE(running.waitForStarted(10000));
    }

    void TearDown() override {
        running.kill();
        running.waitForFinished(10000);
        // A client the script started must not outlive the test.
        for (qint64 id : processesOf(executable()))
            ::kill(pid_t(id), SIGKILL);
        SignInFixture::TearDown();
    }

    QString executable() const { return home + QStringLiteral("/kel14"); }
    QString downloaded() const { return home + QStringLiteral("/tempKEL/kel14"); }
    QString script() const { return home + QStringLiteral("/KEL 14.sh"); }

    // The sign-in window, updating the stand-in from server.
    TForm8& openUpdatingWindow(const QString& server) {
        platform::resetApplicationState();
        TForm8& w = openWindow();
        w.setUpdateTarget({home, QStringLiteral("kel14"), running.processId(), server});
        return w;
    }

    testsupport::FailOnQtWarnings warnings;
    testsupport::TempDir folder;
    QString home;
    QProcess running;
};

} // namespace

TEST_F(SelfUpdate, NewerBuildReplacesTheRunningClientWhichComesBackAtItsSignInWindow) {
    // Left by an earlier update that never finished.
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/tempKEL")));
    QFile stale(downloaded());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(newerBuild().size() + 4096, 's'));
    stale.close();
    HttpServer server([](const testsupport::HttpRequest& r) {
        return r.line == "GET /kelprogs/KEL%2014 HTTP/1.1"
                   ? HttpServer::ok(newerBuild())
                   : HttpServer::status(404, "Not Found", "no such build");
    });
    TForm8& w = openUpdatingWindow(server.base());

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(w.Label1->text(), Notice);
    // The server's message that came with the answer is not shown.
    EXPECT_EQ(w.RzLabel1->text(), QString());
    EXPECT_EQ(userId, 0);
    EXPECT_TRUE(dataModule->ADO_TAZ.connected());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].headers.at("user-agent"), QByteArray("signin_window_tests"));
    EXPECT_TRUE(contents(downloaded()) == newerBuild());
    EXPECT_TRUE(QFile::exists(script()));

    // The window stays with its notice until the timer ends the program.
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 2000);
    EXPECT_FALSE(platform::terminationRequested());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.result() == TForm8::ModalCancel; }, 10000));
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_EQ(w.Timer1->interval(), 100);
    EXPECT_FALSE(w.isVisible());
    // While the old client runs, its executable stays.
    EXPECT_EQ(contents(executable()), OldBuild);

    running.closeWriteChannel();
    ASSERT_TRUE(running.waitForFinished(10000));
    // The new client's sign-in window deletes the script, so its absence shows it came up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(script()); }, 60000))
        << "the new client did not start";
    EXPECT_TRUE(contents(executable()) == newerBuild());
    EXPECT_EQ(QFile::permissions(executable()) & 0x7077, QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ExeOwner | QFile::ReadGroup |
                                                             QFile::ExeGroup);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/tempKEL")));
    EXPECT_EQ(processesOf(executable()).size(), 1);
}

TEST_F(SelfUpdate, NothingUsableReceivedIsReportedAndEndsTheProgramLeavingTheClientAlone) {
    QString closedPort;
    {
        HttpServer gone([](const testsupport::HttpRequest&) { return HttpServer::ok("x"); });
        closedPort = gone.base();
    }
    const struct {
        const char* name;
        std::optional<HttpServer::Answer> answer; // none: no server at all
    } cases[] = {
        {"not found", HttpServer::status(404, "Not Found", "<html>no such build</html>")},
        {"empty answer", HttpServer::ok({})},
        {"cut short", HttpServer::truncated(newerBuild().size(), newerBuild().left(100000))},
        {"no server", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        HttpServer server([&](const testsupport::HttpRequest&) { return *c.answer; });
        TForm8& w = openUpdatingWindow(c.answer ? server.base() : closedPort);

        signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Unavailable);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Уведомление"));
        EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
        EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
        EXPECT_EQ(w.result(), TForm8::ModalCancel);
        EXPECT_TRUE(platform::terminationRequested());
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_FALSE(QFile::exists(script()));
        EXPECT_EQ(contents(executable()), OldBuild);
        EXPECT_EQ(server.requests().isEmpty(), !c.answer);
    }
}

TEST_F(SelfUpdate, AClientAPackageInstalledAsksForTheAdministratorAndDownloadsNothing) {
    QFile marker(home + QStringLiteral("/installed-by-package"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    HttpServer server([](const testsupport::HttpRequest&) { return HttpServer::ok(newerBuild()); });
    TForm8& w = openUpdatingWindow(server.base());

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, AskTheAdministrator);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Уведомление"));
    EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    EXPECT_NE(w.Label1->text(), Notice);
    EXPECT_EQ(w.result(), TForm8::ModalCancel);
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/tempKEL")));
    EXPECT_FALSE(QFile::exists(script()));
    EXPECT_EQ(contents(executable()), OldBuild);
}

TEST_F(SelfUpdate, CancelWhileDownloadingEndsTheProgramWithoutABox) {
    std::unique_ptr<HttpServer> server;
    // The server never answers; the user gives up and presses cancel.
    server = std::make_unique<HttpServer>([&](const testsupport::HttpRequest&) {
        QTimer::singleShot(0, form.get(),
                           [&] { QTest::mouseClick(form->SpeedButton1, Qt::LeftButton); });
        return HttpServer::silence();
    });
    TForm8& w = openUpdatingWindow(server->base());

    signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
    EXPECT_EQ(server->requests().size(), 1);
    EXPECT_EQ(w.result(), TForm8::ModalCancel);
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_FALSE(QFile::exists(script()));
    EXPECT_EQ(contents(executable()), OldBuild);
}

TEST_F(SelfUpdate, AFileThatCannotBeWrittenIsAnErrorAndTheWindowStays) {
    HttpServer server([](const testsupport::HttpRequest&) { return HttpServer::ok("new build"); });
    const struct {
        const char* name;
        QString blocked; // a folder where a file must go, or a file where a folder must
        QString path;    // the file named in the error
        bool folder;
    } cases[] = {
        {"temporary folder taken by a file", home + QStringLiteral("/tempKEL"), downloaded(),
         false},
        {"script taken by a folder", script(), script(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        QDir(home + QStringLiteral("/tempKEL")).removeRecursively();
        QFile::remove(home + QStringLiteral("/tempKEL"));
        if (c.folder) {
            ASSERT_TRUE(QDir().mkpath(c.blocked));
        } else {
            QFile f(c.blocked);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        TForm8& w = openUpdatingWindow(server.base());

        signIn(QStringLiteral("ivanov"), QStringLiteral("secret"));

        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(
            boxes[0].text.startsWith(QStringLiteral("Не удалось записать файл \"") + c.path))
            << boxes[0].text.toStdString();
        EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(w.RzLabel1->text(), QStringLiteral("Неверно ввели логин или пароль."));
        EXPECT_FALSE(dataModule->ADO_TAZ.connected());
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(platform::terminationRequested());
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_EQ(contents(executable()), OldBuild);
        QDir(c.blocked).removeRecursively();
    }
}

#endif
