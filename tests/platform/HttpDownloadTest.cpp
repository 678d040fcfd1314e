// The self-update's download against a real HTTP server on 127.0.0.1: what counts as a build.
#include "platform/HttpDownload.h"
#include "support/HttpServer.h"
#include "support/QtWarnings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

using testsupport::HttpServer;

namespace {

const QString Path = QStringLiteral("/kelprogs/KEL 14");

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(14);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Qt Network reports misuse only as a warning, so a warning fails these tests.
class HttpDownload : public ::testing::Test {
    testsupport::FailOnQtWarnings warnings;
};

} // namespace

TEST_F(HttpDownload, OnlyAWholeSuccessfulAnswerCounts) {
    const QByteArray build = randomBytes(300 * 1024 + 7);
    const struct {
        const char* name;
        HttpServer::Answer answer;
        bool received;
    } cases[] = {
        {"whole answer with its length", HttpServer::ok(build), true},
        {"answer ended by closing, no length", HttpServer::untilClosed(build), true},
        {"one byte", HttpServer::ok("M"), true},
        {"not found", HttpServer::status(404, "Not Found", "<html>no such file</html>"), false},
        {"server error", HttpServer::status(500, "Internal Server Error", "oops"), false},
        {"moved without a place", HttpServer::status(302, "Found", "elsewhere"), false},
        {"empty answer", HttpServer::ok({}), false},
        {"empty answer ended by closing", HttpServer::untilClosed({}), false},
        {"cut short", HttpServer::truncated(build.size(), build.left(4000)), false},
        {"silent server", HttpServer::silence(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        HttpServer server([&](const testsupport::HttpRequest&) { return c.answer; });
        platform::HttpDownloader downloader(server.base(), QStringLiteral("kel14"));
        downloader.setStallTimeout(300);
        const QString target = dir.path(QStringLiteral("kel14"));

        EXPECT_EQ(downloader.DownloadFile(Path, target), c.received);
        if (c.received) {
            const QByteArray body = c.answer.bytes.mid(c.answer.bytes.indexOf("\r\n\r\n") + 4);
            EXPECT_EQ(contents(target), body);
        }
        // Qt asks once more when the server hangs up early.
        EXPECT_GE(server.requests().size(), 1);
    }
}

TEST_F(HttpDownload, AsksForThePathWithItsAgentName) {
    testsupport::TempDir dir;
    HttpServer server([](const testsupport::HttpRequest&) { return HttpServer::ok("new"); });
    platform::HttpDownloader downloader(server.base(), QStringLiteral("KEL 14.exe"));

    ASSERT_TRUE(downloader.DownloadFile(Path, dir.path(QStringLiteral("x"))));
    ASSERT_EQ(server.requests().size(), 1);
    const testsupport::HttpRequest& r = server.requests()[0];
    EXPECT_EQ(r.line, QByteArray("GET /kelprogs/KEL%2014 HTTP/1.1"));
    EXPECT_EQ(r.headers.at("user-agent"), QByteArray("KEL 14.exe"));
    EXPECT_EQ(r.headers.at("host"), server.base().mid(7).toLatin1());
    // The bytes as published, never a compressed form of them.
    EXPECT_EQ(r.headers.at("accept-encoding"), QByteArray("identity"));
}

TEST_F(HttpDownload, AnEarlierFileIsOverwrittenWhole) {
    testsupport::TempDir dir;
    const QString target = dir.write(QStringLiteral("kel14"), QByteArray(5000, 'o'));
    HttpServer server([](const testsupport::HttpRequest&) { return HttpServer::ok("new"); });

    ASSERT_TRUE(platform::HttpDownloader(server.base(), QStringLiteral("kel14"))
                    .DownloadFile(Path, target));
    EXPECT_EQ(contents(target), QByteArray("new"));
}

TEST_F(HttpDownload, NoServerIsNothingReceived) {
    testsupport::TempDir dir;
    QString base;
    {
        // A port that was just free and is closed again.
        HttpServer gone([](const testsupport::HttpRequest&) { return HttpServer::ok("x"); });
        base = gone.base();
    }
    EXPECT_FALSE(platform::HttpDownloader(base, QStringLiteral("kel14"))
                     .DownloadFile(Path, dir.path(QStringLiteral("kel14"))));
    EXPECT_FALSE(platform::HttpDownloader(QStringLiteral("http://no-such-host.invalid"),
                                          QStringLiteral("kel14"))
                     .DownloadFile(Path, dir.path(QStringLiteral("kel14"))));
}

TEST_F(HttpDownload, AnUnwritableTargetIsAnErrorInRussian) {
    testsupport::TempDir dir;
    HttpServer server([](const testsupport::HttpRequest&) { return HttpServer::ok("new"); });
    const QString target = dir.path(QStringLiteral("missing/kel14"));
    try {
        platform::HttpDownloader(server.base(), QStringLiteral("kel14")).DownloadFile(Path, target);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what())
                        .startsWith(QStringLiteral("Не удалось записать файл \"") + target))
            << error.what();
    }
    EXPECT_TRUE(server.requests().isEmpty());
}
