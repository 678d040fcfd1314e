// The HTTP download behind the self-update, on Qt Network, the window served while it waits.
#include "platform/HttpDownload.h"

#include "platform/ApplicationState.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <memory>
#include <stdexcept>

namespace platform {
namespace {

constexpr qint64 ChunkSize = 1024;

// The proxy the system is configured with, as for any other program of the machine.
class SystemProxies : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

[[noreturn]] void fail(const QFile& file) {
    throw std::runtime_error(QStringLiteral("Не удалось записать файл \"%1\": %2")
                                 .arg(file.fileName(), file.errorString())
                                 .toStdString());
}

} // namespace

HttpDownloader::HttpDownloader(QString baseAddress, QString agent)
    : baseAddress_(std::move(baseAddress))
    , agent_(std::move(agent)) {}

bool HttpDownloader::DownloadFile(const QString& path, const QString& target) {
    QNetworkAccessManager manager;
    manager.setProxyFactory(new SystemProxies);
    // A space in the path goes out as %20: an unencoded one is no valid request line.
    QNetworkRequest request(QUrl(baseAddress_ + path));
    request.setHeader(QNetworkRequest::UserAgentHeader, agent_);
    request.setTransferTimeout(stallTimeout_);
    // The bytes as stored: a compressed answer would not match the length the server gives.
    request.setRawHeader("Accept-Encoding", "identity");

    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(file);

    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    qint64 received = 0;
    bool writeFailed = false;
    auto drain = [&] {
        if (!reply->isOpen())
            return; // aborted
        // Only a complete, successful answer may later replace the program: the body of any
        // other, and whatever follows a failed write, is read and dropped. (Aborting here, in
        // the reply's own signal, would cross Qt's handling of the same answer.)
        if (writeFailed ||
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
            reply->skip(reply->bytesAvailable());
            return;
        }
        char buffer[ChunkSize];
        for (;;) {
            const qint64 n = reply->read(buffer, ChunkSize);
            if (n <= 0)
                break;
            if (file.write(buffer, n) != n) {
                writeFailed = true;
                break;
            }
            received += n;
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, drain);
    // Events are processed here rather than in a nested loop, which an earlier quit would end
    // at once; a termination requested meanwhile (the cancel button) ends the wait.
    while (!reply->isFinished() && !terminationRequested())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!reply->isFinished()) {
        reply->abort();
        return false;
    }
    drain();
    if (writeFailed)
        fail(file);
    if (!file.flush())
        fail(file);
    file.close();

    if (reply->error() != QNetworkReply::NoError)
        return false;
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200)
        return false;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != received)
        return false;
    return received > 0;
}

} // namespace platform
