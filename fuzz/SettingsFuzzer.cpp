// The settings-file decoder on arbitrary images; what it decodes encodes back to itself.
#include "signin/SettingsFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = signin::DecodeSettingText(image);
    if (signin::EncodeSettingText(text) != image)
        std::abort();
    if (size >= size_t(signin::SettingsFileSize)) {
        try {
            signin::decodeSettings(image);
        } catch (...) {
        }
    }
    return 0;
}
