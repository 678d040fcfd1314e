// The local-address watcher: its history, its file, and its thread.
#include "platform/IPWatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QSemaphore>
#include <QTest>

#include <atomic>

using platform::IPWatch;

namespace {

// Answers the addresses of a list in turn, as if the machine's address kept changing.
IPWatch::Resolver sequence(QStringList addresses) {
    auto next = std::make_shared<int>(0);
    return [addresses, next] { return addresses.value((*next)++); };
}

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("<no file>")};
    return QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(IPWatch, HistoryKeepsTheLast25DistinctAddressesOldestFirst) {
    QStringList answers;
    for (int i = 1; i <= 30; ++i)
        answers << QStringLiteral("10.0.0.%1").arg(i);
    // A repeat of the last address, a lookup that failed, and an address seen long ago.
    answers << QStringLiteral("10.0.0.30") << QString() << QStringLiteral("10.0.0.10");

    IPWatch watch(nullptr, false);
    watch.setResolver(sequence(answers));
    for (int i = 0; i < answers.size(); ++i)
        watch.checkNow();

    EXPECT_EQ(watch.currentIP(), QStringLiteral("10.0.0.10"));
    const QStringList history = watch.history();
    ASSERT_EQ(history.size(), IPWatch::MaxHistoryEntries);
    EXPECT_EQ(history.first(), QStringLiteral("10.0.0.6"));
    EXPECT_EQ(history.last(), QStringLiteral("10.0.0.10"));
    EXPECT_EQ(history.count(QStringLiteral("10.0.0.10")), 1);
    EXPECT_EQ(history.count(QStringLiteral("10.0.0.30")), 1);
}

TEST(IPWatch, FailedLookupKeepsTheLastAddressKnown) {
    IPWatch watch(nullptr, false);
    watch.setResolver(sequence({QString(), QStringLiteral("192.0.2.7"), QString()}));
    watch.checkNow();
    EXPECT_FALSE(watch.hasAddress());
    EXPECT_EQ(watch.currentIP(), QString());
    watch.checkNow();
    watch.checkNow();
    EXPECT_EQ(watch.currentIP(), QStringLiteral("192.0.2.7"));
    EXPECT_EQ(watch.history(), QStringList{QStringLiteral("192.0.2.7")});
}

TEST(IPWatch, HistoryFileIsWrittenOnDestructionOnlyWhenNamed) {
    testsupport::TempDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path(QString())));
    {
        IPWatch named(nullptr, false);
        named.setHistoryFile(QStringLiteral("iphist.dat"));
        named.setResolver(sequence({QStringLiteral("192.0.2.1"), QStringLiteral("192.0.2.2"),
                                    QStringLiteral("192.0.2.1")}));
        for (int i = 0; i < 3; ++i)
            named.checkNow();
        EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("iphist.dat"))));
    }
    EXPECT_EQ(readLines(dir.path(QStringLiteral("iphist.dat"))),
              (QStringList{QStringLiteral("192.0.2.2"), QStringLiteral("192.0.2.1")}));

    ASSERT_TRUE(QFile::remove(dir.path(QStringLiteral("iphist.dat"))));
    {
        IPWatch unnamed(nullptr, false);
        unnamed.setResolver(sequence({QStringLiteral("192.0.2.3")}));
        unnamed.checkNow();
    }
    EXPECT_TRUE(QDir(dir.path(QString())).entryList(QDir::Files).isEmpty());
    QDir::setCurrent(previous);
}

TEST(IPWatch, ActiveWatcherFindsTheLocalHostsFirstIPv4Address) {
    QString expected;
    for (const QHostAddress& a : QHostInfo::fromName(QHostInfo::localHostName()).addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            expected = a.toString();
            break;
        }
    }
    if (expected.isEmpty())
        GTEST_SKIP() << "the local host name has no IPv4 address on this machine";

    IPWatch watch;
    EXPECT_TRUE(watch.active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.hasAddress(); }, 10000));
    EXPECT_EQ(watch.currentIP(), expected);
    EXPECT_EQ(platform::resolveLocalAddress(), expected);
}

TEST(IPWatch, ReadersDoNotWaitForALookupUnderWay) {
    QSemaphore lookupStarted, releaseLookup;
    std::atomic<int> calls{0};
    IPWatch watch(nullptr, false);
    watch.setResolver([&] {
        const int call = calls++;
        if (call == 0)
            return QStringLiteral("192.0.2.10");
        if (call == 1) {
            lookupStarted.release();
            releaseLookup.acquire(); // a lookup hanging on a slow resolver
        }
        return QStringLiteral("192.0.2.11");
    });
    watch.checkNow();
    watch.setInterval(1);
    watch.setActive(true);

    ASSERT_TRUE(lookupStarted.tryAcquire(1, 10000));
    // The thread is inside its lookup; the address known before is answered at once.
    EXPECT_EQ(watch.currentIP(), QStringLiteral("192.0.2.10"));
    releaseLookup.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.currentIP() == "192.0.2.11"; }, 10000));
    // The thread keeps checking while active, and stops when told.
    const quint64 seen = watch.checkCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.checkCount() > seen + 2; }, 10000));
    watch.setActive(false);
    const quint64 stopped = watch.checkCount();
    EXPECT_FALSE(watch.active());
    EXPECT_EQ(watch.checkCount(), stopped);
}
