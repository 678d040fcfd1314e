// The SQL Server driver: Qt's ODBC connection with statements on its native handle.
#include "db/OdbcDriver.h"

#include "db/DatabaseError.h"
#include "db/FreeTds.h"
#include "db/OdbcStatement.h"
#include "db/SqliteValues.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>

#include <sql.h>
#include <sqlext.h>

namespace db {

namespace {

QString errorText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

} // namespace

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

OdbcDriver::OdbcDriver()
    : connectionName_(QStringLiteral("kel-odbc-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

OdbcDriver::~OdbcDriver() {
    close();
}

void OdbcDriver::open(const ConnectionString& settings) {
    openOdbc(settings.contains(QStringLiteral("Driver")) ? settings.text()
                                                         : freeTdsConnectionString(settings));
}

void OdbcDriver::openOdbc(const QString& odbcConnectionString) {
    close();
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
    if (!db_.isValid())
        failWithQtError();
    db_.setDatabaseName(odbcConnectionString);
    db_.setConnectOptions(QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3;"
                                         "SQL_ATTR_LOGIN_TIMEOUT=%1")
                              .arg(kLoginTimeoutSeconds));
    if (!db_.open()) {
        const QString text = errorText(db_.lastError());
        close();
        throw DatabaseError(text);
    }
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(connectionHandle(), SQL_DBMS_NAME, name, sizeof(name), &length)))
        dbmsName_ =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                               std::min<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), 255));
}

void OdbcDriver::close() {
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
    dbmsName_.clear();
}

bool OdbcDriver::isOpen() const {
    return db_.isValid() && db_.isOpen();
}

void* OdbcDriver::connectionHandle() const {
    if (!isOpen())
        throw DatabaseError(QStringLiteral("The connection is not open."));
    void* handle = db_.driver()->handle().value<void*>();
    if (!handle)
        throw DatabaseError(QStringLiteral("The ODBC connection has no native handle."));
    return handle;
}

void OdbcDriver::failWithQtError() const {
    throw DatabaseError(errorText(db_.lastError()));
}

Result OdbcDriver::execute(const QString& sql, const std::vector<QVariant>& binds,
                           int timeoutSeconds) {
    std::vector<odbc::Argument> arguments;
    arguments.reserve(binds.size());
    const bool sqlite = dbmsName_.contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
    for (const QVariant& value : binds) {
        odbc::Argument argument;
        argument.value = value;
        if (sqlite) {
            // SQLite compares date-times as text: the form the embedded driver stores lets a
            // file read and match the same through either driver.
            argument.value = sqlite::toStored(value);
        } else if (value.typeId() == QMetaType::QDateTime && !value.isNull()) {
            // As text the server converts the value to the column's own type, so an old
            // DATETIME value read back (1/300 s ticks, rounded to milliseconds) still matches the
            // stored one; a typed value may travel as DATETIME2 and miss it by a fraction.
            argument.value = value.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        }
        arguments.push_back(std::move(argument));
    }
    odbc::Statement statement(connectionHandle());
    return statement.run(sql, arguments,
                         timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds);
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
    odbc::Statement statement(connectionHandle());
    Result result = statement.run(odbcCallEscape(name, parameters.items()), arguments,
                                  timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds);
    for (int i = 0; i < parameters.count(); ++i) {
        if (parameters[i].direction != ParameterDirection::Input)
            parameters[i].value = arguments[static_cast<size_t>(i)].value;
    }
    return result;
}

QVariant OdbcDriver::lastInsertId() {
    // @@IDENTITY, not SCOPE_IDENTITY(): each statement is its own batch, hence its own scope.
    const QString sql = dbmsName_.contains(QLatin1String("SQLite"), Qt::CaseInsensitive)
                            ? QStringLiteral("SELECT last_insert_rowid()")
                            : QStringLiteral("SELECT @@IDENTITY");
    const Result result = execute(sql);
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

void OdbcDriver::beginTransaction() {
    connectionHandle();
    if (!db_.transaction())
        failWithQtError();
}

void OdbcDriver::commit() {
    connectionHandle();
    if (!db_.commit())
        failWithQtError();
}

void OdbcDriver::rollback() {
    connectionHandle();
    if (!db_.rollback())
        failWithQtError();
}

} // namespace db
