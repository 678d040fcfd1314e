// The embedded server's session: sign-in, rights, SQL functions and statement handling.
#include "embedded/EmbeddedServer.h"

#include "db/DatabaseError.h"
#include "db/SqliteStatement.h"
#include "db/SqliteValues.h"
#include "embedded/ChainedAccess.h"
#include "embedded/LocalDisk.h"
#include "embedded/NameCollation.h"
#include "embedded/Rights.h"
#include "embedded/SqliteLibrary.h"
#include "embedded/StatementChecks.h"
#include "embedded/TsqlCommands.h"
#include "embedded/TsqlRewrite.h"

#include <QFileInfo>
#include <QSqlDriver>

#include <sqlite3.h>

namespace embedded {
namespace {

EmbeddedServer* serverOf(sqlite3_context* context) {
    return static_cast<EmbeddedServer*>(sqlite3_user_data(context));
}

void resultText(sqlite3_context* context, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void nowFunction(sqlite3_context* context, int, sqlite3_value**) {
    resultText(context, db::sqlite::canonicalDateTime(serverOf(context)->now()));
}

void todayFunction(sqlite3_context* context, int, sqlite3_value**) {
    resultText(context, serverOf(context)->now().date().toString(Qt::ISODate));
}

void userLoginFunction(sqlite3_context* context, int, sqlite3_value**) {
    resultText(context, serverOf(context)->userLogin());
}

void userIdFunction(sqlite3_context* context, int, sqlite3_value**) {
    const QVariant id = serverOf(context)->userId();
    if (id.isValid())
        sqlite3_result_int64(context, id.toLongLong());
    else
        sqlite3_result_null(context);
}

// length() as the schema's size checks need it: SQLite's own stops at the first NUL, so a
// NUL would hide any length behind it. Text counts every character and may hold no NUL.
void lengthFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_value* value = argv[0];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (sqlite3_value_type(value) == SQLITE_BLOB) {
        sqlite3_result_int(context, sqlite3_value_bytes(value));
        return;
    }
    const auto* text = sqlite3_value_text(value);
    const int bytes = sqlite3_value_bytes(value);
    sqlite3_int64 characters = 0;
    for (int i = 0; i < bytes; ++i) {
        if (text[i] == 0) {
            sqlite3_result_error(
                context, "Текст содержит символ с кодом 0, такой текст не сохраняется.", -1);
            return;
        }
        if ((text[i] & 0xC0) != 0x80)
            ++characters;
    }
    sqlite3_result_int64(context, characters);
}

// Registered on UTF-8, the text's stored form: SQLite would otherwise convert both texts on
// every comparison.
int collateNames(void*, int n1, const void* s1, int n2, const void* s2) {
    return compareNamesUtf8(std::string_view(static_cast<const char*>(s1), size_t(n1)),
                            std::string_view(static_cast<const char*>(s2), size_t(n2)));
}

int authorizerCallback(void* self, int action, const char* a, const char* b, const char*,
                       const char* inner) {
    return static_cast<EmbeddedServer*>(self)->authorize(action, a, b, inner);
}

QString folded(const QString& login) {
    return login.toLower();
}

} // namespace

EmbeddedServer::EmbeddedServer(Access access)
    : access_(access)
    , clock_([] { return QDateTime::currentDateTime(); }) {}

EmbeddedServer::~EmbeddedServer() = default;

void EmbeddedServer::setClock(std::function<QDateTime()> clock) {
    clock_ = std::move(clock);
}

QDateTime EmbeddedServer::now() const {
    return clock_();
}

void EmbeddedServer::open(const db::ConnectionString& settings) {
    // SQLite would make an empty file; a server answers that there is no such database.
    const QString path = settings.embeddedPath();
    if (!QFileInfo(path).isFile())
        throw db::DatabaseError(QStringLiteral("The database file '%1' does not exist.").arg(path));
    // WAL's shared memory does not reach across machines: a shared file would be corrupted.
    if (const auto share = networkFileSystemOf(path))
        throw db::DatabaseError(networkShareRefusal(path, *share));
    rights_.reset();
    chained_.reset();
    loginName_.clear();
    userLogin_.clear();
    userId_ = QVariant();
    dateOrder_ = DateOrder::mdy;
    path_ = path;
    stopped_.clear();
    fileWatch_.stop();
    openFile(settings);
}

void EmbeddedServer::afterOpen(const db::ConnectionString& settings) {
    // A handle of another SQLite copy would take our authorizer into the wrong library.
    if (!usesOurSqlite(database().driver()))
        throw db::DatabaseError(QStringLiteral("Драйвер SQLite библиотеки Qt использует другую "
                                               "копию SQLite, чем встроенный сервер; "
                                               "подключение отклонено."));
    registerFunctions();
    addMissingTables();
    signIn(settings);
    collectDateColumns();
    if (access_ != Access::Client)
        return;
    // Without a rights check there is no session: a failed set-up refuses the connection.
    chained_ = std::make_unique<ChainedAccess>();
    if (!chained_->learn(handle()) ||
        sqlite3_set_authorizer(handle(), &authorizerCallback, this) != SQLITE_OK)
        throw db::DatabaseError(QStringLiteral("Не удалось включить проверку прав доступа "
                                               "встроенного сервера; подключение отклонено."));
}

// A file made by an earlier version lacks some of the server's tables and columns; without
// them nobody could sign in, so they are added (and only then is the file written to). The
// type checks of the client's tables come only with a new file.
void EmbeddedServer::addMissingTables() {
    const auto count = [&](const QString& sql) {
        const db::Result r = executeRaw(sql);
        return r.rows.empty() ? -1 : r.rows.front().at(0).toInt();
    };
    if (count(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'kel_srv_user'")) != 1)
        return; // not a server's file at all: the sign-in says so
    if (count(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'kel_srv_lockout'")) == 0)
        executeRaw(QStringLiteral("CREATE TABLE IF NOT EXISTS kel_srv_lockout ("
                                  "id_lockout INTEGER PRIMARY KEY, "
                                  "login_key VARCHAR(100) NOT NULL UNIQUE, "
                                  "failures INTEGER NOT NULL DEFAULT 0, "
                                  "locked_until DATETIME NULL)"));
    if (count(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'kel_srv_throttle'")) == 0)
        executeRaw(QStringLiteral("CREATE TABLE IF NOT EXISTS kel_srv_throttle ("
                                  "id INTEGER PRIMARY KEY CHECK (id = 1), "
                                  "window_start DATETIME NOT NULL, "
                                  "failures INTEGER NOT NULL)"));
    if (count(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('kel_srv_signin') "
                             "WHERE name = 'known'")) == 0) {
        executeRaw(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            executeRaw(QStringLiteral(
                "ALTER TABLE kel_srv_signin ADD COLUMN login_key VARCHAR(100) NULL"));
            executeRaw(QStringLiteral(
                "ALTER TABLE kel_srv_signin ADD COLUMN known BIT NOT NULL DEFAULT 0"));
            executeRaw(QStringLiteral("UPDATE kel_srv_signin SET login_key = lower(login), "
                                      "known = lower(login) IN (SELECT login_key FROM "
                                      "kel_srv_user)"));
            executeRaw(QStringLiteral("CREATE INDEX kel_srv_signin_login ON kel_srv_signin "
                                      "(login_key, id_signin)"));
            executeRaw(QStringLiteral("CREATE INDEX kel_srv_signin_known ON kel_srv_signin "
                                      "(known, id_signin)"));
            executeRaw(QStringLiteral("COMMIT"));
        } catch (...) {
            try {
                executeRaw(QStringLiteral("ROLLBACK"));
            } catch (...) {
                // The error that brought us here is the one to report.
            }
            throw;
        }
    }
}

void EmbeddedServer::registerFunctions() {
    sqlite3* h = handle();
    const int flags = SQLITE_UTF8;
    sqlite3_create_function_v2(h, "kel_now", 0, flags, this, &nowFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(h, "getdate", 0, flags, this, &nowFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(h, "kel_today", 0, flags, this, &todayFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(h, "kel_user_login", 0, flags, this, &userLoginFunction, nullptr,
                               nullptr, nullptr);
    sqlite3_create_function_v2(h, "kel_user_id", 0, flags, this, &userIdFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(h, "length", 1, flags | SQLITE_DETERMINISTIC, this, &lengthFunction,
                               nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(h, "KEL_CI", SQLITE_UTF8, nullptr, &collateNames, nullptr);
}

void EmbeddedServer::signIn(const db::ConnectionString& settings) {
    ServerScope scope(*this);
    try {
        database_ = setting(QStringLiteral("database"), QStringLiteral("KEL"));
    } catch (const db::SqliteError& e) {
        // A damaged or busy file is told as what it is, not as a stranger's file.
        if (e.code() != SQLITE_ERROR)
            throw;
        throw db::DatabaseError(
            QStringLiteral("The file '%1' is not a KEL database.").arg(settings.embeddedPath()));
    } catch (const db::DatabaseError&) {
        throw db::DatabaseError(
            QStringLiteral("The file '%1' is not a KEL database.").arg(settings.embeddedPath()));
    }
    const QString catalog = settings.initialCatalog().trimmed();
    if (!catalog.isEmpty() && catalog.compare(database_, Qt::CaseInsensitive) != 0)
        throw db::DatabaseError(
            QStringLiteral("Не удается открыть базу данных \"%1\", запрашиваемую именем входа. "
                           "Не удалось выполнить вход.")
                .arg(catalog));
    writeLockMilliseconds_ =
        qMax(1, setting(QStringLiteral("write_lock_ms"), QStringLiteral("10000")).toInt());
    if (access_ == Access::Owner) {
        loginName_ = userLogin_ = QStringLiteral("dbo");
        return;
    }

    const QString name = settings.userId();
    const QString refused = QStringLiteral("Ошибка входа пользователя \"%1\".").arg(name);
    const db::Result login =
        run(QStringLiteral("SELECT name, password, kind, name_key FROM kel_srv_login "
                           "WHERE name_key = ?"),
            {folded(name)});
    if (login.rows.empty() || login.rows[0][1].toString() != settings.password())
        throw db::DatabaseError(refused);
    loginName_ = login.rows[0][0].toString();
    const QString kind = login.rows[0][2].toString();
    const QString key = login.rows[0][3].toString();
    userLogin_ = loginName_;
    if (kind == QLatin1String("work")) {
        const db::Result user = run(QStringLiteral("SELECT id_login, login, enabled "
                                                   "FROM kel_srv_user WHERE work_login = ?"),
                                    {key});
        if (user.rows.empty() || !user.rows[0][2].toBool())
            throw db::DatabaseError(refused);
        userId_ = user.rows[0][0];
        userLogin_ = user.rows[0][1].toString();
    }
    rights_ = std::make_unique<Rights>();
    const db::Result grants =
        run(QStringLiteral("SELECT action, object_name, column_name FROM kel_srv_grant "
                           "WHERE grantee IN (?, ?)"),
            {kind, key});
    for (const auto& g : grants.rows)
        rights_->grant(g[0].toString(), g[1].toString(), g[2].toString());
}

void EmbeddedServer::collectDateColumns() {
    ServerScope scope(*this);
    dateColumns_.clear();
    const db::Result r = run(QStringLiteral(
        "SELECT DISTINCT lower(p.name) FROM sqlite_schema s, pragma_table_info(s.name) p "
        "WHERE s.type IN ('table', 'view') "
        "AND (upper(p.type) LIKE '%DATE%' OR upper(p.type) LIKE '%TIME%')"));
    for (const auto& row : r.rows)
        dateColumns_.insert(row[0].toString());
}

QString EmbeddedServer::setting(const QString& name, const QString& fallback) {
    ServerScope scope(*this);
    const db::Result r =
        run(QStringLiteral("SELECT value FROM kel_srv_setting WHERE name = ?"), {name});
    return r.rows.empty() ? fallback : r.rows[0][0].toString();
}

db::Result EmbeddedServer::run(const QString& sql, const std::vector<QVariant>& binds,
                               int timeoutSeconds) {
    ServerScope scope(*this);
    return SqliteDriver::execute(sql, binds, timeoutSeconds);
}

db::Result EmbeddedServer::execute(const QString& sql, const std::vector<QVariant>& binds,
                                   int timeoutSeconds) {
    db::Result result;
    guarded(timeoutSeconds,
            [&](int timeout) { result = SqliteDriver::execute(sql, binds, timeout); });
    return result;
}

void EmbeddedServer::query(const QString& sql, const std::vector<QVariant>& binds,
                           int timeoutSeconds, db::RowSink& sink) {
    guarded(timeoutSeconds, [&](int timeout) { SqliteDriver::query(sql, binds, timeout, sink); });
}

std::optional<db::Result> EmbeddedServer::intercept(const QString& sql,
                                                    const std::vector<QVariant>& binds) {
    (void)binds;
    if (serverDepth_ > 0)
        return std::nullopt;
    if (auto call = parseExec(sql)) {
        std::vector<std::pair<QString, QVariant>> arguments;
        for (const auto& a : call->arguments)
            arguments.emplace_back(a.name, a.value);
        return callWithArguments(call->procedure, arguments, 0);
    }
    if (auto set = parseSet(sql)) {
        applySet(set->option, set->value);
        return db::Result{};
    }
    return std::nullopt;
}

QString EmbeddedServer::rewrite(const QString& sql) {
    if (serverDepth_ > 0)
        return sql;
    const QString rewritten = rewriteTsql(sql, dateOrder_, dateColumns_);
    replaceConflict_ = deletesOnConflict(rewritten);
    return rewritten;
}

void EmbeddedServer::applySet(const QString& option, const QString& value) {
    if (option == QLatin1String("DATEFORMAT")) {
        const auto order = dateOrderFromName(value.trimmed());
        if (!order)
            throw db::DatabaseError(
                QStringLiteral("\"%1\" не является допустимым значением DATEFORMAT.").arg(value));
        dateOrder_ = *order;
    } else if (option == QLatin1String("LANGUAGE")) {
        const QString language = value.trimmed().toLower();
        if (language == QLatin1String("russian") || language == QLatin1String("русский") ||
            language == QLatin1String("british"))
            dateOrder_ = DateOrder::dmy;
        else if (language == QLatin1String("us_english") || language == QLatin1String("english"))
            dateOrder_ = DateOrder::mdy;
        else
            throw db::DatabaseError(
                QStringLiteral("\"%1\" не является официальным названием языка.").arg(value));
    }
    // The other options the client's platform may send change nothing here.
}

int EmbeddedServer::authorize(int action, const char* a, const char* b, const char* inner) {
    if (action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE)
        writing_ = true;
    if (serverDepth_ > 0 || access_ == Access::Owner)
        return SQLITE_OK;
    const QString object = QString::fromUtf8(a != nullptr ? a : "");
    const QString column = QString::fromUtf8(b != nullptr ? b : "");
    // The schema's views and triggers act with their owner's rights, as ownership chaining
    // does; SQLite names a sub-query or a common table expression the same way, so the name
    // alone proves nothing.
    if (inner != nullptr && rights_ && chained_) {
        const QString context = QString::fromUtf8(inner);
        switch (chained_->check(context, action, object, column, *rights_)) {
        case ChainedAccess::Verdict::Allowed:
            return SQLITE_OK;
        case ChainedAccess::Verdict::ViewRefused:
            if (denial_.isEmpty()) {
                denial_ = rights_->denial(QStringLiteral("SELECT"), context, QString(), database_);
                denialKind_ = db::ErrorKind::RightRefused;
            }
            return SQLITE_DENY;
        case ChainedAccess::Verdict::NotChained:
            break;
        }
    }
    auto check = [&](const char* verb, const QString& col) {
        const QString right = QLatin1String(verb);
        if (rights_ && rights_->allows(right, object, col))
            return SQLITE_OK;
        if (denial_.isEmpty()) {
            denial_ = rights_ ? rights_->denial(right, object, col, database_)
                              : Rights().denial(right, object, col, database_);
            denialKind_ = db::ErrorKind::RightRefused;
        }
        return SQLITE_DENY;
    };
    // Schema changes reach the catalogue first; they are refused as what they are.
    if (object.startsWith(QLatin1String("sqlite_")) && action != SQLITE_READ)
        action = SQLITE_DROP_TABLE;
    // A conflict resolved by deleting the rows in the way deletes them: it needs the right.
    const bool deletes = replaceConflict_ && inner == nullptr;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (isAllowedFunction(column))
            return SQLITE_OK;
        if (denial_.isEmpty()) {
            denial_ = QStringLiteral("\"%1\" не является распознаваемым именем встроенной функции.")
                          .arg(column);
            denialKind_ = db::ErrorKind::Other;
        }
        return SQLITE_DENY;
    case SQLITE_READ:
        return check("SELECT", column);
    case SQLITE_UPDATE:
        if (check("UPDATE", column) != SQLITE_OK)
            return SQLITE_DENY;
        return deletes ? check("DELETE", QString()) : SQLITE_OK;
    case SQLITE_INSERT:
        if (check("INSERT", QString()) != SQLITE_OK)
            return SQLITE_DENY;
        return deletes ? check("DELETE", QString()) : SQLITE_OK;
    case SQLITE_DELETE:
        return check("DELETE", QString());
    default:
        // Transactions are the server's (its procedures have their own); a client's would
        // hold the write lock between calls. The first refusal names the statement's own
        // action (DROP before its DELETE).
        if (denial_.isEmpty()) {
            denial_ = QStringLiteral("The user does not have permission to perform this action.");
            denialKind_ = db::ErrorKind::RightRefused;
        }
        return SQLITE_DENY;
    }
}

db::DriverFactory driverFactory() {
    return [](const db::ConnectionString& settings) -> std::unique_ptr<db::Driver> {
        if (settings.isEmbedded())
            return std::make_unique<EmbeddedServer>();
        return db::makeDefaultDriver(settings);
    };
}

} // namespace embedded
