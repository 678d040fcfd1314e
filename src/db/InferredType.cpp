// Field types of undeclared columns.
#include "db/InferredType.h"

#include "db/ValueCompare.h"

namespace db {

FieldType inferredType(const QVariant& value) {
    if (isNullValue(value))
        return FieldType::Unknown;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return FieldType::Integer;
    case QMetaType::Double:
        return FieldType::Float;
    case QMetaType::Bool:
        return FieldType::Boolean;
    case QMetaType::QDate:
        return FieldType::Date;
    case QMetaType::QDateTime:
        return FieldType::DateTime;
    default:
        return FieldType::String;
    }
}

} // namespace db
