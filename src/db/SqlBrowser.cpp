// A bounded SQL Server Browser lookup: FreeTDS 1.3 asks sixteen times, one second each, beyond
// any login time-out, so the client asks itself and hands FreeTDS a port.
#include "db/SqlBrowser.h"

#include <QElapsedTimer>
#include <QStringList>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace db {

namespace {

class Socket {
public:
    explicit Socket(int fd)
        : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// SVR_RESP: 0x05, a 16-bit size, then "key;value;" pairs; the "tcp" value is the port.
std::optional<int> portOf(const QByteArray& reply) {
    if (reply.size() < 3 || static_cast<unsigned char>(reply[0]) != 0x05)
        return std::nullopt;
    const QStringList fields = QString::fromLatin1(reply.mid(3)).split(QLatin1Char(';'));
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int port = fields[i + 1].toInt(&ok);
            if (ok && port > 0 && port < 65536)
                return port;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> instancePort(const QString& host, const QString& instance, int browserPort,
                                int timeLimitMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), QByteArray::number(browserPort).constData(), &hints,
                    &found) != 0)
        return std::nullopt;
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, &freeaddrinfo);
    Socket udp(::socket(found->ai_family, found->ai_socktype, found->ai_protocol));
    // Connected, so that a refusal (nothing listens) arrives as an error at once.
    if (udp.fd() < 0 || ::connect(udp.fd(), found->ai_addr, found->ai_addrlen) != 0)
        return std::nullopt;

    // CLNT_UCAST_INST: 0x04 and the instance name, ended by a zero byte.
    const QByteArray request = QByteArray(1, '\x04') + instance.toLatin1() + QByteArray(1, '\0');
    QElapsedTimer clock;
    clock.start();
    qint64 nextSend = 0;
    while (clock.elapsed() < timeLimitMs) {
        if (clock.elapsed() >= nextSend) {
            if (::send(udp.fd(), request.constData(), static_cast<size_t>(request.size()), 0) < 0)
                return std::nullopt;
            nextSend = clock.elapsed() + 1000;
        }
        pollfd wait{udp.fd(), POLLIN, 0};
        const qint64 left = std::min<qint64>(nextSend, timeLimitMs) - clock.elapsed();
        if (::poll(&wait, 1, static_cast<int>(std::max<qint64>(left, 0))) <= 0)
            continue;
        char reply[4096];
        const ssize_t got = ::recv(udp.fd(), reply, sizeof(reply), 0);
        if (got < 0)
            return std::nullopt; // refused: no browser on that host
        if (const auto port = portOf(QByteArray(reply, static_cast<qsizetype>(got))))
            return port;
    }
    return std::nullopt;
}

} // namespace db
