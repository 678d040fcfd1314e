// The TCP socket under an ODBC connection, so that a link whose driver no longer returns can
// be cut from outside: FreeTDS waits a full time-out again for the answer to its cancel.
#pragma once

#include <QtGlobal>

#include <vector>

namespace db::odbc {

class LinkSocket {
public:
    // The process's connected TCP sockets, to compare before and after a connect.
    struct Open {
        int fd = -1;
        quint64 inode = 0;
    };
    static std::vector<Open> connectedTcp();
    // The one socket that `after` holds and `before` did not, whose peer port is `port` (0: any);
    // none when there is not exactly one.
    static LinkSocket appeared(const std::vector<Open>& before, const std::vector<Open>& after,
                               int port);

    bool known() const { return fd_ >= 0; }
    // Shuts the link down in both directions, so that a read blocked on it returns; the
    // descriptor stays the driver's to close. False when the socket is no longer the one found.
    bool shutDown() const;

private:
    int fd_ = -1;
    quint64 inode_ = 0;
};

} // namespace db::odbc
