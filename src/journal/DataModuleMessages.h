// The data module's messages shown as the platform's message boxes.
#pragma once

#include "data/MessageHook.h"

namespace journal {

data::MessageHook dataModuleMessages();

} // namespace journal
