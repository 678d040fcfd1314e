// The audit log's records: one KEL_LOG row per changed field or deleted row, naming who
// changed it and from which computer.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace db {
class DataSet;
}

namespace session {

class AuditRecords {
public:
    // Who and where are asked for each record: the address may change during the run.
    AuditRecords(db::DataSet& exec, std::function<QString()> login,
                 std::function<QString()> computer);

    QString login() const { return login_ ? login_() : QString(); }
    QString computer() const { return computer_ ? computer_() : QString(); }

    void addChange(const QString& description, const db::DataSet& dataSet, const QString& tableName,
                   const QString& keyFieldName, QStringList& statements) const;
    void addDeletion(const QString& image, const db::DataSet& dataSet, const QString& tableName,
                     const QString& keyFieldName, QStringList& statements) const;
    // Runs them in the caller's transaction; a refusal is thrown as a refused audit record.
    void run(const QStringList& statements) const;

private:
    QString statement(const QString& tableName, const QString& keyText,
                      const QString& description) const;

    db::DataSet& exec_;
    std::function<QString()> login_;
    std::function<QString()> computer_;
};

} // namespace session
