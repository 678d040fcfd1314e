// The update server's host, fixed when the program is built.
#pragma once

#include <QString>

namespace signin {

// The host (and ":port" when not 80) the new builds are fetched from.
QString updateHost();

} // namespace signin
