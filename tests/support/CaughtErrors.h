// What escaped an event handler in programs run under the catching application object.
#pragma once

#include <QStringList>

namespace testsupport {

// Errors that escaped event handlers and reached the application object, oldest first.
QStringList& caughtErrors();

} // namespace testsupport
