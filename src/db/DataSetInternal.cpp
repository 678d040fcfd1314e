// Statement parameter parsing and value types for data sets.
#include "db/DataSetInternal.h"

#include "db/DatabaseError.h"
#include "db/InferredType.h"

#include <algorithm>

namespace db::internal {

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Calls found(start, length, name) for each parameter; returns nothing.
template <typename F> void scan(const QString& sql, F&& found) {
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n && sql[j] != close)
                ++j;
            i = j + 1;
            continue;
        }
        if (c == u':') {
            if (i + 1 < n && sql[i + 1] == u':') {
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            if (j > i + 1 && !(i > 0 && isNameChar(sql[i - 1]))) {
                found(i, j - i, sql.mid(i + 1, j - i - 1));
                i = j;
                continue;
            }
        }
        ++i;
    }
}

} // namespace

QStringList parameterNames(const QString& sql) {
    QStringList names;
    scan(sql, [&](qsizetype, qsizetype, const QString& name) { names << name; });
    return names;
}

QString positionalSql(const QString& sql, const Parameters& params, std::vector<QVariant>& binds) {
    QString out;
    qsizetype last = 0;
    bool any = false;
    scan(sql, [&](qsizetype start, qsizetype length, const QString& name) {
        any = true;
        out += QStringView(sql).mid(last, start - last);
        out += u'?';
        binds.push_back(params.byName(name).value);
        last = start + length;
    });
    if (!any)
        return sql;
    out += QStringView(sql).mid(last);
    return out;
}

int metaTypeOf(FieldType type) {
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QMetaType::Int;
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
        return QMetaType::QString;
    case FieldType::Float:
        return QMetaType::Double;
    case FieldType::Date:
        return QMetaType::QDate;
    case FieldType::DateTime:
        return QMetaType::QDateTime;
    case FieldType::Boolean:
        return QMetaType::Bool;
    case FieldType::Unknown:
        break;
    }
    return QMetaType::UnknownType;
}

FieldType inferType(const Result& result, size_t column) {
    for (const auto& row : result.rows) {
        if (column >= row.size())
            continue;
        if (const FieldType t = inferredType(row[column]); t != FieldType::Unknown)
            return t;
    }
    return FieldType::String;
}

void TypedRows::begin(const std::vector<Column>& columns, size_t rowsHint) {
    keeping_ = std::any_of(columns.begin(), columns.end(),
                           [](const Column& c) { return c.type == FieldType::Unknown; });
    if (keeping_)
        kept_.begin(columns, rowsHint);
    else
        out_.begin(columns, rowsHint);
}

void TypedRows::row(std::vector<QVariant>& values) {
    if (keeping_)
        kept_.row(values);
    else
        out_.row(values);
}

void TypedRows::finish() {
    if (!keeping_)
        return;
    keeping_ = false;
    Result& result = kept_.result;
    for (size_t c = 0; c < result.columns.size(); ++c)
        if (result.columns[c].type == FieldType::Unknown)
            result.columns[c].type = inferType(result, c);
    out_.take(std::move(result));
}

} // namespace db::internal
