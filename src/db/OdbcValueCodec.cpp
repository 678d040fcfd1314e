// The value codecs of SQL Server and of SQLite (whose ODBC driver the tests use).
#include "db/OdbcValueCodec.h"

#include "db/SqliteValues.h"
#include "db/ValueCompare.h"

#include <QDateTime>

namespace db::odbc {

namespace {

class SqlServerCodec : public ValueCodec {
public:
    QVariant bound(const QVariant& value) const override {
        if (value.typeId() != QMetaType::QDateTime || isNullValue(value))
            return value;
        // As text the server converts the value to the column's own type, so an old DATETIME
        // value read back (1/300 s ticks, rounded to milliseconds) still matches the stored
        // one; a typed value may travel as DATETIME2 and miss it by a fraction.
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    }
    // @@IDENTITY, not SCOPE_IDENTITY(): each statement is its own batch, hence its own scope.
    QString lastInsertIdQuery() const override { return QStringLiteral("SELECT @@IDENTITY"); }
};

class SqliteCodec : public ValueCodec {
public:
    // SQLite compares date-times as text: the form the embedded driver stores lets a file read
    // and match the same through either driver.
    QVariant bound(const QVariant& value) const override { return sqlite::toStored(value); }
    QString lastInsertIdQuery() const override {
        return QStringLiteral("SELECT last_insert_rowid()");
    }
};

} // namespace

std::unique_ptr<ValueCodec> ValueCodec::forDbms(const QString& dbmsName) {
    if (dbmsName.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return std::make_unique<SqliteCodec>();
    return std::make_unique<SqlServerCodec>();
}

} // namespace db::odbc
