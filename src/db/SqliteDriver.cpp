#include "db/SqliteDriver.h"

#include "db/DatabaseError.h"
#include "db/SqliteValues.h"

#include <QAtomicInteger>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>

namespace db {
namespace {

QAtomicInteger<quint64> connectionCounter;

// How long a statement waits for another writer's lock before it gives up. The client waits
// in its window's thread, so this stays short; the journal's writes take milliseconds.
constexpr int LockWaitMilliseconds = 2000;

QString errorText(const QSqlError& e) {
    const QString text = e.databaseText();
    return text.isEmpty() ? e.text() : text;
}

sqlite3_stmt* statementOf(const QSqlQuery& q) {
    const QVariant h = q.result()->handle();
    return h.isValid() ? *static_cast<sqlite3_stmt* const*>(h.constData()) : nullptr;
}

// Qt hands SQLite each "?" of ours renamed ":0", ":1", ... in order. Any other name (":a",
// "@a", "$a", "?1") comes from typed text, and Qt's driver and SQLite disagree on where such a
// name ends or whether text after a NUL counts: its exec crashed on the disagreement. SQL
// Server refuses such text too, so it is refused here.
void refuseNamedParameters(sqlite3_stmt* stmt) {
    if (stmt == nullptr)
        return;
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* name = sqlite3_bind_parameter_name(stmt, i);
        const QString text = name != nullptr ? QString::fromUtf8(name) : QStringLiteral("?");
        if (text == QStringLiteral(":%1").arg(i - 1))
            continue;
        if (text.startsWith(QLatin1Char('@')))
            throw DatabaseError(
                QStringLiteral("Must declare the scalar variable \"%1\".").arg(text));
        throw DatabaseError(QStringLiteral("Incorrect syntax near '%1'.").arg(text));
    }
}

// Interrupts a statement that runs past its time-out.
int interruptWhenLate(void* deadline) {
    return static_cast<QDeadlineTimer*>(deadline)->hasExpired() ? 1 : 0;
}

// Holds the progress handler for one statement.
class StatementTimeout {
public:
    StatementTimeout(sqlite3* handle, int seconds)
        : handle_(seconds > 0 ? handle : nullptr)
        , deadline_(std::chrono::seconds(seconds)) {
        if (handle_ != nullptr)
            sqlite3_progress_handler(handle_, 1000, &interruptWhenLate, &deadline_);
    }
    ~StatementTimeout() {
        if (handle_ != nullptr)
            sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
    }
    bool expired() const { return handle_ != nullptr && deadline_.hasExpired(); }
    StatementTimeout(const StatementTimeout&) = delete;
    StatementTimeout& operator=(const StatementTimeout&) = delete;

private:
    sqlite3* handle_;
    QDeadlineTimer deadline_;
};

} // namespace

SqliteDriver::SqliteDriver()
    : connectionName_(QStringLiteral("kel-sqlite-%1").arg(++connectionCounter)) {}

SqliteDriver::~SqliteDriver() {
    close();
}

void SqliteDriver::open(const ConnectionString& settings) {
    close();
    const QString path = settings.embeddedPath();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db_.setDatabaseName(path);
    if (!db_.open()) {
        const QString text = errorText(db_.lastError());
        close();
        throw DatabaseError(text);
    }
    try {
        executeRaw(QStringLiteral("PRAGMA busy_timeout = %1").arg(LockWaitMilliseconds));
        executeRaw(QStringLiteral("PRAGMA journal_mode = WAL"));
        executeRaw(QStringLiteral("PRAGMA foreign_keys = ON"));
        afterOpen(settings);
    } catch (...) {
        close();
        throw;
    }
}

void SqliteDriver::close() {
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

bool SqliteDriver::isOpen() const {
    return db_.isValid() && db_.isOpen();
}

sqlite3* SqliteDriver::handle() const {
    if (!isOpen())
        return nullptr;
    const QVariant v = db_.driver()->handle();
    return v.isValid() ? *static_cast<sqlite3* const*>(v.constData()) : nullptr;
}

Result SqliteDriver::execute(const QString& sql, const std::vector<QVariant>& binds,
                             int timeoutSeconds) {
    if (auto answered = intercept(sql, binds))
        return std::move(*answered);
    if (timeoutSeconds <= 0)
        return executeRaw(rewrite(sql), binds);
    StatementTimeout timeout(handle(), timeoutSeconds);
    try {
        return executeRaw(rewrite(sql), binds);
    } catch (const DatabaseError&) {
        if (timeout.expired())
            throw DatabaseError(QStringLiteral("Query timeout expired"));
        throw;
    }
}

void SqliteDriver::checkFileInPlace() {
    int moved = 0;
    sqlite3* h = handle();
    if (h == nullptr ||
        sqlite3_file_control(h, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return;
    if (moved != 0)
        throw DatabaseError(QStringLiteral("Файл базы данных «%1» удален или заменен другим файлом "
                                           "во время работы. Изменения не сохранены; подключитесь "
                                           "к базе данных заново.")
                                .arg(db_.databaseName()));
}

Result SqliteDriver::executeRaw(const QString& sql, const std::vector<QVariant>& binds) {
    if (!isOpen())
        throw DatabaseError(QStringLiteral("The connection is closed."));
    // A session on a deleted or replaced file would write where nobody reads; it stops
    // before the statement, and after it, so that such a write is never reported as saved.
    checkFileInPlace();
    Result result = runStatement(sql, binds);
    checkFileInPlace();
    return result;
}

[[noreturn]] void SqliteDriver::fail(const QSqlError& error) {
    const int code = handle() != nullptr ? sqlite3_errcode(handle()) & 0xff : SQLITE_OK;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw DatabaseError(QStringLiteral("База данных занята: в нее записывает другой "
                                           "пользователь или программа, ожидание (%1 с) истекло. "
                                           "Изменение не сохранено; повторите попытку.")
                                .arg(LockWaitMilliseconds / 1000));
    throw DatabaseError(errorText(error));
}

Result SqliteDriver::runStatement(const QString& sql, const std::vector<QVariant>& binds) {
    // SQLite reads a statement only up to a NUL, Qt's driver past it: the two would run or
    // bind different statements (its exec crashed on that), and a NUL could cut a WHERE off
    // unseen. Texts with a NUL travel as bound values, where the server judges them.
    if (sql.contains(QChar(0)))
        throw DatabaseError(QStringLiteral("Текст запроса содержит символ с кодом 0; запрос не "
                                           "выполнен."));
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        fail(q.lastError());
    sqlite3_stmt* stmt = statementOf(q);
    refuseNamedParameters(stmt);
    for (const QVariant& b : binds)
        q.addBindValue(sqlite::toStored(b));
    if (!q.exec())
        fail(q.lastError());

    Result result;
    if (!q.isSelect()) {
        result.rowsAffected = q.numRowsAffected();
        lastInsertId_ = q.lastInsertId();
        return result;
    }
    const QSqlRecord record = q.record();
    const int n = record.count();
    result.columns.reserve(n);
    for (int i = 0; i < n; ++i) {
        const char* declared = stmt != nullptr ? sqlite3_column_decltype(stmt, i) : nullptr;
        result.columns.push_back(sqlite::columnFromDeclaredType(
            record.fieldName(i), declared != nullptr ? QString::fromUtf8(declared) : QString()));
    }
    while (q.next()) {
        std::vector<QVariant> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row.push_back(sqlite::fromStored(q.value(i), result.columns[i].type));
        result.rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        fail(q.lastError());
    // Columns without a declared type (expressions) take the type of their first value.
    for (int i = 0; i < n; ++i) {
        Column& c = result.columns[i];
        if (c.type != FieldType::Unknown)
            continue;
        c.type = FieldType::String;
        for (const auto& row : result.rows) {
            if (!row[i].isValid())
                continue;
            c.type = row[i].typeId() == QMetaType::Double    ? FieldType::Float
                     : row[i].typeId() == QMetaType::QString ? FieldType::String
                                                             : FieldType::Integer;
            break;
        }
    }
    return result;
}

Result SqliteDriver::callProcedure(const QString& name, Parameters&, int) {
    QString bare = name;
    const qsizetype semicolon = bare.indexOf(QLatin1Char(';'));
    if (semicolon >= 0)
        bare.truncate(semicolon);
    throw DatabaseError(QStringLiteral("Could not find stored procedure '%1'.").arg(bare));
}

QVariant SqliteDriver::lastInsertId() {
    return lastInsertId_;
}

void SqliteDriver::beginTransaction() {
    executeRaw(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteDriver::commit() {
    executeRaw(QStringLiteral("COMMIT"));
}

void SqliteDriver::rollback() {
    executeRaw(QStringLiteral("ROLLBACK"));
}

} // namespace db
