// Random SQL as the verification login, which may read nothing, and as a working login: any
// secret that comes back (a working login's password, a user's digest, and for the
// verification login a student's name) is a leak; an audit record changed, or a
// transaction left open (the write lock held past the call), is a fault too.
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Never destroyed: at exit Qt's SQL statics are gone before ours would be.
db::Connection* check = nullptr;
db::Connection* work = nullptr;
embedded::ServerAdmin* owner = nullptr;
QStringList secrets;
const QString StudentName = QStringLiteral("Zyxwvut Secretname");
const QString AuditText = QStringLiteral("kept audit record");

bool leaks(const QVariant& value, bool nameIsSecret) {
    const QString text = value.toString();
    for (const QString& s : secrets)
        if (!s.isEmpty() && text.contains(s, Qt::CaseInsensitive))
            return true;
    return nameIsSecret && text.contains(StudentName, Qt::CaseInsensitive);
}

db::Connection* open(const QString& path, const QString& login, const QString& password) {
    auto* c = new db::Connection;
    c->setDriverFactory(embedded::driverFactory());
    c->setConnectionString(QStringLiteral("Password=") + password + QStringLiteral(";User ID=") +
                           login + QStringLiteral(";Initial Catalog=KEL;Data Source=") + path);
    c->open();
    return c;
}

void run(db::Connection& c, const QString& sql, bool nameIsSecret) {
    try {
        const db::Result r = c.query(sql);
        for (const auto& row : r.rows)
            for (const QVariant& v : row)
                if (leaks(v, nameIsSecret)) {
                    std::fprintf(stderr, "leak: %s\n", qPrintable(v.toString()));
                    std::abort();
                }
    } catch (const db::DatabaseError&) {
    }
    if (sqlite3_get_autocommit(dynamic_cast<embedded::EmbeddedServer&>(c.driver()).handle()) == 0) {
        std::fprintf(stderr, "a client statement left a transaction open\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("kel.sqlite"));
    embedded::createDatabase(path);
    owner = new embedded::ServerAdmin(path);
    owner->createCheckLogin(QStringLiteral("kel_check"), QStringLiteral("check1"));
    // A write stops well within the fuzzer's time-out.
    owner->setSetting(QStringLiteral("write_lock_ms"), QStringLiteral("1000"));
    owner->createUser(QStringLiteral("ivanova"), QStringLiteral("secret1"),
                      QDateTime::currentDateTime());
    owner->exec(QStringLiteral("INSERT INTO s_fio VALUES (12, 'Zyxwvut Secretname', '21001')"));
    owner->exec(QStringLiteral("INSERT INTO KEL_LOG (id_log, [table], row_id, descr) "
                               "VALUES (1, 'mark_mag', 1, ?)"),
                {AuditText});
    for (const auto& row :
         owner
             ->exec(QStringLiteral("SELECT password FROM kel_srv_login WHERE kind = 'work' "
                                   "UNION ALL SELECT pwd_md5 FROM kel_srv_user"))
             .rows)
        secrets << row[0].toString();
    const db::Result workLogin =
        owner->exec(QStringLiteral("SELECT name, password FROM kel_srv_login WHERE kind = 'work'"));
    check = open(path, QStringLiteral("kel_check"), QStringLiteral("check1"));
    work = open(path, workLogin.rows[0][0].toString(), workLogin.rows[0][1].toString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    run(*check, sql, true);
    run(*work, sql, false);
    const db::Result audit =
        owner->exec(QStringLiteral("SELECT [table], row_id, descr FROM KEL_LOG WHERE id_log = 1"));
    if (audit.rows.size() != 1 || audit.rows[0][0].toString() != QLatin1String("mark_mag") ||
        audit.rows[0][1].toInt() != 1 || audit.rows[0][2].toString() != AuditText) {
        std::fprintf(stderr, "the audit record was changed\n");
        std::abort();
    }
    return 0;
}
