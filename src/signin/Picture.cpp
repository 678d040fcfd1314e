#include "signin/Picture.h"

#include <QPainter>

namespace signin {

Picture::Picture(QWidget* parent)
    : QWidget(parent) {}

void Picture::setImage(const QImage& image) {
    image_ = image;
    update();
}

void Picture::paintEvent(QPaintEvent*) {
    if (image_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize size = image_.size().scaled(this->size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), image_);
}

} // namespace signin
