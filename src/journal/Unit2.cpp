#include "journal/Unit2.h"

#include "platform/ApplicationState.h"
#include "signin/SettingsFile.h"

#include <QSysInfo>

TForm2::TForm2(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("KEL 14 Учет успеваемости"));
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::FormCreate()
{
    // Until the sign-in window exists, the gate only proves the settings file can be read.
    try {
        signin::readSettingsFile(signin::settingsFilePath());
        platform::setShowMainForm(true);
    } catch (const std::exception& e) {
        platform::showExceptionBox(e);
        platform::requestTermination();
    }
    CompName = QSysInfo::machineHostName().left(100);
}
