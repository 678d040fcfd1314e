// Errors of event handlers, passed on to the application object from an event of their own.
#pragma once

#include <QObject>

#include <exception>

namespace controls {

// An error raised inside a widget's event handler is caught there and raised again from a
// posted event, so it reaches the application's error box without unwinding Qt's own event
// code (which would leak what that code holds). The handler stops where the error arose.
void postHandlerError(QObject* context, std::exception_ptr error);

template <typename F> void runHandler(QObject* context, F&& work) {
    try {
        work();
    } catch (...) {
        postHandlerError(context, std::current_exception());
    }
}

} // namespace controls
