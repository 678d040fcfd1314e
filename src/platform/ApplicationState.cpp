#include "platform/ApplicationState.h"

#include <QCoreApplication>

namespace platform {
namespace {

struct State {
    bool showMainForm = false;
    bool terminated = false;
    QString title;
};

State& state() {
    static State s;
    return s;
}

} // namespace

bool showMainForm() {
    return state().showMainForm;
}

void setShowMainForm(bool on) {
    state().showMainForm = on;
}

QString applicationTitle() {
    return state().title;
}

void setApplicationTitle(const QString& title) {
    state().title = title;
}

bool terminationRequested() {
    return state().terminated;
}

void requestTermination() {
    state().terminated = true;
    QCoreApplication::exit(0);
}

void resetApplicationState() {
    state() = State{};
}

} // namespace platform
