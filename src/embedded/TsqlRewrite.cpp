// T-SQL to SQLite, token by token.
#include "embedded/TsqlRewrite.h"

#include "db/DatabaseError.h"
#include "db/SqliteValues.h"
#include "embedded/SqlTokens.h"

namespace embedded {
namespace {

using Tokens = std::vector<SqlToken>;

// Index of the next (or previous) token that is neither space nor comment, or -1.
qsizetype nextSolid(const Tokens& t, qsizetype i, int step) {
    for (i += step; i >= 0 && i < qsizetype(t.size()); i += step)
        if (t[i].kind != SqlToken::Space && t[i].kind != SqlToken::Comment && !t[i].text.isEmpty())
            return i;
    return -1;
}

bool isComparison(const SqlToken& t) {
    return t.kind == SqlToken::Symbol &&
           (t.text == QLatin1String("=") || t.text == QLatin1String("<>") ||
            t.text == QLatin1String("!=") || t.text == QLatin1String("<") ||
            t.text == QLatin1String(">") || t.text == QLatin1String("<=") ||
            t.text == QLatin1String(">="));
}

QString bareName(const SqlToken& t) {
    if (t.kind == SqlToken::QuotedName)
        return t.text.mid(1, t.text.size() - 2).toLower();
    return t.kind == SqlToken::Word ? t.text.toLower() : QString();
}

// Removes "dbo." (and "[dbo].") qualifications and the N of N'...' texts.
void dropQualifiers(Tokens& t) {
    for (qsizetype i = 0; i < qsizetype(t.size()); ++i) {
        const bool dbo = t[i].isWord("dbo") ||
                         t[i].text.compare(QLatin1String("[dbo]"), Qt::CaseInsensitive) == 0;
        if (dbo && i + 1 < qsizetype(t.size()) && t[i + 1].isSymbol(".")) {
            const qsizetype before = nextSolid(t, i, -1);
            // A name part before it (KEL.dbo.x) would make a three-part name: leave it.
            if (before >= 0 && t[before].isSymbol("."))
                continue;
            t[i].text.clear();
            t[i + 1].text.clear();
        }
        if (t[i].kind == SqlToken::Text && !t[i].text.startsWith(QLatin1Char('\'')))
            t[i].text.remove(0, 1);
    }
}

// SELECT [DISTINCT|ALL] TOP n / TOP (n) at the head of the statement becomes LIMIT n.
void moveTop(Tokens& t) {
    const qsizetype select = nextSolid(t, -1, 1);
    if (select < 0 || !t[select].isWord("select"))
        return;
    qsizetype top = nextSolid(t, select, 1);
    if (top >= 0 && (t[top].isWord("distinct") || t[top].isWord("all")))
        top = nextSolid(t, top, 1);
    if (top < 0 || !t[top].isWord("top"))
        return;
    qsizetype n = nextSolid(t, top, 1);
    const bool parenthesised = n >= 0 && t[n].isSymbol("(");
    if (parenthesised)
        n = nextSolid(t, n, 1);
    if (n < 0 || t[n].kind != SqlToken::Number || t[n].text.contains(QLatin1Char('.')))
        throw db::DatabaseError(
            QStringLiteral("Неправильный синтаксис около конструкции \"TOP\"."));
    qsizetype last = n;
    if (parenthesised) {
        last = nextSolid(t, n, 1);
        if (last < 0 || !t[last].isSymbol(")"))
            throw db::DatabaseError(
                QStringLiteral("Неправильный синтаксис около конструкции \"TOP\"."));
    }
    const qsizetype after = nextSolid(t, last, 1);
    if (after >= 0 && (t[after].isWord("percent") || t[after].isWord("with")))
        throw db::DatabaseError(
            QStringLiteral("TOP %1 is not supported by the embedded server.").arg(t[after].text));
    const QString limit = t[n].text;
    for (qsizetype i = top; i <= last; ++i)
        t[i].text.clear();
    // LIMIT goes after the last token, before a closing ';' and any trailing comment.
    qsizetype end = nextSolid(t, qsizetype(t.size()), -1);
    const SqlToken limitToken{SqlToken::Word, QStringLiteral(" LIMIT ") + limit};
    if (end >= 0 && t[end].isSymbol(";"))
        t.insert(t.begin() + end, limitToken);
    else
        t.insert(t.begin() + (end + 1), limitToken);
}

bool isDateColumn(const Tokens& t, qsizetype i, const QSet<QString>& dateColumns) {
    return i >= 0 && dateColumns.contains(bareName(t[i]));
}

// True when the text at i stands where a date column's value is expected.
bool inDateContext(const Tokens& t, qsizetype i, const QSet<QString>& dateColumns) {
    const qsizetype p1 = nextSolid(t, i, -1);
    const qsizetype n1 = nextSolid(t, i, 1);
    if (p1 >= 0 && isComparison(t[p1]) && isDateColumn(t, nextSolid(t, p1, -1), dateColumns))
        return true;
    if (n1 >= 0 && isComparison(t[n1]) && isDateColumn(t, nextSolid(t, n1, 1), dateColumns))
        return true;
    if (p1 >= 0 && t[p1].isWord("between"))
        return isDateColumn(t, nextSolid(t, p1, -1), dateColumns);
    if (p1 >= 0 && t[p1].isWord("and")) {
        const qsizetype low = nextSolid(t, p1, -1);
        const qsizetype between = low >= 0 ? nextSolid(t, low, -1) : -1;
        return between >= 0 && t[between].isWord("between") &&
               isDateColumn(t, nextSolid(t, between, -1), dateColumns);
    }
    return false;
}

void normaliseDates(Tokens& t, DateOrder order, const QSet<QString>& dateColumns) {
    for (qsizetype i = 0; i < qsizetype(t.size()); ++i) {
        if (t[i].kind != SqlToken::Text || !inDateContext(t, i, dateColumns))
            continue;
        const DateLiteral date = readDateLiteral(t[i].textValue(), order);
        if (!date.looksLikeDate)
            continue;
        if (!date.value.isValid())
            throw db::DatabaseError(
                QStringLiteral("Ошибка преобразования даты или времени из символьной строки."));
        t[i].text = quoteText(db::sqlite::canonicalDateTime(date.value));
    }
}

} // namespace

QString rewriteTsql(const QString& sql, DateOrder order, const QSet<QString>& dateColumns) {
    Tokens t = tokenize(sql);
    dropQualifiers(t);
    moveTop(t);
    normaliseDates(t, order, dateColumns);
    QString out;
    out.reserve(sql.size() + 16);
    for (const SqlToken& token : t)
        out += token.text;
    return out;
}

} // namespace embedded
