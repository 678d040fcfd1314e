// Random SQL as the verification login, which may read nothing: any secret that comes back
// (a working login's password, a user's digest, a student's name) is a leak.
#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Never destroyed: at exit Qt's SQL statics are gone before ours would be.
db::Connection* check = nullptr;
QStringList secrets;

bool leaks(const QVariant& value) {
    const QString text = value.toString();
    for (const QString& s : secrets)
        if (!s.isEmpty() && text.contains(s, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("kel.sqlite"));
    embedded::createDatabase(path);
    {
        embedded::ServerAdmin admin(path);
        admin.createCheckLogin(QStringLiteral("kel_check"), QStringLiteral("check1"));
        admin.createUser(QStringLiteral("ivanova"), QStringLiteral("secret1"),
                         QDateTime::currentDateTime());
        admin.exec(QStringLiteral("INSERT INTO s_fio VALUES (12, 'Zyxwvut Secretname', '21001')"));
        for (const auto& row :
             admin
                 .exec(QStringLiteral("SELECT password FROM kel_srv_login WHERE kind = 'work' "
                                      "UNION ALL SELECT pwd_md5 FROM kel_srv_user"))
                 .rows)
            secrets << row[0].toString();
        secrets << QStringLiteral("Zyxwvut Secretname");
    }
    check = new db::Connection;
    check->setDriverFactory(embedded::driverFactory());
    check->setConnectionString(QStringLiteral("Password=check1;User ID=kel_check;"
                                              "Initial Catalog=KEL;Data Source=") +
                               path);
    check->open();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const db::Result r = check->query(sql);
        for (const auto& row : r.rows)
            for (const QVariant& v : row)
                if (leaks(v)) {
                    std::fprintf(stderr, "leak: %s\n", qPrintable(v.toString()));
                    std::abort();
                }
    } catch (const db::DatabaseError&) {
    }
    return 0;
}
