// The application object's settings that windows below the entry point switch.
#pragma once

#include <QString>

namespace platform {

// The show-main-window flag: off at start, switched on by a successful sign-in.
bool showMainForm();
void setShowMainForm(bool on);

// The application's title, which its error box carries. Not Qt's display name: Qt would
// append that to every other window's caption.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// Termination requested before or during the message loop.
bool terminationRequested();
void requestTermination();
// Back to the starting state; for the entry point and tests.
void resetApplicationState();

} // namespace platform
