// A T-SQL statement cut into tokens, so that rewriting never touches a quoted text.
#pragma once

#include <QString>

#include <vector>

namespace embedded {

struct SqlToken {
    enum Kind { Space, Comment, Word, Number, Text, QuotedName, Symbol };
    Kind kind;
    QString text;       // exactly as written, quotes included
    bool closed = true; // false for a quoted text or name that runs to the end

    bool isWord(const char* word) const;
    bool isSymbol(const char* symbol) const;
    // The content of a 'text' literal with doubled quotes undone (N'...' included).
    QString textValue() const;
};

// Cuts a statement into tokens; joining their texts gives the statement back. An
// unterminated quote runs to the end (SQLite then reports it).
std::vector<SqlToken> tokenize(const QString& sql);

// A text as an SQL literal: quoted, inner quotes doubled.
QString quoteText(const QString& text);

} // namespace embedded
