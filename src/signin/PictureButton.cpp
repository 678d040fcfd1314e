#include "signin/PictureButton.h"

#include <QPainter>

namespace signin {

PictureButton::PictureButton(const QString& caption, QWidget* parent)
    : QAbstractButton(parent) {
    setAccessibleName(caption);
    setCursor(Qt::PointingHandCursor);
    // As a button painted on a picture, it never takes the keyboard focus from the edits.
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QColor veil;
    if (!isEnabled())
        veil = QColor(0xe8, 0xec, 0xf1, 170);
    else if (isDown())
        veil = QColor(0, 0, 0, 45);
    else if (underMouse())
        veil = QColor(255, 255, 255, 70);
    else
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(veil);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void PictureButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

} // namespace signin
