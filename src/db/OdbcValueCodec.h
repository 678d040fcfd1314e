// What differs between the databases reached through ODBC: how a bound value travels and how
// the key an insert generated is read back.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace db::odbc {

class ValueCodec {
public:
    virtual ~ValueCodec() = default;

    // The value as it is bound to a statement's marker.
    virtual QVariant bound(const QVariant& value) const = 0;
    // The statement whose one value is the key the last insert generated.
    virtual QString lastInsertIdQuery() const = 0;

    // The codec for the DBMS name the driver reports; SQL Server's for any name but SQLite's.
    static std::unique_ptr<ValueCodec> forDbms(const QString& dbmsName);
};

} // namespace db::odbc
