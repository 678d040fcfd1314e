// Pieces shared by the ODBC statement code: how values travel, checked calls, parameter buffers.
#pragma once

#include "db/OdbcStatement.h"

#include <QByteArray>
#include <QDateTime>

#include <sql.h>
#include <sqlext.h>

namespace db::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16");

// How a value travels between the program and the driver.
enum class Kind { Text, Int32, Int64, Double, Bool, Date, DateTime, Binary };

// Throw the handle's diagnostics as a DatabaseError.
[[noreturn]] void fail(SQLSMALLINT handleType, SQLHANDLE handle);
void check(SQLRETURN rc, SQLHANDLE statement);
QString fromWide(const SQLWCHAR* text, qsizetype length);
QDateTime dateTimeOf(const SQL_TIMESTAMP_STRUCT& ts);

// A parameter's buffer and length indicator; both must stay put until the statement is freed.
struct Slot {
    Kind kind = Kind::Text;
    SQLSMALLINT io = SQL_PARAM_INPUT;
    QByteArray buffer;
    SQLLEN indicator = 0;
};

// Binds argument number (1-based) to its slot, converting the value to the argument's type.
void bindArgument(SQLHSTMT statement, SQLUSMALLINT number, Argument& argument, Slot& slot);
// The value the driver left in an output slot.
QVariant outputValue(const Slot& slot);

} // namespace db::odbc
