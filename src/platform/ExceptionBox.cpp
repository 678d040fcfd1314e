#include "platform/ExceptionBox.h"

#include "platform/ApplicationState.h"
#include "platform/MessageBoxes.h"

#include <QApplication>

namespace platform {

void showExceptionBox(const std::exception& error) {
    messageBox(QApplication::activeWindow(), QString::fromUtf8(error.what()), applicationTitle(),
               QMessageBox::Critical);
}

} // namespace platform
