#include "app/Startup.h"

#include "data/Unit_2_1.h"
#include "journal/Unit2.h"
#include "journal/Unit4.h"
#include "platform/ApplicationState.h"

#include <QApplication>

namespace app {

Startup createApplicationObjects() {
    platform::setApplicationTitle(QString::fromUtf8(ApplicationTitle));
    QApplication::setApplicationName(QStringLiteral("KEL 14"));
    platform::setShowMainForm(false);

    Startup objects;
    objects.dataModule = new TDM_TAZ_2();
    objects.dataModule->LoadingNotice = journal::loadingNoticeHook();
    // The statements' worker and wait notice (app::waitNoticeHook) stay off in the program
    // until a wait that runs events keeps the main window's focus: with it on, a key pressed
    // right after a column paste on a slow machine reached a window with no focus widget.
    objects.mainWindow = new TForm2();
    return objects;
}

int runMessageLoop(const Startup& objects) {
    if (platform::terminationRequested())
        return 0;
    if (platform::showMainForm() && objects.mainWindow != nullptr)
        objects.mainWindow->showMaximized();
    else
        return 0; // nothing to show: a loop without a window would never end
    return QApplication::exec();
}

void destroyApplicationObjects(Startup& objects) {
    delete objects.mainWindow;
    objects.mainWindow = nullptr;
    delete objects.dataModule;
    objects.dataModule = nullptr;
}

} // namespace app
