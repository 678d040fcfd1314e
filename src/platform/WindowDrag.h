// Moving a window by dragging a part of it with the left mouse button.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QMouseEvent;
class QWidget;

namespace platform {

// Hands the move to the window system when it can take it (it then follows the mouse until
// the button is released); where it cannot, the window follows the mouse events itself.
class WindowDrag : public QObject {
    Q_OBJECT
public:
    explicit WindowDrag(QObject* parent = nullptr);

    // Starts moving the window that holds the widget; pressAt is the press's global position.
    void start(QWidget* widget, QPoint pressAt);
    // Feeds the mouse events of the pressed widget while it moves the window itself; true
    // when the event was used for the move.
    bool follow(const QMouseEvent& event);
    bool dragging() const { return !window_.isNull(); }

private:
    QPointer<QWidget> window_;
    QPoint pressAt_;
    QPoint windowAt_;
};

} // namespace platform
