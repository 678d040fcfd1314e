// The data set's filter language on arbitrary texts: refused or parsed, never a crash.
#include "db/DatabaseError.h"
#include "db/FilterExpression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        db::FilterExpression::parse(text);
    } catch (const db::DatabaseError&) {
    }
    return 0;
}
