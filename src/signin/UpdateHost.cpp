// Its own file, so that a program may link another host in: the end-to-end update test
// builds a client that fetches from a loopback server.
#include "signin/UpdateHost.h"

#ifndef KEL_UPDATE_HOST
#error "KEL_UPDATE_HOST names the update server; the build sets it"
#endif

namespace signin {

QString updateHost() {
    return QStringLiteral(KEL_UPDATE_HOST);
}

} // namespace signin
