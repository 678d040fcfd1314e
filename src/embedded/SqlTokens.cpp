// Cutting statements into tokens.
#include "embedded/SqlTokens.h"

#include "db/SqlText.h"

namespace embedded {

bool SqlToken::isWord(const char* word) const {
    return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool SqlToken::isSymbol(const char* symbol) const {
    return kind == Symbol && text == QLatin1String(symbol);
}

QString SqlToken::textValue() const {
    QString s = text;
    if (s.startsWith(QLatin1Char('N')) || s.startsWith(QLatin1Char('n')))
        s.remove(0, 1);
    if (s.size() >= 2 && s.endsWith(QLatin1Char('\'')))
        s = s.mid(1, s.size() - 2);
    else
        s.remove(0, 1);
    return s.replace(QStringLiteral("''"), QStringLiteral("'"));
}

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}

bool isWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') ||
           c == QLatin1Char('#') || c == QLatin1Char('$');
}

// The end of a quoted run that starts at i with the quote q (doubled quotes stay inside).
qsizetype endOfQuoted(const QString& s, qsizetype i, QChar close, bool& closed) {
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s[j] == close) {
            if (j + 1 < s.size() && s[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    closed = false;
    return s.size();
}

} // namespace

std::vector<SqlToken> tokenize(const QString& sql) {
    std::vector<SqlToken> tokens;
    const QString& s = sql;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        SqlToken::Kind kind = SqlToken::Symbol;
        bool closed = true;
        if (c.isSpace()) {
            kind = SqlToken::Space;
            while (j < s.size() && s[j].isSpace())
                ++j;
        } else if (c == QLatin1Char('-') && j < s.size() && s[j] == QLatin1Char('-')) {
            kind = SqlToken::Comment;
            while (j < s.size() && s[j] != QLatin1Char('\n'))
                ++j;
        } else if (c == QLatin1Char('/') && j < s.size() && s[j] == QLatin1Char('*')) {
            kind = SqlToken::Comment;
            const qsizetype end = s.indexOf(QStringLiteral("*/"), j + 1);
            j = end < 0 ? s.size() : end + 2;
        } else if (c == QLatin1Char('\'')) {
            kind = SqlToken::Text;
            j = endOfQuoted(s, i, QLatin1Char('\''), closed);
        } else if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && j < s.size() &&
                   s[j] == QLatin1Char('\'')) {
            kind = SqlToken::Text;
            j = endOfQuoted(s, j, QLatin1Char('\''), closed);
        } else if (c == QLatin1Char('"')) {
            kind = SqlToken::QuotedName;
            j = endOfQuoted(s, i, QLatin1Char('"'), closed);
        } else if (c == QLatin1Char('[')) {
            kind = SqlToken::QuotedName;
            j = endOfQuoted(s, i, QLatin1Char(']'), closed);
        } else if (c.isDigit()) {
            kind = SqlToken::Number;
            while (j < s.size() && (s[j].isDigit() || s[j] == QLatin1Char('.')))
                ++j;
        } else if (isWordStart(c)) {
            kind = SqlToken::Word;
            while (j < s.size() && isWordPart(s[j]))
                ++j;
        } else if (j < s.size()) {
            const QString two = s.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("!=") ||
                two == QLatin1String("<=") || two == QLatin1String(">=") ||
                two == QLatin1String("||"))
                j = i + 2;
        }
        tokens.push_back(SqlToken{kind, s.mid(i, j - i), closed});
        i = j;
    }
    return tokens;
}

QString quoteText(const QString& text) {
    return db::quotedLiteral(text);
}

} // namespace embedded
