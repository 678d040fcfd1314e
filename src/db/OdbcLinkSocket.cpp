#include "db/OdbcLinkSocket.h"

#include <QDir>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#endif

namespace db::odbc {

#ifdef Q_OS_LINUX
namespace {

quint64 inodeOf(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode))
        return 0;
    return quint64(st.st_ino);
}

// The peer's port of a connected TCP socket; 0 for anything else.
int peerPort(int fd) {
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return 0;
    sockaddr_storage peer{};
    length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return 0;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&peer)->sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port);
    return 0;
}

} // namespace

std::vector<LinkSocket::Open> LinkSocket::connectedTcp() {
    std::vector<Open> out;
    const QStringList names =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const int fd = name.toInt(&ok);
        if (!ok)
            continue;
        const quint64 inode = inodeOf(fd);
        if (inode != 0 && peerPort(fd) != 0)
            out.push_back({fd, inode});
    }
    return out;
}

LinkSocket LinkSocket::appeared(const std::vector<Open>& before, const std::vector<Open>& after,
                                int port) {
    LinkSocket found;
    int count = 0;
    for (const Open& s : after) {
        const bool old = std::any_of(before.begin(), before.end(), [&](const Open& b) {
            return b.fd == s.fd && b.inode == s.inode;
        });
        if (old || (port != 0 && peerPort(s.fd) != port))
            continue;
        found.fd_ = s.fd;
        found.inode_ = s.inode;
        ++count;
    }
    return count == 1 ? found : LinkSocket();
}

bool LinkSocket::shutDown() const {
    if (fd_ < 0 || inodeOf(fd_) != inode_)
        return false;
    return ::shutdown(fd_, SHUT_RDWR) == 0;
}

#else

std::vector<LinkSocket::Open> LinkSocket::connectedTcp() {
    return {};
}

LinkSocket LinkSocket::appeared(const std::vector<Open>&, const std::vector<Open>&, int) {
    return {};
}

bool LinkSocket::shutDown() const {
    return false;
}

#endif

} // namespace db::odbc
