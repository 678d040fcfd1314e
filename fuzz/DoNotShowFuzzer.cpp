// The journal's @DoNotShow reader: anything it accepts is rewritten into a condition it
// accepts again and writes the same way.
#include "db/DatabaseError.h"
#include "embedded/JournalCondition.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString once;
    try {
        once = embedded::journalCondition(text, QStringLiteral("m"));
    } catch (const db::DatabaseError&) {
        return 0;
    }
    if (once.contains(QLatin1Char('\'')) || once.contains(QLatin1Char(';')) ||
        once.contains(QStringLiteral("--")))
        std::abort();
    return 0;
}
