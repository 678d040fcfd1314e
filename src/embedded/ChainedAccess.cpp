// Ownership chaining bound to the schema's real views and triggers.
#include "embedded/ChainedAccess.h"

#include "db/SqlText.h"
#include "embedded/Rights.h"

#include <sqlite3.h>

#include <vector>

namespace embedded {
namespace {

int recordAccess(void* self, int action, const char* a, const char* b, const char*,
                 const char* context) {
    static_cast<ChainedAccess*>(self)->note(action, a, b, context);
    return SQLITE_OK;
}

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

std::vector<QStringList> rowsOf(sqlite3* handle, const char* sql) {
    std::vector<QStringList> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
}

void prepareOnly(sqlite3* handle, const QString& sql) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
}

} // namespace

QString ChainedAccess::key(int action, const QString& object, const QString& column) {
    return QString::number(action) + QLatin1Char('|') + object.toLower() + QLatin1Char('|') +
           column.toLower();
}

void ChainedAccess::note(int action, const char* a, const char* b, const char* context) {
    if (context == nullptr)
        return;
    accesses_[QString::fromUtf8(context).toLower()].insert(
        key(action, QString::fromUtf8(a != nullptr ? a : ""),
            QString::fromUtf8(b != nullptr ? b : "")));
}

bool ChainedAccess::learn(sqlite3* handle) {
    accesses_.clear();
    views_.clear();
    triggers_.clear();
    const auto schema = rowsOf(handle, "SELECT type, name, tbl_name FROM main.sqlite_schema "
                                       "WHERE type IN ('view', 'trigger')");
    if (sqlite3_set_authorizer(handle, &recordAccess, this) != SQLITE_OK)
        return false;
    QSet<QString> tablesWithTriggers;
    for (const QStringList& row : schema) {
        if (row[0] == QLatin1String("view")) {
            views_.insert(row[1].toLower());
            prepareOnly(handle, QStringLiteral("SELECT * FROM ") + quoted(row[1]));
        } else {
            triggers_.insert(row[1].toLower(), row[2].toLower());
            tablesWithTriggers.insert(row[2]);
        }
    }
    for (const QString& table : tablesWithTriggers) {
        QStringList sets;
        for (const QStringList& column :
             rowsOf(handle, (QStringLiteral("SELECT name FROM pragma_table_info(") +
                             db::quotedLiteral(table) + QStringLiteral(")"))
                                .toUtf8()
                                .constData()))
            sets << quoted(column[0]) + QStringLiteral(" = ") + quoted(column[0]);
        prepareOnly(handle, QStringLiteral("INSERT INTO %1 SELECT * FROM %1").arg(quoted(table)));
        prepareOnly(handle, QStringLiteral("DELETE FROM %1").arg(quoted(table)));
        if (!sets.isEmpty())
            prepareOnly(
                handle,
                QStringLiteral("UPDATE %1 SET %2").arg(quoted(table), sets.join(QLatin1Char(','))));
    }
    return sqlite3_set_authorizer(handle, nullptr, nullptr) == SQLITE_OK;
}

ChainedAccess::Verdict ChainedAccess::check(const QString& context, int action,
                                            const QString& object, const QString& column,
                                            const Rights& rights) const {
    const QString name = context.toLower();
    const auto done = accesses_.constFind(name);
    if (done == accesses_.constEnd() || !done->contains(key(action, object, column)))
        return Verdict::NotChained;
    if (views_.contains(name))
        return rights.allows(QStringLiteral("SELECT"), name, QString()) ? Verdict::Allowed
                                                                        : Verdict::ViewRefused;
    const auto trigger = triggers_.constFind(name);
    if (trigger != triggers_.constEnd())
        for (const char* write : {"INSERT", "UPDATE", "DELETE"})
            if (rights.allows(QLatin1String(write), *trigger, QString()))
                return Verdict::Allowed;
    return Verdict::NotChained;
}

} // namespace embedded
