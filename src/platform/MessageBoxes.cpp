#include "platform/MessageBoxes.h"

#include <QApplication>

namespace platform {
namespace {

struct Hooks {
    MessageBoxScript script;
    int* beeps = nullptr;
};

Hooks& hooks() {
    static Hooks h;
    return h;
}

} // namespace

QMessageBox::StandardButton messageBox(QWidget* owner, const QString& text, const QString& caption,
                                       QMessageBox::Icon icon,
                                       QMessageBox::StandardButtons buttons) {
    if (hooks().script)
        return hooks().script(MessageBoxRequest{owner, text, caption, icon, buttons});
    QMessageBox box(icon, caption, text, buttons, owner);
    const int answer = box.exec();
    return static_cast<QMessageBox::StandardButton>(answer);
}

void beep() {
    if (hooks().beeps != nullptr) {
        ++*hooks().beeps;
        return;
    }
    QApplication::beep();
}

void setMessageBoxScript(MessageBoxScript script) {
    hooks().script = std::move(script);
}

void setBeepCounter(int* counter) {
    hooks().beeps = counter;
}

ScopedMessageBoxScript::ScopedMessageBoxScript(MessageBoxScript script, int* beepCounter)
    : previous_(std::move(hooks().script))
    , previousCounter_(hooks().beeps) {
    hooks().script = std::move(script);
    hooks().beeps = beepCounter;
}

ScopedMessageBoxScript::~ScopedMessageBoxScript() {
    hooks().script = std::move(previous_);
    hooks().beeps = previousCounter_;
}

} // namespace platform
