// The computer's name as the system reports it.
#pragma once

#include <QString>

namespace platform {

// The computer name cut to what a buffer of the given size (terminator included) holds.
QString computerName(int bufferSize);

} // namespace platform
