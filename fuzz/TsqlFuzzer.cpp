// The T-SQL reader and rewriter on arbitrary statements: EXEC, SET, TOP, dates.
#include "db/DatabaseError.h"
#include "embedded/SqlTokens.h"
#include "embedded/StatementChecks.h"
#include "embedded/TsqlCommands.h"
#include "embedded/TsqlRewrite.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // Joining the tokens must give the statement back, or quoted texts could be changed.
    QString joined;
    for (const auto& t : embedded::tokenize(sql))
        joined += t.text;
    if (joined != sql)
        std::abort();
    embedded::deletesOnConflict(sql);
    static const QSet<QString> dates = {QStringLiteral("p36"), QStringLiteral("u_date")};
    for (auto order : {embedded::DateOrder::mdy, embedded::DateOrder::dmy}) {
        try {
            embedded::parseExec(sql);
        } catch (const db::DatabaseError&) {
        }
        try {
            embedded::parseSet(sql);
        } catch (const db::DatabaseError&) {
        }
        try {
            embedded::rewriteTsql(sql, order, dates);
        } catch (const db::DatabaseError&) {
        }
    }
    return 0;
}
