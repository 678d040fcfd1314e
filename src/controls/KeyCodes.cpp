// Virtual-key codes of Qt keys, for handlers written against key codes.
#include "controls/GridTypes.h"

#include <QKeyEvent>

namespace keys {

quint16 virtualKey(int k) {
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return quint16(k);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return quint16(112 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Comma:
        return 188;
    case Qt::Key_Period:
        return 190;
    case Qt::Key_Minus:
        return 189;
    default:
        return 0;
    }
}

quint16 virtualKey(const QKeyEvent& event) {
    return virtualKey(event.key());
}

bool ownerSwallowsKey(const TKeyEvent& handler, QObject* sender, const QKeyEvent& event) {
    if (!handler)
        return false;
    const quint16 original = virtualKey(event);
    quint16 key = original;
    handler(sender, key, event.modifiers());
    return key == 0 && original != 0;
}

} // namespace keys
