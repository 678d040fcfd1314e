// GET_USER: verifies a user, changes a password and hands out the working login.
#include "db/DatabaseError.h"
#include "db/Result.h"
#include "db/ValueCompare.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ProcedureCalls.h"
#include "embedded/ProcedureTransaction.h"
#include "platform/Cp1251.h"

#include <QRegularExpression>

namespace embedded {
namespace {

// The settings-file rule: each code page 1251 code minus one, modulo 256.
QString encodeSettingText(const QString& text) {
    QByteArray bytes = platform::toCp1251(text);
    for (char& b : bytes)
        b = char(quint8(b) - 1);
    return platform::fromCp1251(bytes);
}

const QString WrongLogin = QStringLiteral("Неверно ввели логин или пароль.");
const QString EmptyPasswordDigest = QStringLiteral("D41D8CD98F00B204E9800998ECF8427E");

struct Answer {
    QString login, password;
    qint32 id = 0;
    qint32 passwordState = 0;
    QString message;
    qint32 update = 0;
};

db::Result toResult(const Answer& a) {
    db::Result r;
    r.columns = {{QStringLiteral("work_login"), db::FieldType::String, 50, true},
                 {QStringLiteral("work_password"), db::FieldType::String, 50, true},
                 {QStringLiteral("id_login"), db::FieldType::Integer, 0, true},
                 {QStringLiteral("password_days"), db::FieldType::Integer, 0, true},
                 {QStringLiteral("message"), db::FieldType::String, 200, true},
                 {QStringLiteral("update_needed"), db::FieldType::Integer, 0, true}};
    r.rows.push_back({a.login, a.password, a.id, a.passwordState, a.message, a.update});
    return r;
}

QString lockMessage(int minutes) {
    return QStringLiteral("Учетная запись заблокирована после нескольких неудачных попыток "
                          "входа. Повторите вход через %1 мин.")
        .arg(minutes);
}

// A caller's text as the log keeps it: no NUL, at most `size` characters.
QString bounded(QString text, qsizetype size) {
    text.remove(QChar(0));
    text.truncate(size);
    return text;
}

bool isDigest(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{32}$"));
    return hex.match(text).hasMatch();
}

} // namespace

db::Result EmbeddedServer::getUser(const std::vector<QVariant>& args) {
    ServerScope scope(*this);
    signingIn_ = true;
    const QString login = textArgument(args[0]);
    const QString digest = textArgument(args[1]).trimmed().toUpper();
    const QVariant newArgument = args[2];
    const QString program = textArgument(args[3]);
    const QDateTime at = now();
    const QString key = bounded(login.toLower(), 100);

    ProcedureTransaction transaction(*this);
    const db::Result found =
        run(QStringLiteral("SELECT u.id_login, u.pwd_md5, u.pwd_set, u.enabled, l.name, "
                           "l.password FROM kel_srv_user u "
                           "JOIN kel_srv_login l ON l.name_key = u.work_login "
                           "WHERE u.login_key = ?"),
            {login.toLower()});
    const bool known = !found.rows.empty();
    // Anyone with the settings file may call: the log keeps bounded texts, and its bounds
    // drop invented logins' rows before the newest rows of any real one.
    auto finish = [&](const QString& outcome, const Answer& answer) {
        recordSignIn(at, key, known,
                     {bounded(login, 100), bounded(textArgument(args[4]), 100),
                      bounded(textArgument(args[5]), 300), bounded(program, 100), outcome});
        transaction.commit();
        return toResult(answer);
    };

    const QString required = setting(QStringLiteral("required_program"), QStringLiteral("KEL 14"));
    if (program != required) {
        Answer a;
        a.message = QStringLiteral("Версия программы устарела, нужна \"%1\".").arg(required);
        a.update = 2;
        return finish(QStringLiteral("outdated"), a);
    }

    // Failures are counted by the login as typed, known or not, and an unknown login takes
    // the path of a wrong password: neither the answers, nor the lock after five tries, nor
    // the statements run tell which logins exist.
    const db::Result counted =
        run(QStringLiteral("SELECT failures, locked_until FROM kel_srv_lockout "
                           "WHERE login_key = ?"),
            {key});
    const std::vector<QVariant> user =
        known ? found.rows[0]
              : std::vector<QVariant>{0, QString(), QVariant(), true, QString(), QString()};
    const qint32 id = user[0].toInt();
    const QVariant passwordSet = user[2];
    const int failuresBefore = counted.rows.empty() ? 0 : counted.rows[0][0].toInt();
    const QDateTime lockedUntil =
        counted.rows.empty() ? QDateTime() : counted.rows[0][1].toDateTime();
    Answer answer;
    if (lockedUntil.isValid() && lockedUntil > at) {
        const qint64 seconds = at.secsTo(lockedUntil);
        answer.message = lockMessage(int((seconds + 59) / 60));
        return finish(QStringLiteral("locked"), answer);
    }
    // Past the limit no password is checked, so that guessing over many logins is slow.
    if (failedChecksOverLimit(at)) {
        answer.message = QStringLiteral("Слишком много неудачных попыток входа за последнюю "
                                        "минуту. Повторите вход через минуту.");
        return finish(QStringLiteral("throttled"), answer);
    }

    if (!known || digest != user[1].toString().toUpper()) {
        countFailedCheck(at);
        const int failures = failuresBefore + 1;
        const int limit = setting(QStringLiteral("lock_failures"), QStringLiteral("5")).toInt();
        const int minutes = setting(QStringLiteral("lock_minutes"), QStringLiteral("15")).toInt();
        const bool lockNow = failures >= limit;
        // REPLACE gives the row a new id_lockout: the rows failing longest ago go first.
        run(QStringLiteral("INSERT OR REPLACE INTO kel_srv_lockout (login_key, failures, "
                           "locked_until) VALUES (?, ?, ?)"),
            {key, lockNow ? 0 : failures,
             lockNow ? QVariant(at.addSecs(qint64(minutes) * 60)) : QVariant()});
        // Only rows of logins no user has and that lock nobody may go: a flood of invented
        // logins neither frees a locked account nor resets a user's count.
        const qint64 keep =
            setting(QStringLiteral("lockout_rows"), QStringLiteral("100000")).toLongLong();
        run(QStringLiteral("DELETE FROM kel_srv_lockout "
                           "WHERE id_lockout <= last_insert_rowid() - ? "
                           "AND (locked_until IS NULL OR locked_until <= ?) "
                           "AND login_key NOT IN (SELECT login_key FROM kel_srv_user)"),
            {qMax<qint64>(keep, 1), at});
        if (lockNow) {
            answer.message = lockMessage(minutes);
            return finish(QStringLiteral("locked now"), answer);
        }
        answer.message = WrongLogin;
        return finish(known ? QStringLiteral("wrong password") : QStringLiteral("unknown login"),
                      answer);
    }
    // Only the right password learns the user's id and that the account is switched off.
    answer.id = id;
    if (!user[3].toBool()) {
        answer.message = QStringLiteral("Учетная запись отключена. Обратитесь к администратору.");
        return finish(QStringLiteral("disabled"), answer);
    }
    run(QStringLiteral("DELETE FROM kel_srv_lockout WHERE login_key = ?"), {key});

    QDateTime setAt = passwordSet.toDateTime();
    QString outcome = QStringLiteral("signed in");
    if (!db::isNullValue(newArgument)) {
        const QString newDigest = textArgument(newArgument).trimmed().toUpper();
        if (!isDigest(newDigest))
            answer.message = QStringLiteral("Новый пароль передан в неверном виде.");
        else if (newDigest == EmptyPasswordDigest)
            answer.message = QStringLiteral("Новый пароль не может быть пустым.");
        else if (newDigest == digest)
            answer.message = QStringLiteral("Новый пароль должен отличаться от прежнего.");
        if (!answer.message.isEmpty())
            return finish(QStringLiteral("password refused"), answer);
        run(QStringLiteral("UPDATE kel_srv_user SET pwd_md5 = ?, pwd_set = ? WHERE id_login = ?"),
            {newDigest, at, id});
        setAt = at;
        outcome = QStringLiteral("password changed");
    }

    const int life = setting(QStringLiteral("password_life_days"), QStringLiteral("90")).toInt();
    answer.passwordState = setAt.isValid() ? qint32(life - setAt.date().daysTo(at.date())) : -1;
    if (answer.passwordState < 0)
        return finish(QStringLiteral("password expired"), answer);
    answer.login = encodeSettingText(user[4].toString());
    answer.password = encodeSettingText(user[5].toString());
    return finish(outcome, answer);
}

} // namespace embedded
