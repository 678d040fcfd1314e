// kel-demo's command line: where the files go and when they may be replaced.
#include "DemoDatabase.h"

#include "db/DatabaseError.h"
#include "signin/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tools {
namespace {

const QString Usage = QStringLiteral(
    "Usage: kel-demo [--force] [--dir CLIENT_FOLDER]\n"
    "Creates the demo database Data/kel-demo.sqlite and the settings file Data/KEL beside the\n"
    "client (default: the folder of kel-demo). An existing demo database is kept unless\n"
    "--force is given.\n");

} // namespace

int runDemoTool(const QStringList& arguments, const QString& clientDir, QString& out,
                QString& err) {
    bool force = false;
    QString dir = clientDir;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--force")) {
            force = true;
        } else if (a == QLatin1String("--dir") && i + 1 < arguments.size()) {
            dir = arguments[++i];
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += Usage;
            return 0;
        } else {
            err += QStringLiteral("Unknown argument %1\n").arg(a) + Usage;
            return 2;
        }
    }
    const QString data = QDir(dir).filePath(QStringLiteral("Data"));
    const QString database = QDir(data).filePath(QLatin1String(DemoNames::DatabaseFile));
    const QString settings = QDir(data).filePath(QStringLiteral("KEL"));
    if (QFileInfo::exists(database)) {
        if (!force) {
            err += QStringLiteral("%1 exists; use --force to replace it.\n").arg(database);
            return 1;
        }
        for (const char* suffix : {"", "-wal", "-shm"})
            if (QFileInfo::exists(database + QLatin1String(suffix)) &&
                !QFile::remove(database + QLatin1String(suffix))) {
                err += QStringLiteral("Cannot remove %1%2\n").arg(database, QLatin1String(suffix));
                return 1;
            }
    }
    try {
        fillDemoDatabase(database);
    } catch (const db::DatabaseError& e) {
        err += QStringLiteral("%1: %2\n").arg(database, e.message());
        return 1;
    }
    const signin::TFirstConnectInfo info{
        QLatin1String(DemoNames::CheckLogin), QLatin1String(DemoNames::CheckPassword),
        QStringLiteral("KEL"), QLatin1String(DemoNames::DatabaseFile)};
    QSaveFile file(settings);
    if (!file.open(QIODevice::WriteOnly) || file.write(signin::encodeSettings(info)) < 0 ||
        !file.commit()) {
        err += QStringLiteral("%1: %2\n").arg(settings, file.errorString());
        return 1;
    }
    out += QStringLiteral("Wrote %1\nWrote %2\nUsers: %3 / %4, %5 / %6 (password run out)\n")
               .arg(database, settings, QLatin1String(DemoNames::User),
                    QLatin1String(DemoNames::UserPassword), QLatin1String(DemoNames::ExpiredUser),
                    QLatin1String(DemoNames::ExpiredPassword));
    return 0;
}

} // namespace tools
