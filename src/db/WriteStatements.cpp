// Optimistic write-back statements.
#include "db/WriteStatements.h"

#include "db/ValueCompare.h"

#include <QStringList>

namespace db {

WriteStatements::WriteStatements(const QString& table, const QString& keyColumn)
    : table_(table)
    , key_(keyColumn) {}

WriteStatement WriteStatements::update(const QVariant& key,
                                       const std::vector<WriteColumn>& columns) const {
    QStringList sets, where;
    std::vector<QVariant> setBinds, whereBinds;
    where << key_ + QStringLiteral(" = ?");
    whereBinds.push_back(key);
    for (const WriteColumn& c : columns) {
        if (sameValue(c.now, c.old))
            continue;
        sets << c.name + QStringLiteral(" = ?");
        setBinds.push_back(c.now);
        // "= NULL" matches no row: an old null is found by IS NULL.
        if (isNullValue(c.old)) {
            where << c.name + QStringLiteral(" IS NULL");
        } else {
            where << c.name + QStringLiteral(" = ?");
            whereBinds.push_back(c.old);
        }
    }
    if (sets.isEmpty())
        return {};
    WriteStatement s;
    s.sql = QStringLiteral("UPDATE ") + table_ + QStringLiteral(" SET ") +
            sets.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
            where.join(QStringLiteral(" AND "));
    s.binds = std::move(setBinds);
    s.binds.insert(s.binds.end(), whereBinds.begin(), whereBinds.end());
    return s;
}

WriteStatement WriteStatements::insert(const std::vector<WriteColumn>& columns) const {
    QStringList names, marks;
    WriteStatement s;
    for (const WriteColumn& c : columns) {
        if (isNullValue(c.now))
            continue;
        names << c.name;
        marks << QStringLiteral("?");
        s.binds.push_back(c.now);
    }
    s.sql = QStringLiteral("INSERT INTO ") + table_;
    if (names.isEmpty())
        s.sql += QStringLiteral(" DEFAULT VALUES");
    else
        s.sql += QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                 QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + u')';
    return s;
}

WriteStatement WriteStatements::remove(const QVariant& key) const {
    return {QStringLiteral("DELETE FROM ") + table_ + QStringLiteral(" WHERE ") + key_ +
                QStringLiteral(" = ?"),
            {key}};
}

WriteStatement WriteStatements::select(const QVariant& key,
                                       const std::vector<QString>& columns) const {
    QStringList names;
    for (const QString& c : columns)
        names << c;
    return {QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) +
                QStringLiteral(" FROM ") + table_ + QStringLiteral(" WHERE ") + key_ +
                QStringLiteral(" = ?"),
            {key}};
}

} // namespace db
