// A field of a data set: data, lookup or calculated, bound to the data set's current row.
#pragma once

#include "db/Result.h"
#include "db/ValueCompare.h"

#include <QObject>
#include <QString>
#include <QVariant>

namespace db {

class DataSet;

enum class FieldKind { Data, Lookup, Calculated };
enum class Alignment { Left, Right, Center };

// How a field is declared before the data set opens (persistent fields) or how a result
// column is turned into one (dynamic fields).
struct FieldDef {
    QString name;
    FieldKind kind = FieldKind::Data;
    FieldType type = FieldType::String;
    int size = 0; // characters for text types; texts are cut to it
    bool readOnly = false;
    // Lookup: the lookup data set, its key field, its result field, and this row's key field.
    DataSet* lookupDataSet = nullptr;
    QString lookupKeyFields;
    QString lookupResultField;
    QString keyFields;
};

// Fields are QObjects so that holders of a reference (QPointer) learn of their destruction.
// Value access always concerns the data set's current row (or the row being calculated).
class Field : public QObject {
    Q_OBJECT
public:
    Field(DataSet* owner, const FieldDef& def, int index);

    DataSet* dataSet() const { return dataSet_; }
    const FieldDef& def() const { return def_; }
    QString fieldName() const { return def_.name; }
    FieldKind fieldKind() const { return def_.kind; }
    FieldType dataType() const { return def_.type; }
    int size() const { return def_.size; }
    int index() const { return index_; }
    bool isLookup() const { return def_.kind == FieldKind::Lookup; }
    bool isData() const { return def_.kind == FieldKind::Data; }
    QString keyFields() const { return def_.keyFields; }
    DataSet* lookupDataSet() const { return def_.lookupDataSet; }
    QString lookupKeyFields() const { return def_.lookupKeyFields; }
    QString lookupResultField() const { return def_.lookupResultField; }

    bool readOnly() const { return def_.readOnly; }
    void setReadOnly(bool on) { def_.readOnly = on; }
    Alignment alignment() const;

    // The value of the current row; lookups resolve, calculated fields compute.
    QVariant value() const;
    // The value last read from or written to the database (data fields).
    QVariant oldValue() const;
    bool isNull() const { return isNullValue(value()); }
    // The plain text of the value: empty for null, short date (and long time unless
    // midnight), "True"/"False", decimal digits.
    QString text() const;
    // The text of the old value, by the same rules.
    QString oldText() const;

    // Writes the current row's buffer; the data set must be editing or inserting (or
    // calculating, for calculated fields). Throws DatabaseError naming the field when it
    // is read-only or the value does not convert to the field's type.
    void setValue(const QVariant& v);
    // Text in the forms text() shows (and ISO dates); an empty text is null, except that a
    // text field already empty keeps its empty string.
    void setText(const QString& text);
    void clear() { setValue(QVariant()); }

    QString asString() const { return text(); }
    qint32 asInteger() const { return value().toInt(); }
    bool asBoolean() const { return value().toBool(); }

    // The plain text of any value of this field's type.
    QString textOf(const QVariant& v) const;
    // Converts a value to this field's type; throws DatabaseError when it does not convert.
    QVariant convert(const QVariant& v) const;

private:
    DataSet* dataSet_;
    FieldDef def_;
    int index_;
};

} // namespace db
