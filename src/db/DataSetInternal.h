// Helpers shared by the data-set sources: statement parameters and value types.
#pragma once

#include "db/Parameter.h"
#include "db/Result.h"
#include "db/RowSink.h"

#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {

namespace internal {

// The ":name" parameters of a statement in order of appearance (repeats included); texts
// in quotes or brackets and "::" are not parameters.
QStringList parameterNames(const QString& sql);

// The statement with each ":name" replaced by '?', and the values to bind in that order.
// Throws DatabaseError naming a parameter the list does not hold.
QString positionalSql(const QString& sql, const Parameters& params, std::vector<QVariant>& binds);

// The value type a field of this type holds (QMetaType id), UnknownType for any.
int metaTypeOf(FieldType type);
// The field type of a column the driver could not type, from its first non-null value.
FieldType inferType(const Result& result, size_t column);

// Hands a procedure's rows on as they are read while every column's type is known; a result
// with a column the driver could not type is kept whole, so that its rows can tell the type.
class TypedRows : public RowSink {
public:
    explicit TypedRows(RowSink& out)
        : out_(out) {}
    void begin(const std::vector<Column>& columns, size_t rowsHint) override;
    void row(std::vector<QVariant>& values) override;
    // Kept rows hold them only in typed columns, which need no inference.
    bool takesStoredDateTimes() const override { return out_.takesStoredDateTimes(); }
    // Passes on what was kept, typed; call once the procedure has returned.
    void finish();

private:
    RowSink& out_;
    bool keeping_ = false;
    ResultCollector kept_;
};

} // namespace internal
} // namespace db
