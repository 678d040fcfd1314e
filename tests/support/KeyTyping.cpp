#include "support/KeyTyping.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

void testsupport::typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}
