// The SQL Server driver: an ODBC connection handle of its own, statements on it, lost links.
#include "db/OdbcDriver.h"

#include "db/DatabaseError.h"
#include "db/FreeTds.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcStatement.h"
#include "db/OdbcValueCodec.h"
#include "db/SqlBrowser.h"

#include <QStringList>

#include <iterator>

#include <sql.h>
#include <sqlext.h>

namespace db {

namespace {

const QString noConnection = QStringLiteral("The connection is not open.");

bool connectionDead(SQLHDBC connection) {
    SQLUINTEGER dead = SQL_CD_FALSE;
    return SQL_SUCCEEDED(
               SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
           dead == SQL_CD_TRUE;
}

} // namespace

// Names the statement that runs now for cancel(); cleared before the handle is freed.
class RunningStatement {
public:
    RunningStatement(OdbcDriver& driver, const odbc::Statement& statement)
        : driver_(driver) {
        std::lock_guard lock(driver_.runningMutex_);
        driver_.running_ = statement.handle();
    }
    ~RunningStatement() {
        std::lock_guard lock(driver_.runningMutex_);
        driver_.running_ = nullptr;
    }
    RunningStatement(const RunningStatement&) = delete;
    RunningStatement& operator=(const RunningStatement&) = delete;

private:
    OdbcDriver& driver_;
};

void OdbcDriver::cancel() {
    std::lock_guard lock(runningMutex_);
    if (running_ != nullptr)
        SQLCancel(static_cast<SQLHSTMT>(running_));
}

QString instanceNotFoundMessage(const QString& dataSource) {
    return QStringLiteral("Экземпляр SQL Server «%1» не найден: служба SQL Server Browser на "
                          "сервере не ответила. Укажите сервер в виде ИМЯ,ПОРТ (имя или адрес "
                          "сервера, запятая, порт TCP), тогда служба не нужна.")
        .arg(dataSource.trimmed());
}

QString connectionLostMessage() {
    return QStringLiteral("Связь с сервером потеряна: команда не выполнена, изменения не "
                          "сохранены. Следующая команда снова подключится к серверу.");
}

QString serverUnreachableMessage() {
    return QStringLiteral("Сервер не ответил: подключиться не удалось (ожидание до %1 с). "
                          "Проверьте сеть и адрес сервера.")
        .arg(OdbcDriver::kLoginTimeoutSeconds);
}

QString odbcCallEscape(const QString& procedureName, const std::vector<Parameter>& parameters) {
    const QString name = procedureName.section(QLatin1Char(';'), 0, 0).trimmed();
    const bool returns =
        !parameters.empty() && parameters.front().direction == ParameterDirection::ReturnValue;
    const qsizetype arguments = static_cast<qsizetype>(parameters.size()) - (returns ? 1 : 0);
    QStringList markers;
    for (qsizetype i = 0; i < arguments; ++i)
        markers << QStringLiteral("?");
    QString call = returns ? QStringLiteral("{? = call ") : QStringLiteral("{call ");
    call += name;
    if (arguments > 0)
        call += QLatin1Char('(') + markers.join(QLatin1Char(',')) + QLatin1Char(')');
    return call + QLatin1Char('}');
}

OdbcDriver::OdbcDriver() = default;

OdbcDriver::~OdbcDriver() {
    close();
}

void OdbcDriver::open(const ConnectionString& settings) {
    if (settings.contains(QStringLiteral("Driver"))) {
        openOdbc(settings.text());
        return;
    }
    const ServerAddress address = serverAddress(settings.dataSource());
    ConnectionString target = settings;
    if (!address.instance.isEmpty() && address.port.isEmpty()) {
        // The browser is asked here, within a bound, so that a silent one cannot hold the
        // sign-in (which opens twice) past the login time-out.
        const auto port =
            instancePort(address.host, address.instance, kSqlBrowserPort, kInstanceLookupMs);
        if (!port)
            throw DatabaseError(instanceNotFoundMessage(settings.dataSource()),
                                QStringLiteral("08001"));
        target = ConnectionString(settings.text() + QStringLiteral(";Data Source=") + address.host +
                                  QLatin1Char(',') + QString::number(*port));
    }
    openOdbc(freeTdsConnectionString(target), serverAddress(target.dataSource()).port.toInt());
    if (dbmsName_.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive)) {
        // A server (or database) set to NOCOUNT sends updates without their counts, and a
        // post could not tell a written row from a conflict.
        execute(QStringLiteral("SET NOCOUNT OFF"));
    }
}

void OdbcDriver::openOdbc(const QString& odbcConnectionString) {
    openOdbc(odbcConnectionString, 0);
}

void OdbcDriver::openOdbc(const QString& odbcConnectionString, int port) {
    close();
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        throw DatabaseError(QStringLiteral("The ODBC driver manager cannot be used."));
    environment_ = environment;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0);
    SQLHDBC connection = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment, &connection))) {
        DatabaseError error = odbc::diagnosticsError(SQL_HANDLE_ENV, environment);
        close();
        throw error;
    }
    connection_ = connection;
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kLoginTimeoutSeconds)), 0);
    const QString text = odbcConnectionString; // stays alive and terminated for the call
    SQLWCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const auto socketsBefore = odbc::LinkSocket::connectedTcp();
    const SQLRETURN rc = SQLDriverConnectW(
        connection, nullptr, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16())),
        SQL_NTS, completed, static_cast<SQLSMALLINT>(std::size(completed)), &completedLength,
        SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        DatabaseError error = odbc::diagnosticsError(SQL_HANDLE_DBC, connection);
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
        connection_ = nullptr;
        close();
        if (error.sqlState() == QLatin1String("08001") ||
            error.sqlState() == QLatin1String("HYT00"))
            throw DatabaseError(serverUnreachableMessage() + u'\n' + error.message(),
                                error.sqlState(), error.nativeError());
        throw error;
    }
    link_ = odbc::LinkSocket::appeared(socketsBefore, odbc::LinkSocket::connectedTcp(), port);
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof(name), &length)))
        dbmsName_ =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                               std::min<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), 255));
    codec_ = odbc::ValueCodec::forDbms(dbmsName_);
}

void OdbcDriver::close() {
    if (connection_) {
        SQLDisconnect(connection_);
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
        connection_ = nullptr;
    }
    if (environment_) {
        SQLFreeHandle(SQL_HANDLE_ENV, environment_);
        environment_ = nullptr;
    }
    dbmsName_.clear();
    codec_.reset();
    link_ = {};
}

bool OdbcDriver::isOpen() const {
    return connection_ != nullptr;
}

const odbc::ValueCodec& OdbcDriver::codec() const {
    if (!codec_)
        throw DatabaseError(noConnection, QStringLiteral("08003"));
    return *codec_;
}

void* OdbcDriver::connectionHandle() const {
    if (!isOpen())
        throw DatabaseError(noConnection, QStringLiteral("08003"));
    return connection_;
}

void OdbcDriver::failOnConnection() {
    DatabaseError error = odbc::diagnosticsError(SQL_HANDLE_DBC, connectionHandle());
    if (error.connectionLost() || connectionDead(connection_)) {
        close();
        throw DatabaseError(connectionLostMessage() + u'\n' + error.message(),
                            QStringLiteral("08S01"), error.nativeError());
    }
    throw error;
}

template <typename Work> Result OdbcDriver::guarded(Work work) {
    SQLHDBC connection = connectionHandle();
    try {
        return work(connection);
    } catch (const DatabaseError& error) {
        if (!error.connectionLost() && !connectionDead(connection))
            throw;
        // The driver keeps calling a dead connection open; only a new one can work again.
        close();
        // A link cut at a time-out says so itself, and does not claim that nothing was saved.
        if (error.sqlState() == QLatin1String("HYT00"))
            throw;
        throw DatabaseError(connectionLostMessage() + u'\n' + error.message(),
                            QStringLiteral("08S01"), error.nativeError());
    }
}

Result OdbcDriver::execute(const QString& sql, const std::vector<QVariant>& binds,
                           int timeoutSeconds) {
    std::vector<odbc::Argument> arguments;
    arguments.reserve(binds.size());
    for (const QVariant& value : binds) {
        odbc::Argument argument;
        argument.value = codec().bound(value);
        arguments.push_back(std::move(argument));
    }
    return guarded([&](void* connection) {
        odbc::Statement statement(connection, link_);
        RunningStatement running(*this, statement);
        return statement.run(sql, arguments,
                             timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds);
    });
}

Result OdbcDriver::callProcedure(const QString& name, Parameters& parameters, int timeoutSeconds) {
    std::vector<odbc::Argument> arguments;
    arguments.reserve(static_cast<size_t>(parameters.count()));
    for (const Parameter& p : parameters.items()) {
        odbc::Argument argument;
        argument.name = p.name;
        argument.direction = p.direction;
        argument.type = p.type;
        argument.size = p.size;
        argument.value = p.value;
        arguments.push_back(std::move(argument));
    }
    Result result = guarded([&](void* connection) {
        odbc::Statement statement(connection, link_);
        RunningStatement running(*this, statement);
        return statement.run(odbcCallEscape(name, parameters.items()), arguments,
                             timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds);
    });
    for (int i = 0; i < parameters.count(); ++i) {
        if (parameters[i].direction != ParameterDirection::Input)
            parameters[i].value = arguments[static_cast<size_t>(i)].value;
    }
    return result;
}

QVariant OdbcDriver::lastInsertId() {
    const Result result = execute(codec().lastInsertIdQuery());
    if (result.rows.empty() || result.rows.front().empty())
        return {};
    const QVariant id = result.rows.front().front();
    bool ok = false;
    const qlonglong key = id.toLongLong(&ok);
    if (!ok)
        return id;
    if (key >= std::numeric_limits<qint32>::min() && key <= std::numeric_limits<qint32>::max())
        return QVariant::fromValue<qint32>(static_cast<qint32>(key));
    return QVariant::fromValue<qint64>(key);
}

void OdbcDriver::setAutoCommit(bool on) {
    const SQLULEN mode = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
    if (!SQL_SUCCEEDED(SQLSetConnectAttrW(connectionHandle(), SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(mode), 0)))
        failOnConnection();
}

void OdbcDriver::beginTransaction() {
    setAutoCommit(false);
}

void OdbcDriver::commit() {
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, connectionHandle(), SQL_COMMIT)))
        failOnConnection();
    setAutoCommit(true);
}

void OdbcDriver::rollback() {
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, connectionHandle(), SQL_ROLLBACK)))
        failOnConnection();
    setAutoCommit(true);
}

} // namespace db
