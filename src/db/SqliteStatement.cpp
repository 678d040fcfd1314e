#include "db/SqliteStatement.h"

#include "db/SqliteValues.h"

#include <sqlite3.h>

#include <limits>

namespace db {

ErrorKind kindOfEngineCode(int code) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_INTERRUPT:
        return ErrorKind::Busy;
    case SQLITE_AUTH:
    case SQLITE_PERM:
        return ErrorKind::RightRefused;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
        return ErrorKind::ValueRefused;
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
        return ErrorKind::FileGone;
    default:
        return ErrorKind::Other;
    }
}
namespace {

QString messageOf(sqlite3* handle) {
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

// Only anonymous '?' come from the data-access layer. A name (":a", "@a", "$a", "?1") comes from
// typed text; SQL Server refuses such text, and so does this driver.
void refuseNamedParameters(sqlite3_stmt* stmt) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt, i);
        if (name == nullptr)
            continue;
        const QString text = QString::fromUtf8(name);
        if (text.startsWith(QLatin1Char('@')))
            throw DatabaseError(
                QStringLiteral("Must declare the scalar variable \"%1\".").arg(text));
        throw DatabaseError(QStringLiteral("Incorrect syntax near '%1'.").arg(text));
    }
}

// What is left after the first statement, up to a NUL, holds nothing but blanks.
bool onlyBlanksAfter(const char* tail, const char* end) {
    for (const char* p = tail; p < end && *p != '\0'; ++p) {
        if (!QChar::isSpace(static_cast<uchar>(*p)))
            return false;
    }
    return true;
}

QString textOf(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

QVariant integer(qint64 v) {
    if (v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
        return QVariant(static_cast<qint32>(v));
    return QVariant(v);
}

} // namespace

SqliteStatement::SqliteStatement(sqlite3* handle, const QString& sql)
    : handle_(handle) {
    if (handle_ == nullptr)
        throw DatabaseError(QStringLiteral("The connection is closed."));
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int code = sqlite3_prepare_v2(handle_, text.constData(), int(text.size()), &stmt_, &tail);
    if (code != SQLITE_OK)
        fail(code);
    if (stmt_ == nullptr)
        throw DatabaseError(QStringLiteral("Unable to execute statement"));
    if (tail != nullptr && !onlyBlanksAfter(tail, text.constData() + text.size())) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DatabaseError(QStringLiteral("Unable to execute multiple statements at a time"));
    }
    try {
        refuseNamedParameters(stmt_);
    } catch (...) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

[[noreturn]] void SqliteStatement::fail(int code) const {
    throw SqliteError(messageOf(handle_), code & 0xff);
}

void SqliteStatement::bind(const std::vector<QVariant>& binds) {
    if (sqlite3_bind_parameter_count(stmt_) != static_cast<int>(binds.size()))
        throw DatabaseError(QStringLiteral("Parameter count mismatch"));
    for (size_t i = 0; i < binds.size(); ++i) {
        const QVariant v = sqlite::toStored(binds[i]);
        const int at = static_cast<int>(i) + 1;
        int code = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            code = sqlite3_bind_null(stmt_, at);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Long:
            code = sqlite3_bind_int64(stmt_, at, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            code = sqlite3_bind_double(stmt_, at, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray* bytes = static_cast<const QByteArray*>(v.constData());
            code = bytes->isNull()
                       ? sqlite3_bind_null(stmt_, at)
                       : sqlite3_bind_blob64(stmt_, at, bytes->constData(),
                                             sqlite3_uint64(bytes->size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString s = v.toString();
            if (s.isNull()) {
                code = sqlite3_bind_null(stmt_, at);
                break;
            }
            const QByteArray utf8 = s.toUtf8();
            code = sqlite3_bind_text64(stmt_, at, utf8.constData(), sqlite3_uint64(utf8.size()),
                                       SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
        if (code != SQLITE_OK)
            fail(code);
    }
}

bool SqliteStatement::returnsRows() const {
    return sqlite3_column_count(stmt_) > 0;
}

std::vector<Column> SqliteStatement::columns() const {
    const int n = sqlite3_column_count(stmt_);
    std::vector<Column> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        // Named as Qt's driver names them: without quotes or a table prefix.
        QString name = QString::fromUtf8(sqlite3_column_name(stmt_, i)).remove(QLatin1Char('"'));
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0)
            name = name.mid(dot + 1);
        const char* declared = sqlite3_column_decltype(stmt_, i);
        out.push_back(sqlite::columnFromDeclaredType(
            name, declared != nullptr ? QString::fromUtf8(declared) : QString()));
    }
    return out;
}

bool SqliteStatement::next() {
    const int code = sqlite3_step(stmt_);
    if (code == SQLITE_ROW)
        return true;
    if (code == SQLITE_DONE)
        return false;
    fail(code);
}

void SqliteStatement::run() {
    while (next()) {
    }
}

QVariant SqliteStatement::value(int column, FieldType type, bool storedDateTimes) const {
    const int stored = sqlite3_column_type(stmt_, column);
    if (stored == SQLITE_NULL)
        return {};
    // The common pairs are read directly; anything else goes the general way.
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Unknown:
        if (stored == SQLITE_INTEGER)
            return integer(sqlite3_column_int64(stmt_, column));
        break;
    case FieldType::Boolean:
        if (stored == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(stmt_, column) != 0);
        break;
    case FieldType::Float:
        if (stored == SQLITE_FLOAT || stored == SQLITE_INTEGER)
            return QVariant(sqlite3_column_double(stmt_, column));
        break;
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
        if (stored == SQLITE_TEXT)
            return QVariant(textOf(stmt_, column));
        break;
    case FieldType::DateTime:
    case FieldType::Date:
        if (stored == SQLITE_TEXT && storedDateTimes && type == FieldType::DateTime) {
            LocalDateTime local;
            if (sqlite::canonicalLocalDateTimeFromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                    sqlite3_column_bytes(stmt_, column), local))
                return QVariant::fromValue(local);
        } else if (stored == SQLITE_TEXT) {
            const QDateTime dt = sqlite::canonicalDateTimeFromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)),
                sqlite3_column_bytes(stmt_, column));
            if (dt.isValid())
                return type == FieldType::Date ? QVariant(dt.date()) : QVariant(dt);
        }
        break;
    }
    QVariant raw;
    switch (stored) {
    case SQLITE_INTEGER:
        raw = QVariant(static_cast<qint64>(sqlite3_column_int64(stmt_, column)));
        break;
    case SQLITE_FLOAT:
        raw = QVariant(sqlite3_column_double(stmt_, column));
        break;
    case SQLITE_BLOB:
        raw = QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)),
                                  sqlite3_column_bytes(stmt_, column)));
        break;
    default:
        raw = QVariant(textOf(stmt_, column));
        break;
    }
    return sqlite::fromStored(raw, type);
}

} // namespace db
