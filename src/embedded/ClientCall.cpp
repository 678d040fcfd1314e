// Opening the file and running a client's call: the file checked first, the write lock and
// the time-out bounded, and the engine's faults told in Russian.
#include "db/DatabaseError.h"
#include "db/SqliteStatement.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/WriteLockBound.h"

#include <sqlite3.h>

namespace embedded {
namespace {

// Notes the file's header after a call, however it ended.
class NoteAfter {
public:
    NoteAfter(FileWatch& watch, sqlite3* handle)
        : watch_(watch)
        , handle_(handle) {}
    ~NoteAfter() { watch_.note(handle_); }
    NoteAfter(const NoteAfter&) = delete;
    NoteAfter& operator=(const NoteAfter&) = delete;

private:
    FileWatch& watch_;
    sqlite3* handle_;
};

} // namespace

void EmbeddedServer::openFile(const db::ConnectionString& settings) {
    restoreSideFilePermissions(path_);
    // SQLite would open a read-only file read-only and make its -wal and -shm files
    // read-only too; nothing can be done in such a session, not even signing in.
    if (!isWritableFile(path_))
        throw db::DatabaseError(db::ErrorKind::FileGone, readOnlyFileText(path_, CallKind::SignIn));
    try {
        SqliteDriver::open(settings);
    } catch (const db::SqliteError& e) {
        const QString text = engineErrorText(e.code(), e.message(), path_, CallKind::SignIn);
        if (text.isEmpty())
            throw;
        throw db::DatabaseError(e.kind(), text);
    }
    fileWatch_.start(handle(), path_);
}

void EmbeddedServer::guarded(int timeoutSeconds, const std::function<void(int)>& body) {
    if (access_ != Access::Client || serverDepth_ > 0) {
        body(timeoutSeconds);
        return;
    }
    if (stopped_.isEmpty()) {
        stopped_ = fileWatch_.check(handle());
        // Closing would copy the session's log into the file that replaced ours.
        if (!stopped_.isEmpty())
            sqlite3_db_config(handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1,
                              static_cast<int*>(nullptr));
    }
    if (!stopped_.isEmpty())
        throw db::DatabaseError(db::ErrorKind::FileGone, stopped_);
    denial_.clear();
    writing_ = false;
    signingIn_ = false;
    NoteAfter noteAfter(fileWatch_, handle());
    WriteLockBound bound(handle(), timeoutSeconds, writeLockMilliseconds_);
    try {
        body(0);
    } catch (const db::SqliteError& e) {
        if (!denial_.isEmpty())
            throw db::DatabaseError(denialKind_, denial_);
        if (bound.writeLockExpired())
            throw db::DatabaseError(
                db::ErrorKind::Busy,
                QStringLiteral("Запись в базу данных длилась дольше %1 с и прервана, чтобы не "
                               "задерживать других пользователей. Изменение не сохранено.")
                    .arg(qMax(1, (writeLockMilliseconds_ + 999) / 1000)));
        if (bound.timeoutExpired())
            throw db::DatabaseError(QStringLiteral("Query timeout expired"),
                                    QStringLiteral("HYT00"));
        const CallKind kind = signingIn_ ? CallKind::SignIn
                              : writing_ ? CallKind::Write
                                         : CallKind::Read;
        const QString text = engineErrorText(e.code(), e.message(), path_, kind);
        if (text.isEmpty())
            throw;
        throw db::DatabaseError(e.kind(), text);
    } catch (const db::DatabaseError&) {
        if (!denial_.isEmpty())
            throw db::DatabaseError(denialKind_, denial_);
        throw;
    }
}

void EmbeddedServer::beginTransaction() {
    ServerScope scope(*this);
    SqliteDriver::beginTransaction();
}

void EmbeddedServer::commit() {
    ServerScope scope(*this);
    SqliteDriver::commit();
}

void EmbeddedServer::rollback() {
    ServerScope scope(*this);
    SqliteDriver::rollback();
}

} // namespace embedded
