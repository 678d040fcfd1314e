// kel-demo: the demo faculty, its users and the settings file that points the client at it.
#pragma once

#include <QString>
#include <QStringList>

namespace tools {

// The demo's fixed names.
struct DemoNames {
    static constexpr const char* DatabaseFile = "kel-demo.sqlite";
    static constexpr const char* CheckLogin = "kel_check";
    static constexpr const char* CheckPassword = "kel_check_demo";
    static constexpr const char* User = "demo";
    static constexpr const char* UserPassword = "demo2024";
    static constexpr const char* ExpiredUser = "expired";
    static constexpr const char* ExpiredPassword = "old2024";
};

// Fills a new database file with the demo faculty and its users (the file must not exist).
void fillDemoDatabase(const QString& path);

// Runs the tool on its arguments (without the program name) for the client in clientDir:
// writes clientDir/Data/kel-demo.sqlite and clientDir/Data/KEL. Messages go to out and err;
// returns the exit code.
int runDemoTool(const QStringList& arguments, const QString& clientDir, QString& out, QString& err);

} // namespace tools
