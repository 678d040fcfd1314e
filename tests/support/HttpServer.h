// A small HTTP server on 127.0.0.1 inside the test, answering each request with bytes the test
// chose, and remembering what it was asked.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <map>
#include <memory>

namespace testsupport {

// One request as it arrived: its request line and its headers, names in lower case.
struct HttpRequest {
    QByteArray line;
    std::map<QByteArray, QByteArray> headers;
};

class HttpServer {
public:
    // What the server does with a request: sends these bytes and closes, or stays silent.
    struct Answer {
        QByteArray bytes;
        bool silent = false;
    };
    using Handler = std::function<Answer(const HttpRequest&)>;

    static Answer status(int code, const QByteArray& reason, const QByteArray& body) {
        return {"HTTP/1.1 " + QByteArray::number(code) + ' ' + reason + "\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body,
                false};
    }
    static Answer ok(const QByteArray& body) { return status(200, "OK", body); }
    // Promises length bytes, sends body, and hangs up.
    static Answer truncated(qint64 length, const QByteArray& body) {
        return {"HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(length) +
                    "\r\nConnection: close\r\n\r\n" + body,
                false};
    }
    // No length: the end of the connection ends the body.
    static Answer untilClosed(const QByteArray& body) {
        return {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body, false};
    }
    static Answer silence() { return {{}, true}; }

    explicit HttpServer(Handler handler)
        : handler_(std::move(handler)) {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0))
            << server_.errorString().toStdString();
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    const QList<HttpRequest>& requests() const { return requests_; }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                answer(socket, buffer->left(end));
                buffer->clear();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void answer(QTcpSocket* socket, const QByteArray& head) {
        HttpRequest request;
        const QList<QByteArray> lines = head.split('\n');
        request.line = lines.value(0).trimmed();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers[lines[i].left(colon).trimmed().toLower()] =
                    lines[i].mid(colon + 1).trimmed();
        }
        requests_.append(request);
        const Answer a = handler_(request);
        if (a.silent)
            return;
        socket->write(a.bytes);
        socket->disconnectFromHost();
    }

    Handler handler_;
    QTcpServer server_;
    QList<HttpRequest> requests_;
};

} // namespace testsupport
