// Database creation and account management.
#include "embedded/ServerAdmin.h"

#include "db/DatabaseError.h"
#include "embedded/ProcedureTransaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "platform/Cp1251.h"

#include <sqlite3.h>

namespace embedded {
namespace {

QString script(const QString& name) {
    QFile f(QStringLiteral(":/embedded/sql/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw db::DatabaseError(QStringLiteral("The server's script %1 is missing.").arg(name));
    return QString::fromUtf8(f.readAll());
}

void runScript(sqlite3* handle, const QString& name) {
    char* error = nullptr;
    if (sqlite3_exec(handle, script(name).toUtf8().constData(), nullptr, nullptr, &error) !=
        SQLITE_OK) {
        const QString text = QString::fromUtf8(error != nullptr ? error : "unknown error");
        sqlite3_free(error);
        throw db::DatabaseError(QStringLiteral("%1: %2").arg(name, text));
    }
}

QString connectionTo(const QString& path) {
    return QStringLiteral("Data Source=") + QFileInfo(path).absoluteFilePath();
}

QString randomSecret() {
    static const char alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    QString s;
    for (int i = 0; i < 16; ++i)
        s += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(int(sizeof alphabet - 1))]);
    return s;
}

void checkLoginText(const QString& what, const QString& text) {
    if (text.isEmpty() || text.size() > 50 || text.contains(QLatin1Char(';')) ||
        !platform::fitsCp1251(text))
        throw db::DatabaseError(
            QStringLiteral("%1 '%2': 1 to 50 characters of code page 1251, without ';'.")
                .arg(what, text));
}

} // namespace

void createDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        throw db::DatabaseError(QStringLiteral("The database file '%1' already exists.").arg(path));
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    try {
        db::SqliteDriver driver;
        driver.open(db::ConnectionString(connectionTo(part)));
        driver.beginTransaction();
        for (const char* name : {"tables.sql", "views.sql", "triggers.sql", "server.sql"})
            runScript(driver.handle(), QLatin1String(name));
        driver.commit();
        driver.executeRaw(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        driver.close();
    } catch (...) {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(part + QLatin1String(suffix));
        throw;
    }
    QFile::remove(part + QStringLiteral("-wal"));
    QFile::remove(part + QStringLiteral("-shm"));
    if (!QFile::rename(part, path)) {
        QFile::remove(part);
        throw db::DatabaseError(QStringLiteral("Cannot create '%1'.").arg(path));
    }
}

ServerAdmin::ServerAdmin(const QString& path) {
    server_.open(db::ConnectionString(connectionTo(path)));
}

db::Result ServerAdmin::exec(const QString& sql, const std::vector<QVariant>& binds) {
    return server_.execute(sql, binds);
}

void ServerAdmin::createCheckLogin(const QString& name, const QString& password) {
    checkLoginText(QStringLiteral("Login"), name);
    if (password.contains(QLatin1Char(';')))
        throw db::DatabaseError(QStringLiteral("A password cannot contain ';'."));
    if (name.compare(QLatin1String("check"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("work"), Qt::CaseInsensitive) == 0)
        throw db::DatabaseError(QStringLiteral("'%1' is the name of a login kind.").arg(name));
    exec(QStringLiteral("INSERT INTO kel_srv_login (name, name_key, password, kind) "
                        "VALUES (?, ?, ?, 'check')"),
         {name, name.toLower(), password});
}

int ServerAdmin::createUser(const QString& login, const QString& password,
                            const std::optional<QDateTime>& passwordSet, const QString& fio) {
    checkLoginText(QStringLiteral("User"), login);
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(platform::toCp1251(password), QCryptographicHash::Md5)
            .toHex()
            .toUpper());
    ProcedureTransaction transaction(server_);
    const int id = exec(QStringLiteral("SELECT coalesce(max(id_login), 0) + 1 FROM kel_srv_user"))
                       .rows[0][0]
                       .toInt();
    const QString work = QStringLiteral("kel_w%1").arg(id);
    exec(QStringLiteral("INSERT INTO kel_srv_login (name, name_key, password, kind) "
                        "VALUES (?, ?, ?, 'work')"),
         {work, work, randomSecret()});
    exec(QStringLiteral("INSERT INTO kel_srv_user (id_login, login, login_key, fio, pwd_md5, "
                        "pwd_set, work_login) VALUES (?, ?, ?, ?, ?, ?, ?)"),
         {id, login, login.toLower(), fio.isEmpty() ? QVariant() : QVariant(fio), digest,
          passwordSet ? QVariant(*passwordSet) : QVariant(), work});
    transaction.commit();
    return id;
}

void ServerAdmin::setSetting(const QString& name, const QString& value) {
    exec(QStringLiteral("INSERT OR REPLACE INTO kel_srv_setting (name, value) VALUES (?, ?)"),
         {name, value});
}

} // namespace embedded
