// A button whose face is part of the window's artwork.
#pragma once

#include <QAbstractButton>

namespace signin {

// Paints no face of its own: only a light veil while hovered or pressed, and a grey one
// while disabled, over the face drawn in the picture below it.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    // The caption is what its face reads; it serves accessibility only.
    PictureButton(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

} // namespace signin
