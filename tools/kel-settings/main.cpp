// kel-settings: the installation's tool for the client's connection settings file.
#include "SettingsTool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QString out, err;
    const int code = tools::runSettingsTool(
        arguments, QCoreApplication::applicationDirPath() + QStringLiteral("/Data/KEL"), out, err);
    std::fputs(out.toLocal8Bit().constData(), stdout);
    std::fputs(err.toLocal8Bit().constData(), stderr);
    return code;
}
