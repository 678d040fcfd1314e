// The embedded database server: SQLite with logins, column rights, T-SQL forms and the
// client's four procedures.
#pragma once

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/SqliteDriver.h"
#include "embedded/DateLiteral.h"
#include "embedded/EngineErrors.h"
#include "embedded/FileWatch.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <functional>

namespace embedded {

class ChainedAccess;
class Rights;

// One session with an embedded database file. A client session signs in with User ID and
// Password of the connection string and is held to its login's rights; an owner session
// (the server's own tools) has every right and checks no login.
class EmbeddedServer : public db::SqliteDriver {
public:
    enum class Access { Client, Owner };

    explicit EmbeddedServer(Access access = Access::Client);
    ~EmbeddedServer() override;

    void open(const db::ConnectionString& settings) override;
    db::Result execute(const QString& sql, const std::vector<QVariant>& binds = {},
                       int timeoutSeconds = 0) override;
    void query(const QString& sql, const std::vector<QVariant>& binds, int timeoutSeconds,
               db::RowSink& sink) override;
    db::Result callProcedure(const QString& name, db::Parameters& parameters,
                             int timeoutSeconds = 0) override;
    void queryProcedure(const QString& name, db::Parameters& parameters, int timeoutSeconds,
                        db::RowSink& sink) override;
    // The hosting program's own transactions (the server's procedures use them); a client's
    // statement cannot begin, end or mark one.
    void beginTransaction() override;
    void commit() override;
    void rollback() override;

    // The server's clock (local time); tests set their own.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;

    // The login of this session and, for a working login, its user's login and id.
    QString loginName() const { return loginName_; }
    QString userLogin() const { return userLogin_; }
    QVariant userId() const { return userId_; }

    // Called by the authorizer; answers SQLITE_OK, SQLITE_DENY or SQLITE_IGNORE.
    int authorize(int action, const char* a, const char* b, const char* inner);

protected:
    void afterOpen(const db::ConnectionString& settings) override;
    std::optional<db::Result> intercept(const QString& sql,
                                        const std::vector<QVariant>& binds) override;
    QString rewrite(const QString& sql) override;

private:
    friend class ServerScope;
    friend class ProcedureTransaction;

    // Statements of the server itself: every right, no rewriting.
    db::Result run(const QString& sql, const std::vector<QVariant>& binds = {},
                   int timeoutSeconds = 0);
    QString setting(const QString& name, const QString& fallback = QString());

    void registerFunctions();
    void addMissingTables();
    void openFile(const db::ConnectionString& settings);
    // A client call: the file checked, the write lock and time-out bounded, the engine's
    // faults told in Russian. `body` gets the time-out to pass on to the driver.
    void guarded(int timeoutSeconds, const std::function<void(int)>& body);
    // The sign-in's bookkeeping: the log of calls, failures counted, the global limit.
    void recordSignIn(const QDateTime& at, const QString& key, bool known,
                      const std::vector<QVariant>& values);
    bool failedChecksOverLimit(const QDateTime& at);
    void countFailedCheck(const QDateTime& at);
    void signIn(const db::ConnectionString& settings);
    void collectDateColumns();
    void applySet(const QString& option, const QString& value);

    // A procedure by its canonical name, with its arguments in declared order.
    struct ProcedureCall {
        QString name;
        std::vector<QVariant> arguments;
    };
    // The procedure named, with named ("@x" or "x") and positional ("") arguments put in
    // place; refused when it is unknown, an argument is missing or the right is lacking.
    ProcedureCall resolveCall(const QString& name,
                              const std::vector<std::pair<QString, QVariant>>& arguments);
    // A procedure by name with named ("@x" or "x") and positional ("") arguments.
    db::Result callWithArguments(const QString& name,
                                 const std::vector<std::pair<QString, QVariant>>& arguments,
                                 int timeoutSeconds);
    // The procedures, by name, with their arguments in declared order.
    db::Result runProcedure(const QString& name, const std::vector<QVariant>& args,
                            int timeoutSeconds);
    void checkExecute(const QString& procedure);
    db::Result getUser(const std::vector<QVariant>& args);
    db::Result insertIntoSortMarkMag(const std::vector<QVariant>& args);
    db::Result sortMarkMag(const std::vector<QVariant>& args, int timeoutSeconds);
    void sortMarkMag(const std::vector<QVariant>& args, int timeoutSeconds, db::RowSink& sink);
    db::Result ctrlZMarkMag(const std::vector<QVariant>& args);

    Access access_;
    std::function<QDateTime()> clock_;
    std::unique_ptr<Rights> rights_;
    std::unique_ptr<ChainedAccess> chained_;
    int serverDepth_ = 0;
    QString denial_;
    db::ErrorKind denialKind_ = db::ErrorKind::RightRefused;
    QString database_;
    QString loginName_;
    QString userLogin_;
    QVariant userId_;
    DateOrder dateOrder_ = DateOrder::mdy;
    QSet<QString> dateColumns_;
    QString path_;
    FileWatch fileWatch_;
    QString stopped_; // once set, every call fails with it
    bool replaceConflict_ = false;
    bool writing_ = false;
    bool signingIn_ = false;
    int writeLockMilliseconds_ = 10000;
};

// Runs the server's own statements with every right while it lives.
class ServerScope {
public:
    explicit ServerScope(EmbeddedServer& server)
        : server_(server) {
        ++server_.serverDepth_;
    }
    ~ServerScope() { --server_.serverDepth_; }
    ServerScope(const ServerScope&) = delete;
    ServerScope& operator=(const ServerScope&) = delete;

private:
    EmbeddedServer& server_;
};

// The client's driver choice with the embedded server: embedded sources get an
// EmbeddedServer, anything else the default driver.
db::DriverFactory driverFactory();

} // namespace embedded
