// Reading EXEC and SET statements.
#include "embedded/TsqlCommands.h"

#include "db/DatabaseError.h"
#include "embedded/SqlTokens.h"

#include <QRegularExpression>

namespace embedded {
namespace {

std::vector<SqlToken> solidTokens(const QString& sql) {
    std::vector<SqlToken> out;
    for (SqlToken& t : tokenize(sql))
        if (t.kind != SqlToken::Space && t.kind != SqlToken::Comment)
            out.push_back(std::move(t));
    if (!out.empty() && out.back().isSymbol(";"))
        out.pop_back();
    return out;
}

[[noreturn]] void syntaxError(const QString& near) {
    throw db::DatabaseError(
        QStringLiteral("Неправильный синтаксис около конструкции \"%1\".").arg(near));
}

// A quoted text or name that runs to the end, reported where the reading reaches it.
const SqlToken& closedOrFail(const SqlToken& t) {
    if (t.closed)
        return t;
    const qsizetype quote = t.text.indexOf(QRegularExpression(QStringLiteral("['\"\\[]")));
    throw db::DatabaseError(QStringLiteral("Незакрытые кавычки после строки символов \"%1\".")
                                .arg(t.text.mid(quote + 1)));
}

QString nameOf(const SqlToken& token) {
    const SqlToken& t = closedOrFail(token);
    if (t.kind == SqlToken::QuotedName)
        return t.text.mid(1, t.text.size() - 2);
    if (t.kind == SqlToken::Word && !t.text.startsWith(QLatin1Char('@')))
        return t.text;
    syntaxError(t.text);
}

} // namespace

std::optional<ExecCall> parseExec(const QString& sql) {
    const std::vector<SqlToken> t = solidTokens(sql);
    if (t.empty() || !(t[0].isWord("exec") || t[0].isWord("execute")))
        return std::nullopt;
    size_t i = 1;
    auto at = [&](size_t k) -> const SqlToken* { return k < t.size() ? &t[k] : nullptr; };
    // EXEC @rc = name: the return code is not kept.
    if (at(i) && at(i)->kind == SqlToken::Word && at(i)->text.startsWith(QLatin1Char('@')) &&
        at(i + 1) && at(i + 1)->isSymbol("="))
        i += 2;
    if (!at(i))
        syntaxError(t.back().text);
    ExecCall call;
    call.procedure = nameOf(t[i++]);
    while (at(i) && at(i)->isSymbol(".")) {
        if (!at(i + 1))
            syntaxError(QStringLiteral("."));
        call.procedure = nameOf(t[i + 1]); // schema and database parts fall away
        i += 2;
    }
    if (at(i) && at(i)->isSymbol(";")) {
        if (!at(i + 1) || at(i + 1)->kind != SqlToken::Number)
            syntaxError(QStringLiteral(";"));
        i += 2;
    }
    while (at(i)) {
        ExecCall::Argument arg;
        if (at(i)->kind == SqlToken::Word && at(i)->text.startsWith(QLatin1Char('@'))) {
            if (!at(i + 1) || !at(i + 1)->isSymbol("="))
                syntaxError(at(i)->text);
            arg.name = at(i)->text.mid(1);
            i += 2;
        }
        const SqlToken* v = at(i);
        if (!v)
            syntaxError(t.back().text);
        bool negative = false;
        if (v->isSymbol("-") || v->isSymbol("+")) {
            negative = v->isSymbol("-");
            v = at(++i);
            if (!v || v->kind != SqlToken::Number)
                syntaxError(t[i - 1].text);
        }
        if (v->kind == SqlToken::Text) {
            closedOrFail(*v);
            arg.value = v->textValue();
        } else if (v->kind == SqlToken::Number) {
            bool ok = false;
            const qlonglong n = v->text.toLongLong(&ok);
            if (!ok)
                syntaxError(v->text);
            arg.value = negative ? -n : n;
        } else if (v->isWord("null")) {
            arg.value = QVariant();
        } else {
            syntaxError(v->text);
        }
        call.arguments.push_back(std::move(arg));
        ++i;
        if (at(i)) {
            if (!at(i)->isSymbol(","))
                syntaxError(at(i)->text);
            if (!at(++i))
                syntaxError(QStringLiteral(","));
        }
    }
    return call;
}

std::optional<SetOption> parseSet(const QString& sql) {
    const std::vector<SqlToken> t = solidTokens(sql);
    if (t.size() < 2 || !t[0].isWord("set") || t[1].kind != SqlToken::Word ||
        t[1].text.startsWith(QLatin1Char('@')))
        return std::nullopt;
    static const char* const known[] = {"DATEFORMAT",
                                        "LANGUAGE",
                                        "NOCOUNT",
                                        "ANSI_NULLS",
                                        "ANSI_WARNINGS",
                                        "ANSI_PADDING",
                                        "ANSI_NULL_DFLT_ON",
                                        "QUOTED_IDENTIFIER",
                                        "ARITHABORT",
                                        "CONCAT_NULL_YIELDS_NULL",
                                        "XACT_ABORT",
                                        "TEXTSIZE",
                                        "DATEFIRST",
                                        "LOCK_TIMEOUT",
                                        "NUMERIC_ROUNDABORT",
                                        "IMPLICIT_TRANSACTIONS",
                                        "DEADLOCK_PRIORITY"};
    SetOption set;
    set.option = t[1].text.toUpper();
    size_t valueAt = 2;
    if (set.option == QLatin1String("TRANSACTION")) {
        if (t.size() < 5 || !t[2].isWord("isolation") || !t[3].isWord("level"))
            syntaxError(t.back().text);
        set.option = QStringLiteral("TRANSACTION ISOLATION LEVEL");
        valueAt = 4;
    } else if (std::find_if(std::begin(known), std::end(known), [&](const char* k) {
                   return set.option == QLatin1String(k);
               }) == std::end(known)) {
        throw db::DatabaseError(
            QStringLiteral("\"%1\" не является распознаваемым параметром SET.").arg(t[1].text));
    }
    if (t.size() <= valueAt)
        syntaxError(t.back().text);
    QStringList words;
    for (size_t i = valueAt; i < t.size(); ++i)
        words << (t[i].kind == SqlToken::Text ? closedOrFail(t[i]).textValue() : t[i].text);
    set.value = words.join(QLatin1Char(' '));
    return set;
}

} // namespace embedded
