#include "platform/ComputerName.h"

#include <QSysInfo>

namespace platform {

QString computerName(int bufferSize) {
    return QSysInfo::machineHostName().left(std::max(bufferSize - 1, 0));
}

} // namespace platform
