// The application's standard error box.
#pragma once

#include <exception>

namespace platform {

// The exception's text in one critical box titled with the application's title. A
// db::Abort-like silent exception is never passed here.
void showExceptionBox(const std::exception& error);

} // namespace platform
