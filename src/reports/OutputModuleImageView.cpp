#include "reports/OutputModuleImage.h"

// Defined by OutputModuleImage.S.
extern "C" const char kelOutputModuleImage[];
extern "C" const char kelOutputModuleImageEnd[];

namespace reports {

QByteArrayView outputModuleImage() {
    return {kelOutputModuleImage, kelOutputModuleImageEnd - kelOutputModuleImage};
}

} // namespace reports
