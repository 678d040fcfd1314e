#include "session/AuditRecords.h"

#include "db/DataSet.h"
#include "db/DatabaseError.h"
#include "db/Field.h"
#include "db/SqlText.h"
#include "history/log_u.h"

namespace session {

namespace {

// Login and computer name are written inside quotes: an apostrophe in them is doubled, so
// that it can neither break the statement nor add to it.
QString quotedName(const QString& text) {
    return QuoteSQL(db::doubledQuotes(text));
}

} // namespace

AuditRecords::AuditRecords(db::DataSet& exec, std::function<QString()> login,
                           std::function<QString()> computer)
    : exec_(exec)
    , login_(std::move(login))
    , computer_(std::move(computer)) {}

QString AuditRecords::statement(const QString& tableName, const QString& keyText,
                                const QString& description) const {
    return QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                          "VALUES(") +
           QuoteSQL(tableName) + QStringLiteral(", ") + keyText + QStringLiteral(", ") +
           QuoteSQL(description) + QStringLiteral(", ") + quotedName(login()) +
           QStringLiteral(", ") + quotedName(computer()) + QStringLiteral(")");
}

void AuditRecords::addChange(const QString& description, const db::DataSet& dataSet,
                             const QString& tableName, const QString& keyFieldName,
                             QStringList& statements) const {
    statements << statement(tableName, dataSet.fieldByName(keyFieldName)->text(), description);
}

void AuditRecords::addDeletion(const QString& image, const db::DataSet& dataSet,
                               const QString& tableName, const QString& keyFieldName,
                               QStringList& statements) const {
    const QString key = dataSet.fieldByName(keyFieldName)->text();
    statements << statement(tableName, key,
                            QStringLiteral("Запись с уникальным номером - ") + QuoteSQLTwice(key) +
                                QStringLiteral(" была удалена - ") + image + QStringLiteral("."));
}

void AuditRecords::run(const QStringList& statements) const {
    try {
        for (const QString& statement : statements) {
            exec_.setSql(statement);
            exec_.execSql();
        }
    } catch (const db::DatabaseError& e) {
        // The change goes back with its records; the user is told which part was refused.
        if (e.connectionLost())
            throw;
        throw db::DatabaseError(db::ErrorKind::AuditRefused,
                                QStringLiteral("Сервер не принял запись журнала изменений "
                                               "(KEL_LOG), поэтому изменение не сохранено.\n") +
                                    e.message());
    }
}

} // namespace session
