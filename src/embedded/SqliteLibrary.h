// Whether Qt's SQLite driver runs on the same SQLite library as the server, so that the
// server's calls on the handle it takes from that driver are sound.
#pragma once

namespace embedded {

// True when the shared object holding `object` (a polymorphic object, found by its vtable)
// resolves SQLite to the very library this program calls.
bool usesOurSqlite(const void* object);

} // namespace embedded
