// Conflict clauses that delete, and the allow-list of functions.
#include "embedded/StatementChecks.h"

#include "embedded/SqlTokens.h"

#include <QSet>

namespace embedded {

bool deletesOnConflict(const QString& sql) {
    const std::vector<SqlToken> tokens = tokenize(sql);
    std::vector<const SqlToken*> words;
    for (const SqlToken& t : tokens)
        if (t.kind != SqlToken::Space && t.kind != SqlToken::Comment)
            words.push_back(&t);
    for (size_t i = 0; i < words.size(); ++i) {
        if (!words[i]->isWord("REPLACE"))
            continue;
        const SqlToken* next = i + 1 < words.size() ? words[i + 1] : nullptr;
        // replace(x, y, z) is the text function.
        if (next != nullptr && next->isSymbol("("))
            continue;
        if ((i > 0 && words[i - 1]->isWord("OR")) || (next != nullptr && next->isWord("INTO")))
            return true;
    }
    return false;
}

bool isAllowedFunction(const QString& name) {
    static const QSet<QString> allowed = {
        // scalar
        QStringLiteral("abs"), QStringLiteral("char"), QStringLiteral("coalesce"),
        QStringLiteral("glob"), QStringLiteral("hex"), QStringLiteral("ifnull"),
        QStringLiteral("iif"), QStringLiteral("instr"), QStringLiteral("length"),
        QStringLiteral("like"), QStringLiteral("lower"), QStringLiteral("ltrim"),
        QStringLiteral("max"), QStringLiteral("min"), QStringLiteral("nullif"),
        QStringLiteral("replace"), QStringLiteral("round"), QStringLiteral("rtrim"),
        QStringLiteral("sign"), QStringLiteral("substr"), QStringLiteral("substring"),
        QStringLiteral("trim"), QStringLiteral("typeof"), QStringLiteral("unicode"),
        QStringLiteral("upper"), QStringLiteral("last_insert_rowid"), QStringLiteral("changes"),
        // dates
        QStringLiteral("date"), QStringLiteral("time"), QStringLiteral("datetime"),
        QStringLiteral("julianday"), QStringLiteral("strftime"), QStringLiteral("unixepoch"),
        // aggregate
        QStringLiteral("avg"), QStringLiteral("count"), QStringLiteral("group_concat"),
        QStringLiteral("sum"), QStringLiteral("total"),
        // window
        QStringLiteral("row_number"), QStringLiteral("rank"), QStringLiteral("dense_rank"),
        QStringLiteral("percent_rank"), QStringLiteral("cume_dist"), QStringLiteral("ntile"),
        QStringLiteral("lag"), QStringLiteral("lead"), QStringLiteral("first_value"),
        QStringLiteral("last_value"), QStringLiteral("nth_value"),
        // the server's own
        QStringLiteral("getdate"), QStringLiteral("kel_now"), QStringLiteral("kel_today"),
        QStringLiteral("kel_user_login"), QStringLiteral("kel_user_id")};
    return allowed.contains(name.toLower());
}

} // namespace embedded
