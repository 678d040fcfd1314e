// A small recursive-descent reader for @DoNotShow.
#include "embedded/JournalCondition.h"

#include "db/DatabaseError.h"
#include "embedded/JournalColumns.h"
#include "embedded/SqlTokens.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace embedded {
namespace {

constexpr int MaxLength = 4000;
constexpr int MaxDepth = 32;

class Reader {
public:
    Reader(const QString& text, const QString& alias)
        : alias_(alias) {
        for (SqlToken& t : tokenize(text))
            if (t.kind != SqlToken::Space)
                tokens_.push_back(std::move(t));
    }

    QString read() {
        QString out = orExpr(0);
        if (pos_ < tokens_.size())
            refuse(QStringLiteral("лишний текст \"%1\"").arg(tokens_[pos_].text));
        return out;
    }

private:
    [[noreturn]] static void refuse(const QString& why) {
        throw db::DatabaseError(QStringLiteral("Условие @DoNotShow не принято: %1.").arg(why));
    }

    const SqlToken* peek() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }
    bool acceptWord(const char* w) {
        if (peek() && peek()->isWord(w)) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool acceptSymbol(const char* s) {
        if (peek() && peek()->isSymbol(s)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectSymbol(const char* s) {
        if (!acceptSymbol(s))
            refuse(QStringLiteral("ожидалось \"%1\"").arg(QLatin1String(s)));
    }

    QString orExpr(int depth) {
        if (depth > MaxDepth)
            refuse(QStringLiteral("слишком глубокая вложенность"));
        QString out = andExpr(depth);
        while (acceptWord("or"))
            out += QStringLiteral(" OR ") + andExpr(depth);
        return out;
    }
    QString andExpr(int depth) {
        QString out = notExpr(depth);
        while (acceptWord("and"))
            out += QStringLiteral(" AND ") + notExpr(depth);
        return out;
    }
    QString notExpr(int depth) {
        if (acceptWord("not"))
            return QStringLiteral("NOT ") + notExpr(depth + 1);
        if (acceptSymbol("(")) {
            QString inner = orExpr(depth + 1);
            expectSymbol(")");
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        return predicate();
    }

    // A column of the journal, or nothing when the next token is not one.
    std::optional<QString> column() {
        const SqlToken* t = peek();
        if (!t || (t->kind != SqlToken::Word && t->kind != SqlToken::QuotedName))
            return std::nullopt;
        QString name = t->text;
        if (t->kind == SqlToken::QuotedName)
            name = name.mid(1, name.size() - 2);
        for (const JournalColumn& c : JournalColumns)
            if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
                ++pos_;
                return alias_ + QLatin1Char('.') + QLatin1String(c.name);
            }
        refuse(QStringLiteral("\"%1\" не столбец журнала").arg(t->text));
    }

    std::optional<QString> integer() {
        const bool negative = peek() && peek()->isSymbol("-");
        const size_t start = pos_;
        if (negative)
            ++pos_;
        const SqlToken* t = peek();
        if (!t || t->kind != SqlToken::Number) {
            pos_ = start;
            return std::nullopt;
        }
        bool ok = false;
        const qlonglong v = t->text.toLongLong(&ok);
        if (!ok)
            refuse(QStringLiteral("\"%1\" не целое число").arg(t->text));
        ++pos_;
        return QString::number(negative ? -v : v);
    }

    QString operand() {
        if (auto n = integer())
            return *n;
        if (auto c = column())
            return *c;
        refuse(peek() ? QStringLiteral("\"%1\" не столбец и не целое число").arg(peek()->text)
                      : QStringLiteral("условие оборвано"));
    }

    QString predicate() {
        const QString left = operand();
        if (acceptWord("is")) {
            const bool negated = acceptWord("not");
            if (!acceptWord("null"))
                refuse(QStringLiteral("после IS ожидалось NULL"));
            return left + (negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL"));
        }
        const bool negated = acceptWord("not");
        if (acceptWord("in")) {
            expectSymbol("(");
            QStringList items;
            do {
                auto n = integer();
                if (!n)
                    refuse(QStringLiteral("в списке IN допустимы только целые числа"));
                items << *n;
            } while (acceptSymbol(","));
            expectSymbol(")");
            return left + (negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) +
                   items.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        if (negated)
            refuse(QStringLiteral("после NOT ожидалось IN"));
        static const char* const ops[] = {"=", "<>", "!=", "<=", ">=", "<", ">"};
        for (const char* op : ops)
            if (acceptSymbol(op))
                return left + QLatin1Char(' ') + QLatin1String(op) + QLatin1Char(' ') + operand();
        refuse(QStringLiteral("ожидалось сравнение"));
    }

    std::vector<SqlToken> tokens_;
    size_t pos_ = 0;
    QString alias_;
};

} // namespace

QString journalCondition(const QString& condition, const QString& alias) {
    if (condition.trimmed().isEmpty())
        return QStringLiteral("1=1");
    if (condition.size() > MaxLength)
        throw db::DatabaseError(
            QStringLiteral("Условие @DoNotShow не принято: длиннее %1 символов.").arg(MaxLength));
    for (const SqlToken& t : tokenize(condition))
        if (t.kind == SqlToken::Comment || t.kind == SqlToken::Text)
            throw db::DatabaseError(
                QStringLiteral("Условие @DoNotShow не принято: допустимы только целые числа."));
    return Reader(condition, alias).read();
}

} // namespace embedded
