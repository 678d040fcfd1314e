// The one way the program shows a message box or beeps, so tests can answer boxes by script.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace platform {

// What a box would have shown, as handed to a scripted answer.
struct MessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using MessageBoxScript = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;

// Shows a modal box and returns the button pressed (the escape button when it was closed).
QMessageBox::StandardButton messageBox(QWidget* owner, const QString& text, const QString& caption,
                                       QMessageBox::Icon icon,
                                       QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// The system beep.
void beep();

// While a script is set, boxes are answered by it instead of being shown.
void setMessageBoxScript(MessageBoxScript script);
// While a counter is set, beeps are counted instead of sounded.
void setBeepCounter(int* counter);

// Restores the previous script and beep counter when it goes out of scope.
class ScopedMessageBoxScript {
public:
    ScopedMessageBoxScript(MessageBoxScript script, int* beepCounter = nullptr);
    ~ScopedMessageBoxScript();
    ScopedMessageBoxScript(const ScopedMessageBoxScript&) = delete;
    ScopedMessageBoxScript& operator=(const ScopedMessageBoxScript&) = delete;

private:
    MessageBoxScript previous_;
    int* previousCounter_;
};

} // namespace platform
