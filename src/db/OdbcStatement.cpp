// Statement execution on the raw ODBC handle: typed fetch, every result read.
#include "db/OdbcStatement.h"
#include "db/OdbcValues.h"

#include "db/DatabaseError.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcWatchdog.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <climits>
#include <optional>

namespace db::odbc {

[[noreturn]] void fail(SQLSMALLINT handleType, SQLHANDLE handle) {
    throw diagnosticsError(handleType, handle);
}

void check(SQLRETURN rc, SQLHANDLE statement) {
    if (!SQL_SUCCEEDED(rc))
        fail(SQL_HANDLE_STMT, statement);
}

static const SQLWCHAR* wide(const QString& text) {
    return reinterpret_cast<const SQLWCHAR*>(text.utf16());
}

QString fromWide(const SQLWCHAR* text, qsizetype length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

QDateTime dateTimeOf(const SQL_TIMESTAMP_STRUCT& ts) {
    // Rounded to the nearest millisecond: DATETIME's 1/300 s ticks then read as the server
    // shows them (.003, .007, .010).
    const QDateTime whole(QDate(ts.year, ts.month, ts.day), QTime(ts.hour, ts.minute, ts.second));
    return whole.addMSecs((static_cast<qint64>(ts.fraction) + 500000) / 1000000);
}

namespace {

// A result column as described by the driver, with the way its cells are read.
struct ColumnReader {
    Column column;
    Kind kind = Kind::Text;
};

ColumnReader describeColumn(SQLHSTMT statement, SQLUSMALLINT number) {
    std::vector<SQLWCHAR> name(256);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT dataType = 0;
    SQLULEN columnSize = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    auto describe = [&] {
        check(SQLDescribeColW(statement, number, name.data(), static_cast<SQLSMALLINT>(name.size()),
                              &nameLength, &dataType, &columnSize, &digits, &nullable),
              statement);
    };
    describe();
    if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.resize(static_cast<size_t>(nameLength) + 1);
        describe();
    }

    ColumnReader reader;
    reader.column.name = fromWide(name.data(), nameLength);
    SQLLEN autoIncrement = SQL_FALSE;
    if (!SQL_SUCCEEDED(SQLColAttributeW(statement, number, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0,
                                        nullptr, &autoIncrement)))
        autoIncrement = SQL_FALSE;

    const int size = columnSize > 0 && columnSize <= static_cast<SQLULEN>(INT_MAX)
                         ? static_cast<int>(columnSize)
                         : 0;
    Column& c = reader.column;
    switch (dataType) {
    case SQL_BIT:
        c.type = FieldType::Boolean;
        reader.kind = Kind::Bool;
        break;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
        c.type = FieldType::Integer;
        reader.kind = Kind::Int32;
        break;
    case SQL_BIGINT:
        c.type = FieldType::Integer;
        reader.kind = Kind::Int64;
        break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        if (digits == 0 && size > 0 && size <= 18) {
            c.type = FieldType::Integer;
            reader.kind = size <= 9 ? Kind::Int32 : Kind::Int64;
        } else {
            c.type = FieldType::Float;
            reader.kind = Kind::Double;
        }
        break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        c.type = FieldType::Float;
        reader.kind = Kind::Double;
        break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        c.type = FieldType::Date;
        reader.kind = Kind::Date;
        break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        c.type = FieldType::DateTime;
        reader.kind = Kind::DateTime;
        break;
    case SQL_CHAR:
    case SQL_VARCHAR:
        c.type = size > 0 && size <= 8000 ? FieldType::String : FieldType::Memo;
        c.size = c.type == FieldType::String ? size : 0;
        break;
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        c.type = size > 0 && size <= 4000 ? FieldType::WideString : FieldType::Memo;
        c.size = c.type == FieldType::WideString ? size : 0;
        break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        c.type = FieldType::Memo;
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        c.type = FieldType::Unknown;
        reader.kind = Kind::Binary;
        break;
    default: // times, GUIDs, and server types ODBC does not name travel as text
        c.type = FieldType::String;
        c.size = size;
        break;
    }
    if (autoIncrement == SQL_TRUE && c.type == FieldType::Integer) {
        c.type = FieldType::AutoInc;
        c.readOnly = true;
    }
    return reader;
}

// Reads a long value in pieces; returns false when it is null.
template <typename Unit>
bool readPieces(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT cType,
                std::vector<Unit>& out) {
    out.clear();
    Unit piece[2048];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, number, cType, piece, sizeof(piece), &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        check(rc, statement);
        if (indicator == SQL_NULL_DATA)
            return false;
        // Text pieces end in a terminator that is not part of the value.
        const size_t terminator = cType == SQL_C_WCHAR ? 1 : 0;
        const size_t room = sizeof(piece) / sizeof(Unit) - terminator;
        const size_t got =
            indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(Unit) > room
                ? room
                : static_cast<size_t>(indicator) / sizeof(Unit);
        out.insert(out.end(), piece, piece + got);
        if (rc == SQL_SUCCESS)
            return true;
    }
}

QVariant readCell(SQLHSTMT statement, SQLUSMALLINT number, Kind kind) {
    SQLLEN indicator = 0;
    auto get = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
        check(SQLGetData(statement, number, cType, target, size, &indicator), statement);
        return indicator != SQL_NULL_DATA;
    };
    switch (kind) {
    case Kind::Int32: {
        SQLINTEGER v = 0;
        return get(SQL_C_SLONG, &v, sizeof v) ? QVariant::fromValue<qint32>(v) : QVariant();
    }
    case Kind::Int64: {
        SQLBIGINT v = 0;
        return get(SQL_C_SBIGINT, &v, sizeof v) ? QVariant::fromValue<qint64>(v) : QVariant();
    }
    case Kind::Double: {
        SQLDOUBLE v = 0;
        return get(SQL_C_DOUBLE, &v, sizeof v) ? QVariant(v) : QVariant();
    }
    case Kind::Bool: {
        SQLCHAR v = 0;
        return get(SQL_C_BIT, &v, sizeof v) ? QVariant(v != 0) : QVariant();
    }
    case Kind::Date: {
        SQL_DATE_STRUCT v{};
        return get(SQL_C_TYPE_DATE, &v, sizeof v) ? QVariant(QDate(v.year, v.month, v.day))
                                                  : QVariant();
    }
    case Kind::DateTime: {
        SQL_TIMESTAMP_STRUCT v{};
        return get(SQL_C_TYPE_TIMESTAMP, &v, sizeof v) ? QVariant(dateTimeOf(v)) : QVariant();
    }
    case Kind::Binary: {
        std::vector<char> bytes;
        if (!readPieces(statement, number, SQL_C_BINARY, bytes))
            return {};
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case Kind::Text: {
        std::vector<SQLWCHAR> chars;
        if (!readPieces(statement, number, SQL_C_WCHAR, chars))
            return {};
        return fromWide(chars.data(), static_cast<qsizetype>(chars.size()));
    }
    }
    return {};
}

void readRows(SQLHSTMT statement, SQLSMALLINT columnCount, Result& result,
              StatementWatchdog* watchdog) {
    std::vector<ColumnReader> readers;
    readers.reserve(static_cast<size_t>(columnCount));
    for (SQLSMALLINT i = 1; i <= columnCount; ++i) {
        readers.push_back(describeColumn(statement, static_cast<SQLUSMALLINT>(i)));
        result.columns.push_back(readers.back().column);
    }
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (watchdog != nullptr)
            watchdog->progress();
        if (rc == SQL_NO_DATA)
            break;
        check(rc, statement);
        std::vector<QVariant> row;
        row.reserve(readers.size());
        for (size_t i = 0; i < readers.size(); ++i)
            row.push_back(readCell(statement, static_cast<SQLUSMALLINT>(i + 1), readers[i].kind));
        result.rows.push_back(std::move(row));
    }
}

} // namespace

Statement::Statement(void* connectionHandle, const LinkSocket& link)
    : link_(link) {
    SQLHANDLE statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connectionHandle, &statement)))
        fail(SQL_HANDLE_DBC, connectionHandle);
    handle_ = statement;
    // A server cursor would cost a round trip per row and hide procedures' result sets.
    SQLSetStmtAttr(statement, SQL_ATTR_CURSOR_TYPE,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CURSOR_FORWARD_ONLY)), 0);
    SQLSetStmtAttr(statement, SQL_ATTR_CONCURRENCY,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_CONCUR_READ_ONLY)), 0);
}

Statement::~Statement() {
    SQLFreeStmt(handle_, SQL_CLOSE);
    SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

Result Statement::run(const QString& sql, std::vector<Argument>& arguments, int timeoutSeconds) {
    SQLHSTMT statement = handle_;
    // A driver without time-outs (HYC00) still runs the statement, only without a limit.
    if (timeoutSeconds > 0)
        SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeoutSeconds)), 0);

    // The buffers are bound by address: the vector is sized once and never grows.
    std::vector<Slot> bound(arguments.size());
    // Whatever way run() ends, the driver lets go of the buffers before they are freed: a
    // server sends output values last, and closing a half-read statement may still write them.
    struct Release {
        SQLHSTMT statement;
        ~Release() {
            SQLFreeStmt(statement, SQL_CLOSE);
            SQLFreeStmt(statement, SQL_RESET_PARAMS);
        }
    } release{statement};
    for (size_t i = 0; i < arguments.size(); ++i)
        bindArgument(statement, static_cast<SQLUSMALLINT>(i + 1), arguments[i], bound[i]);

    const QString text = sql; // keeps the UTF-16 alive and terminated for the call
    // Ends before `release` frees what it cancels.
    std::optional<StatementWatchdog> watchdog;
    if (timeoutSeconds > 0)
        watchdog.emplace(statement, link_, timeoutSeconds);
    try {
        return runWatched(statement, text, arguments, bound, watchdog ? &*watchdog : nullptr);
    } catch (const DatabaseError&) {
        // The driver may return from the cut link before the watchdog has noted it.
        if (watchdog)
            watchdog->stop();
        if (watchdog && watchdog->dropped())
            throw DatabaseError(serverSilentMessage(timeoutSeconds), QStringLiteral("HYT00"));
        throw;
    }
}

Result Statement::runWatched(void* handle, const QString& text, std::vector<Argument>& arguments,
                             std::vector<Slot>& bound, StatementWatchdog* watchdog) {
    SQLHSTMT statement = handle;
    Result result;
    bool haveRows = false;
    SQLLEN affected = -1;
    // A driver that repeats an error instead of moving on must not hold the call forever.
    constexpr int kMaxSkippedErrors = 1000;
    int skippedErrors = 0;
    SQLRETURN rc = SQLExecDirectW(statement, const_cast<SQLWCHAR*>(wide(text)), SQL_NTS);
    for (;;) {
        if (watchdog != nullptr)
            watchdog->progress();
        if (rc == SQL_NO_DATA) {
            // No rows matched, or the server sent no count at all (NOCOUNT): only the driver's
            // count tells them apart, and -1 means nobody knows.
            SQLLEN count = -1;
            if (SQL_SUCCEEDED(SQLRowCount(statement, &count)) && count >= 0)
                affected = count;
        } else if (!SQL_SUCCEEDED(rc)) {
            DatabaseError error = diagnosticsError(SQL_HANDLE_STMT, statement);
            // Once rows are in hand a later error of the batch does not cost them, as with the
            // first recordset of an ADO command; a lost link always counts.
            if (!haveRows || error.connectionLost() || ++skippedErrors > kMaxSkippedErrors)
                throw error;
        } else {
            SQLSMALLINT columns = 0;
            check(SQLNumResultCols(statement, &columns), statement);
            if (columns > 0) {
                if (!haveRows)
                    readRows(statement, columns, result, watchdog);
                haveRows = true;
            } else {
                SQLLEN count = -1;
                if (SQL_SUCCEEDED(SQLRowCount(statement, &count)) && count >= 0)
                    affected = count;
            }
        }
        rc = SQLMoreResults(statement);
        if (rc == SQL_NO_DATA)
            break;
    }
    if (!haveRows)
        result.rowsAffected = static_cast<int>(affected);

    for (size_t i = 0; i < arguments.size(); ++i) {
        if (bound[i].io != SQL_PARAM_INPUT)
            arguments[i].value = outputValue(bound[i]);
    }
    return result;
}

} // namespace db::odbc
