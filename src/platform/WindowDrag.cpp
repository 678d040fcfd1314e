#include "platform/WindowDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace platform {

WindowDrag::WindowDrag(QObject* parent)
    : QObject(parent) {}

void WindowDrag::start(QWidget* widget, QPoint pressAt) {
    window_.clear();
    QWidget* window = widget->window();
    QWindow* handle = window->windowHandle();
    if (handle != nullptr && handle->startSystemMove())
        return;
    window_ = window;
    pressAt_ = pressAt;
    windowAt_ = window->pos();
}

bool WindowDrag::follow(const QMouseEvent& event) {
    if (window_.isNull())
        return false;
    const QPoint at = event.globalPosition().toPoint();
    if (event.type() == QEvent::MouseMove && (event.buttons() & Qt::LeftButton)) {
        window_->move(windowAt_ + (at - pressAt_));
        return true;
    }
    if (event.type() == QEvent::MouseButtonRelease && event.button() == Qt::LeftButton) {
        window_.clear();
        return true;
    }
    return false;
}

} // namespace platform
