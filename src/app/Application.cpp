#include "app/Application.h"

#include "db/DatabaseError.h"
#include "platform/ExceptionBox.h"

#include <QFont>
#include <QLocale>

namespace app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The client's texts (dates in statements and messages) follow the Russian locale,
    // whatever the machine's own locale is.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Qt's standard buttons and dialogs speak the program's language, as on a Russian system.
    if (qtRussian_.load(QStringLiteral(":/translations/qtbase_ru.qm")))
        QCoreApplication::installTranslator(&qtRussian_);
    // The windows' column widths and positions were laid out for Arial's metrics; Liberation
    // Sans has the same ones. Without it the font matching picks the system's face; asking
    // the font database first would read every installed font before the first window.
    QFont ui = QApplication::font();
    ui.setFamilies({QStringLiteral("Liberation Sans"), ui.family()});
    QApplication::setFont(ui);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const db::Abort&) {
        // A silent cancel: the handler stopped and nobody is told.
    } catch (const std::exception& error) {
        platform::showExceptionBox(error);
    }
    return false;
}

} // namespace app
