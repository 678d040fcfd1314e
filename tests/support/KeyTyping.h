// Typing into a widget as a keyboard does.
#pragma once

#include <QString>

class QWidget;

namespace testsupport {

// Types a text key by key, press and release, whatever its alphabet.
void typeText(QWidget* widget, const QString& text);

} // namespace testsupport
