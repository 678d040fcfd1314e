// A picture that fills its box as far as its proportions allow.
#pragma once

#include <QImage>
#include <QWidget>

namespace signin {

// Draws its image scaled to the box, keeping the proportions, from the top left corner.
class Picture : public QWidget {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

} // namespace signin
