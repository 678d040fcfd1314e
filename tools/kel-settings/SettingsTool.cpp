#include "SettingsTool.h"

#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tools {
namespace {

const QString Usage = QStringLiteral(
    "Usage:\n"
    "  kel-settings [--file PATH] LOGIN PASSWORD SERVER DATABASE\n"
    "  kel-settings --print [--file PATH]\n"
    "  kel-settings --version\n"
    "SERVER is a SQL Server host (HOST, HOST\\INSTANCE or HOST,PORT) or an embedded\n"
    "database file ending in .sqlite. Without --file the file is Data/KEL beside the client.\n");

QString checkOne(const QString& name, const QString& value) {
    const QChar bad = platform::firstNonCp1251(value);
    if (!bad.isNull())
        return QStringLiteral("%1: the character '%2' (U+%3) has no code page 1251 byte")
            .arg(name, QString(bad), QString::number(bad.unicode(), 16).toUpper());
    if (value.contains(QLatin1Char(';')))
        return QStringLiteral("%1: ';' would break the connection string").arg(name);
    const qsizetype bytes = platform::toCp1251(value).size();
    if (bytes > signin::SettingsFieldWidth)
        return QStringLiteral("%1: %2 bytes, at most %3 fit")
            .arg(name)
            .arg(bytes)
            .arg(signin::SettingsFieldWidth);
    return QString();
}

} // namespace

QString checkSettingsValues(const signin::TFirstConnectInfo& info) {
    for (const auto& [name, value] : {std::pair{QStringLiteral("login"), info.UserID},
                                      std::pair{QStringLiteral("password"), info.Password},
                                      std::pair{QStringLiteral("server"), info.DataSource},
                                      std::pair{QStringLiteral("database"), info.InitialCatalog}}) {
        const QString problem = checkOne(name, value);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

int runSettingsTool(const QStringList& arguments, const QString& defaultPath, QString& out,
                    QString& err) {
    QString path = defaultPath;
    bool print = false;
    QStringList values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--print")) {
            print = true;
        } else if (a == QLatin1String("--file") && i + 1 < arguments.size()) {
            path = arguments[++i];
        } else if (a == QLatin1String("--version")) {
            out += QStringLiteral("kel-settings (KEL 14) %1\n").arg(QLatin1String(KEL_VERSION));
            return 0;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += Usage;
            return 0;
        } else if (a.startsWith(QLatin1String("--"))) {
            err += QStringLiteral("Unknown option %1\n").arg(a) + Usage;
            return 2;
        } else {
            values << a;
        }
    }

    if (print) {
        if (!values.isEmpty()) {
            err += Usage;
            return 2;
        }
        try {
            const signin::TFirstConnectInfo info = signin::readSettingsFile(path);
            out += QStringLiteral("login:    %1\npassword: %2\nserver:   %3\ndatabase: %4\n")
                       .arg(info.UserID, info.Password, info.DataSource, info.InitialCatalog);
            return 0;
        } catch (const signin::InOutError& e) {
            err += QStringLiteral("%1: %2\n").arg(path, QString::fromUtf8(e.what()));
            return 1;
        }
    }

    if (values.size() != 4) {
        err += Usage;
        return 2;
    }
    const signin::TFirstConnectInfo info{values[0], values[1], values[3], values[2]};
    const QString problem = checkSettingsValues(info);
    if (!problem.isEmpty()) {
        err += QStringLiteral("Refused: %1\n").arg(problem);
        return 1;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(signin::encodeSettings(info)) < 0 ||
        !file.commit()) {
        err += QStringLiteral("%1: %2\n").arg(path, file.errorString());
        return 1;
    }
    // Every user of the installation reads the file; only its owner writes it.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
    out += QStringLiteral("Wrote %1\n").arg(path);
    return 0;
}

} // namespace tools
