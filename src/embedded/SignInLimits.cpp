// The sign-in's bookkeeping: a bounded log that a flood cannot empty of real logins, and a
// limit on failed password checks of all logins together.
#include "db/Result.h"
#include "embedded/EmbeddedServer.h"

namespace embedded {

void EmbeddedServer::recordSignIn(const QDateTime& at, const QString& key, bool known,
                                  const std::vector<QVariant>& values) {
    std::vector<QVariant> row{at};
    row.insert(row.end(), values.begin(), values.end());
    row.push_back(key);
    row.push_back(known ? 1 : 0);
    run(QStringLiteral("INSERT INTO kel_srv_signin (at, login, address, computer, program, "
                       "outcome, login_key, known) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        row);
    const qint64 perLogin =
        setting(QStringLiteral("signin_rows_per_login"), QStringLiteral("1000")).toLongLong();
    run(QStringLiteral("DELETE FROM kel_srv_signin WHERE login_key = ? AND id_signin <= "
                       "(SELECT id_signin FROM kel_srv_signin WHERE login_key = ? "
                       "ORDER BY id_signin DESC LIMIT 1 OFFSET ?)"),
        {key, key, qMax<qint64>(perLogin, 1)});
    const qint64 unknownRows =
        setting(QStringLiteral("signin_log_rows"), QStringLiteral("100000")).toLongLong();
    run(QStringLiteral("DELETE FROM kel_srv_signin WHERE known = 0 AND "
                       "id_signin <= (SELECT max(id_signin) FROM kel_srv_signin) - ?"),
        {qMax<qint64>(unknownRows, 1)});
}

bool EmbeddedServer::failedChecksOverLimit(const QDateTime& at) {
    const qint64 limit =
        setting(QStringLiteral("failed_checks_per_minute"), QStringLiteral("60")).toLongLong();
    const db::Result r = run(QStringLiteral("SELECT failures FROM kel_srv_throttle "
                                            "WHERE id = 1 AND window_start > ?"),
                             {at.addSecs(-60)});
    return !r.rows.empty() && r.rows[0][0].toLongLong() >= qMax<qint64>(limit, 1);
}

// One statement whatever the state, so that the statements run tell nothing.
void EmbeddedServer::countFailedCheck(const QDateTime& at) {
    const QDateTime windowOpen = at.addSecs(-60);
    run(QStringLiteral("INSERT INTO kel_srv_throttle (id, window_start, failures) VALUES (1, ?, 1) "
                       "ON CONFLICT (id) DO UPDATE SET "
                       "failures = CASE WHEN window_start > ? THEN failures + 1 ELSE 1 END, "
                       "window_start = CASE WHEN window_start > ? THEN window_start "
                       "ELSE excluded.window_start END"),
        {at, windowOpen, windowOpen});
}

} // namespace embedded
