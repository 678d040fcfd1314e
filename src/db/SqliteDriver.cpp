#include "db/SqliteDriver.h"

#include "db/DatabaseError.h"
#include "db/InferredType.h"
#include "db/SqliteStatement.h"

#include <QAtomicInteger>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>

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
        // A large ORDER BY (the journal's) sorts in memory instead of spilling to files.
        executeRaw(QStringLiteral("PRAGMA temp_store = MEMORY"));
        interruptible_ = handle();
        afterOpen(settings);
    } catch (...) {
        close();
        throw;
    }
}

void SqliteDriver::close() {
    interruptible_ = nullptr;
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
}

bool SqliteDriver::isOpen() const {
    return db_.isValid() && db_.isOpen();
}

void SqliteDriver::cancel() {
    // The handle stays valid here: a connection closes only once its statement has ended.
    if (sqlite3* h = interruptible_.load())
        sqlite3_interrupt(h);
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
    ResultCollector collector;
    collector.result.rowsAffected = run(sql, binds, timeoutSeconds, collector);
    return std::move(collector.result);
}

void SqliteDriver::query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
                         RowSink& sink) {
    if (auto answered = intercept(sql, binds)) {
        sink.take(std::move(*answered));
        return;
    }
    run(sql, binds, timeoutSeconds, sink);
}

int SqliteDriver::run(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
                      RowSink& sink) {
    StatementTimeout timeout(handle(), timeoutSeconds);
    try {
        return executeRaw(rewrite(sql), binds, sink);
    } catch (const DatabaseError&) {
        if (timeout.expired())
            throw DatabaseError(QStringLiteral("Query timeout expired"), QStringLiteral("HYT00"));
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
    ResultCollector collector;
    collector.result.rowsAffected = executeRaw(sql, binds, collector);
    return std::move(collector.result);
}

int SqliteDriver::executeRaw(const QString& sql, const std::vector<QVariant>& binds,
                             RowSink& sink) {
    if (!isOpen())
        throw DatabaseError(QStringLiteral("The connection is closed."));
    // A session on a deleted or replaced file would write where nobody reads; it stops
    // before the statement, and after it, so that such a write is never reported as saved.
    checkFileInPlace();
    int changed = -1;
    try {
        changed = runStatement(sql, binds, sink);
    } catch (const SqliteError& e) {
        if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED)
            throw SqliteError(QStringLiteral("База данных занята: в нее записывает другой "
                                             "пользователь или программа, ожидание (%1 с) "
                                             "истекло. Изменение не сохранено; повторите "
                                             "попытку.")
                                  .arg(LockWaitMilliseconds / 1000),
                              e.code());
        throw;
    }
    checkFileInPlace();
    return changed;
}

int SqliteDriver::runStatement(const QString& sql, const std::vector<QVariant>& binds,
                               RowSink& sink) {
    // SQLite reads a statement only up to a NUL: a NUL could cut a WHERE off unseen. Texts
    // with a NUL travel as bound values, where the server judges them.
    if (sql.contains(QChar(0)))
        throw DatabaseError(QStringLiteral("Текст запроса содержит символ с кодом 0; запрос не "
                                           "выполнен."));
    SqliteStatement statement(handle(), sql);
    statement.bind(binds);
    if (!statement.returnsRows()) {
        statement.run();
        sqlite3* h = handle();
        const qint64 id = sqlite3_last_insert_rowid(h);
        lastInsertId_ = id != 0 ? QVariant(id) : QVariant();
        return sqlite3_changes(h);
    }
    std::vector<Column> columns = statement.columns();
    const size_t n = columns.size();
    // Columns without a declared type (expressions) take the type of their first value, so
    // rows wait until each such column has shown one (mostly the first row) or the end.
    std::vector<FieldType> readAs(n);
    size_t undecided = 0;
    for (size_t i = 0; i < n; ++i) {
        readAs[i] = columns[i].type;
        if (readAs[i] == FieldType::Unknown)
            ++undecided;
    }
    std::vector<std::vector<QVariant>> waiting;
    bool begun = false;
    const auto start = [&] {
        for (Column& c : columns)
            if (c.type == FieldType::Unknown)
                c.type = FieldType::String;
        sink.begin(columns, 0);
        begun = true;
        for (auto& row : waiting)
            sink.row(row);
        waiting.clear();
    };
    const bool storedDateTimes = sink.takesStoredDateTimes();
    std::vector<QVariant> values(n);
    while (statement.next()) {
        values.resize(n);
        for (size_t i = 0; i < n; ++i)
            values[i] = statement.value(int(i), readAs[i], storedDateTimes);
        if (!begun) {
            for (size_t i = 0; i < n; ++i) {
                if (columns[i].type != FieldType::Unknown)
                    continue;
                columns[i].type = inferredType(values[i]);
                if (columns[i].type != FieldType::Unknown)
                    --undecided;
            }
            if (undecided > 0) {
                waiting.push_back(values);
                continue;
            }
            start();
        }
        sink.row(values);
    }
    if (!begun)
        start();
    return -1;
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
