// The program's way of showing a wait for the database: the notice window of platform/.
#pragma once

#include "db/DatabaseWait.h"

namespace app {

// One notice over the active window, made on the first second of a wait and gone when the wait
// ends; only it takes input meanwhile, the rest waits for the statement's end.
db::WaitHook waitNoticeHook();

} // namespace app
