#include "app/Application.h"

#include "db/DatabaseError.h"
#include "platform/ApplicationState.h"

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const db::Abort&) {
        // A silent cancel: the handler stopped and nobody is told.
    } catch (const std::exception& error) {
        platform::showExceptionBox(error);
    }
    return false;
}
