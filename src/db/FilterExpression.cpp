// Parser and evaluator of the data-set filter language.
#include "db/FilterExpression.h"

#include "db/DataSet.h"
#include "db/ValueCompare.h"

#include <QRegularExpression>

namespace db {

namespace {

enum class Tok { End, Name, Number, Text, LParen, RParen, Comma, Op };

struct Token {
    Tok kind = Tok::End;
    QString text;
    int pos = 0;
};

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto fail = [&](const QString& what, qsizetype at) {
        throw DatabaseError(QStringLiteral("Filter '%1' is not valid: %2 at position %3.")
                                .arg(s, what, QString::number(at + 1)));
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = static_cast<int>(i);
        if (c == u'(' || c == u')' || c == u',') {
            t.kind = c == u'(' ? Tok::LParen : (c == u')' ? Tok::RParen : Tok::Comma);
            ++i;
        } else if (c == u'\'' || c == u'"') {
            // A quote inside a text is written twice.
            QString text;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                text += s[i++];
            }
            if (!closed)
                fail(QStringLiteral("unterminated text"), t.pos);
            t.kind = Tok::Text;
            t.text = text;
        } else if (c == u'[') {
            const qsizetype end = s.indexOf(u']', i);
            if (end < 0)
                fail(QStringLiteral("unterminated field name"), i);
            t.kind = Tok::Name;
            t.text = s.mid(i + 1, end - i - 1).trimmed();
            i = end + 1;
        } else if (c.isDigit() || ((c == u'-' || c == u'.') && i + 1 < n && s[i + 1].isDigit())) {
            qsizetype j = i + 1;
            while (j < n && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            t.kind = Tok::Number;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c.isLetter() || c == u'_') {
            qsizetype j = i + 1;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_'))
                ++j;
            t.kind = Tok::Name;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c == u'<' || c == u'>' || c == u'=' || c == u'!') {
            qsizetype j = i + 1;
            if (j < n && (s[j] == u'=' || (c == u'<' && s[j] == u'>')))
                ++j;
            t.kind = Tok::Op;
            t.text = s.mid(i, j - i);
            if (t.text == u"!" || t.text == u"=<" || t.text == u"=>")
                fail(QStringLiteral("unknown operator '%1'").arg(t.text), t.pos);
            if (t.text == u"!=")
                t.text = QStringLiteral("<>");
            i = j;
        } else {
            fail(QStringLiteral("unexpected character '%1'").arg(c), i);
        }
        out.push_back(t);
    }
    Token end;
    end.pos = static_cast<int>(n);
    out.push_back(end);
    return out;
}

enum class Cmp { Eq, Ne, Lt, Gt, Le, Ge, IsNull, IsNotNull, In, Like };

} // namespace

struct FilterExpression::Node {
    enum class Kind { And, Or, Not, Compare, Constant } kind = Kind::Compare;
    std::unique_ptr<Node> left, right;
    // Compare
    Cmp cmp = Cmp::Eq;
    QString fieldName;
    const Field* field = nullptr;
    std::vector<QVariant> literals;      // as written
    std::vector<QVariant> boundLiterals; // converted to the field's type
    QRegularExpression like;
    bool constant = true;
};

namespace {

using Node = FilterExpression::Node;

bool isKeyword(const Token& t, const char* word) {
    return t.kind == Tok::Name && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

class Parser {
public:
    Parser(const QString& text)
        : text_(text)
        , toks_(tokenize(text)) {}

    std::unique_ptr<Node> parseAll() {
        auto n = parseOr();
        if (peek().kind != Tok::End)
            fail(QStringLiteral("unexpected '%1'").arg(describe(peek())));
        return n;
    }

private:
    const Token& peek() const { return toks_[pos_]; }
    Token take() { return toks_[pos_++]; }

    static QString describe(const Token& t) {
        switch (t.kind) {
        case Tok::End:
            return QStringLiteral("end of text");
        case Tok::LParen:
            return QStringLiteral("(");
        case Tok::RParen:
            return QStringLiteral(")");
        case Tok::Comma:
            return QStringLiteral(",");
        case Tok::Text:
            return u'\'' + t.text + u'\'';
        default:
            return t.text;
        }
    }

    [[noreturn]] void fail(const QString& what) const {
        // One arg() call: a "%1" inside the filter must not be filled by the next one.
        throw DatabaseError(QStringLiteral("Filter '%1' is not valid: %2 at position %3.")
                                .arg(text_, what, QString::number(peek().pos + 1)));
    }

    std::unique_ptr<Node> join(Node::Kind kind, std::unique_ptr<Node> l, std::unique_ptr<Node> r) {
        // Parsing, evaluating and freeing all recurse along the tree; a chain of ANDs is as
        // deep as it is long.
        if (++joins_ > MaxJoins)
            fail(QStringLiteral("more than %1 conditions").arg(MaxJoins));
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    std::unique_ptr<Node> parseOr() {
        auto l = parseAnd();
        while (isKeyword(peek(), "or")) {
            take();
            l = join(Node::Kind::Or, std::move(l), parseAnd());
        }
        return l;
    }

    std::unique_ptr<Node> parseAnd() {
        auto l = parseNot();
        while (isKeyword(peek(), "and")) {
            take();
            l = join(Node::Kind::And, std::move(l), parseNot());
        }
        return l;
    }

    std::unique_ptr<Node> parseNot() {
        if (++depth_ > MaxDepth)
            fail(QStringLiteral("conditions nested deeper than %1 levels").arg(MaxDepth));
        auto node = parseNested();
        --depth_;
        return node;
    }

    std::unique_ptr<Node> parseNested() {
        if (isKeyword(peek(), "not")) {
            take();
            return join(Node::Kind::Not, parseNot(), nullptr);
        }
        if (peek().kind == Tok::LParen) {
            take();
            auto n = parseOr();
            if (peek().kind != Tok::RParen)
                fail(QStringLiteral("')' expected"));
            take();
            return n;
        }
        return parseComparison();
    }

    QVariant literal() {
        const Token t = peek();
        if (t.kind == Tok::Number) {
            take();
            bool ok = false;
            if (!t.text.contains(u'.')) {
                const qlonglong n = t.text.toLongLong(&ok);
                if (ok)
                    return QVariant(n);
            }
            const double d = t.text.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("'%1' is not a number").arg(t.text));
            return QVariant(d);
        }
        if (t.kind == Tok::Text) {
            take();
            return QVariant(t.text);
        }
        if (isKeyword(t, "true") || isKeyword(t, "false")) {
            take();
            return QVariant(isKeyword(t, "true"));
        }
        if (isKeyword(t, "null")) {
            take();
            return QVariant();
        }
        fail(QStringLiteral("a number or a quoted text expected instead of '%1'").arg(describe(t)));
    }

    std::unique_ptr<Node> parseComparison() {
        const Token name = peek();
        if (name.kind != Tok::Name || isKeyword(name, "and") || isKeyword(name, "or"))
            fail(QStringLiteral("a field name expected instead of '%1'").arg(describe(name)));
        take();
        auto n = std::make_unique<Node>();
        n->kind = Node::Kind::Compare;
        n->fieldName = name.text;
        const Token op = peek();
        if (isKeyword(op, "is")) {
            take();
            bool negate = false;
            if (isKeyword(peek(), "not")) {
                take();
                negate = true;
            }
            if (!isKeyword(peek(), "null"))
                fail(QStringLiteral("'null' expected"));
            take();
            n->cmp = negate ? Cmp::IsNotNull : Cmp::IsNull;
            return n;
        }
        if (isKeyword(op, "in")) {
            take();
            if (peek().kind != Tok::LParen)
                fail(QStringLiteral("'(' expected"));
            take();
            for (;;) {
                n->literals.push_back(literal());
                if (peek().kind == Tok::Comma) {
                    take();
                    continue;
                }
                if (peek().kind != Tok::RParen)
                    fail(QStringLiteral("')' expected"));
                take();
                break;
            }
            n->cmp = Cmp::In;
            return n;
        }
        if (isKeyword(op, "like")) {
            take();
            if (peek().kind != Tok::Text)
                fail(QStringLiteral("a quoted pattern expected"));
            const QString pattern = take().text;
            QString rx;
            for (const QChar ch : pattern) {
                if (ch == u'%' || ch == u'*')
                    rx += QStringLiteral(".*");
                else if (ch == u'_')
                    rx += u'.';
                else
                    rx += QRegularExpression::escape(QString(ch));
            }
            n->like = QRegularExpression(QRegularExpression::anchoredPattern(rx),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
            n->cmp = Cmp::Like;
            return n;
        }
        if (op.kind != Tok::Op)
            fail(QStringLiteral("a comparison expected after '%1'").arg(name.text));
        take();
        static const std::pair<const char*, Cmp> ops[] = {{"=", Cmp::Eq},  {"<>", Cmp::Ne},
                                                          {"<", Cmp::Lt},  {">", Cmp::Gt},
                                                          {"<=", Cmp::Le}, {">=", Cmp::Ge}};
        bool known = false;
        for (const auto& [text, cmp] : ops) {
            if (op.text == QLatin1String(text)) {
                n->cmp = cmp;
                known = true;
            }
        }
        if (!known)
            fail(QStringLiteral("unknown operator '%1'").arg(op.text));
        n->literals.push_back(literal());
        return n;
    }

    QString text_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
    int depth_ = 0;
    int joins_ = 0;
    static constexpr int MaxDepth = 200;
    static constexpr int MaxJoins = 2000;
};

// Turns a literal into the field's type so that rows compare cheaply; a text that is not a
// number is kept as text for text fields only.
QVariant bindLiteral(const Field& f, const QVariant& lit, const QString& filter) {
    if (isNullValue(lit))
        return lit;
    switch (f.dataType()) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
    case FieldType::Unknown:
        return lit.typeId() == QMetaType::QString ? lit : QVariant(lit.toString());
    default:
        try {
            return f.convert(lit);
        } catch (const DatabaseError&) {
            throw DatabaseError(QStringLiteral("Filter '%1' is not valid: '%2' cannot be compared "
                                               "with field '%3'.")
                                    .arg(filter, lit.toString(), f.fieldName()));
        }
    }
}

bool evalCompare(const Node& n, const QVariant& v) {
    switch (n.cmp) {
    case Cmp::IsNull:
        return isNullValue(v);
    case Cmp::IsNotNull:
        return !isNullValue(v);
    default:
        break;
    }
    if (isNullValue(v))
        return false;
    if (n.cmp == Cmp::Like)
        return n.like.match(v.toString()).hasMatch();
    if (n.cmp == Cmp::In) {
        for (const QVariant& lit : n.boundLiterals) {
            if (!isNullValue(lit) && compareValues(v, lit) == 0)
                return true;
        }
        return false;
    }
    const QVariant& lit = n.boundLiterals.front();
    if (isNullValue(lit))
        return false;
    const int c = compareValues(v, lit);
    switch (n.cmp) {
    case Cmp::Eq:
        return c == 0;
    case Cmp::Ne:
        return c != 0;
    case Cmp::Lt:
        return c < 0;
    case Cmp::Gt:
        return c > 0;
    case Cmp::Le:
        return c <= 0;
    case Cmp::Ge:
        return c >= 0;
    default:
        return false;
    }
}

bool eval(const Node& n, const FilterRow& row) {
    switch (n.kind) {
    case Node::Kind::And:
        return eval(*n.left, row) && eval(*n.right, row);
    case Node::Kind::Or:
        return eval(*n.left, row) || eval(*n.right, row);
    case Node::Kind::Not:
        return !eval(*n.left, row);
    case Node::Kind::Constant:
        return n.constant;
    case Node::Kind::Compare:
        return evalCompare(n, row.value(*n.field));
    }
    return false;
}

void bindNode(Node& n, const DataSet& ds, const QString& filter) {
    if (n.left)
        bindNode(*n.left, ds, filter);
    if (n.right)
        bindNode(*n.right, ds, filter);
    if (n.kind != Node::Kind::Compare)
        return;
    const Field* f = ds.findField(n.fieldName);
    if (!f)
        throw DatabaseError(QStringLiteral("Filter '%1' is not valid: field '%2' not found.")
                                .arg(filter, n.fieldName));
    std::vector<QVariant> bound;
    for (const QVariant& lit : n.literals)
        bound.push_back(bindLiteral(*f, lit, filter));
    n.field = f;
    n.boundLiterals = std::move(bound);
}

} // namespace

FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString& text) {
    std::unique_ptr<FilterExpression> e(new FilterExpression);
    e->text_ = text;
    if (!text.trimmed().isEmpty())
        e->root_ = Parser(text).parseAll();
    return e;
}

void FilterExpression::bind(const DataSet& ds) {
    if (root_)
        bindNode(*root_, ds, text_);
}

bool FilterExpression::matches(const FilterRow& row) const {
    return !root_ || eval(*root_, row);
}

} // namespace db
