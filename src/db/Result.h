// What a driver hands back for one statement: column descriptions and every row.
#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace db {

// Field types the data-access layer knows; drivers map their column types onto these.
enum class FieldType {
    Unknown,
    Integer,
    AutoInc,
    String,     // 8-bit text with a size
    WideString, // fixed-length Unicode text
    Memo,       // text of unlimited size
    Float,
    Date,
    DateTime,
    Boolean,
};

// One column of a result as the driver describes it.
struct Column {
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0; // characters for text types, 0 when unknown or not a text
    bool readOnly = false;
};

// A whole result, fetched at once (static cursor). Values are already converted to the
// column's type: qint32/qint64 for integers, QString, double, QDate, QDateTime, bool; a
// null is an invalid QVariant.
struct Result {
    std::vector<Column> columns;
    std::vector<std::vector<QVariant>> rows;
    int rowsAffected = -1; // for statements without rows; -1 when unknown
    bool hasRows() const { return !columns.empty(); }
};

} // namespace db
