// Finding a named SQL Server instance's TCP port through the SQL Server Browser ([MC-SQLR]).
#pragma once

#include <QString>

#include <optional>

namespace db {

// The browser's UDP port on every server.
inline constexpr int kSqlBrowserPort = 1434;

// Asks the browser on host which TCP port the instance listens on, within timeLimitMs (the
// request is repeated each second, as UDP may lose it). No answer, an unknown instance or an
// unreachable host: none.
std::optional<int> instancePort(const QString& host, const QString& instance,
                                int browserPort = kSqlBrowserPort, int timeLimitMs = 5000);

} // namespace db
