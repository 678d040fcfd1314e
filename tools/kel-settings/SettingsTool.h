// kel-settings: writes and shows the client's connection settings file.
#pragma once

#include <QString>
#include <QStringList>

#include "signin/SettingsFile.h"

namespace tools {

// Why four values cannot go into the file, or an empty text when they can.
QString checkSettingsValues(const signin::TFirstConnectInfo& info);

// Runs the tool on its arguments (without the program name); writes messages to out and err
// and returns the exit code.
int runSettingsTool(const QStringList& arguments, const QString& defaultPath, QString& out,
                    QString& err);

} // namespace tools
