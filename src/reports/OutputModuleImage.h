// The output module's file, built into the program: a self-update replaces one file, and the
// module can never be of another build than the program.
#pragma once

#include <QByteArrayView>

namespace reports {

QByteArrayView outputModuleImage();

} // namespace reports
