// kel-demo: creates the demo database and the settings file beside the client.
#include "DemoDatabase.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QString out, err;
    const int code =
        tools::runDemoTool(arguments, QCoreApplication::applicationDirPath(), out, err);
    std::fputs(out.toLocal8Bit().constData(), stdout);
    std::fputs(err.toLocal8Bit().constData(), stderr);
    return code;
}
