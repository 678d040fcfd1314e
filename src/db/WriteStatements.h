// The statements that write a data set's rows back to their table. An update sets only the
// columns that changed and finds the row by its key and by those columns' old values, so it
// changes nothing when someone else changed them since the row was read.
#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace db {

// A statement's text with '?' marks and the values to bind in their order.
struct WriteStatement {
    QString sql;
    std::vector<QVariant> binds;
    bool isEmpty() const { return sql.isEmpty(); }
};

// One column of the row being written: the value as read and the value now.
struct WriteColumn {
    QString name;
    QVariant old;
    QVariant now;
};

class WriteStatements {
public:
    WriteStatements(const QString& table, const QString& keyColumn);

    // Empty when no column changed.
    WriteStatement update(const QVariant& key, const std::vector<WriteColumn>& columns) const;
    // The columns that hold a value; none: the table's defaults.
    WriteStatement insert(const std::vector<WriteColumn>& columns) const;
    WriteStatement remove(const QVariant& key) const;
    // The row's columns as the table holds them now.
    WriteStatement select(const QVariant& key, const std::vector<QString>& columns) const;

private:
    QString table_, key_;
};

} // namespace db
