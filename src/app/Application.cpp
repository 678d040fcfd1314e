#include "app/Application.h"

#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"

#include <QLocale>

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The client's texts (dates in statements and messages) follow the Russian locale,
    // whatever the machine's own locale is.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
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
