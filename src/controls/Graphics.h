// Fonts with a colour, a drawing canvas for cell painters, and the named colours windows use.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// A font object: face, pixel height, style and colour, copied as one value.
struct TFont {
    QFont font;
    QColor color = Qt::black;

    TFont();
    TFont(const QString& face, int pixelHeight, const QColor& color, bool bold = false);

    int height() const { return font.pixelSize(); }
    void setHeight(int pixels) { font.setPixelSize(pixels); }
    bool bold() const { return font.bold(); }
    void setBold(bool on) { font.setBold(on); }

    friend bool operator==(const TFont& a, const TFont& b) {
        return a.font == b.font && a.color == b.color;
    }
};

// Named colours of the original toolkit; system colours resolve through the palette.
namespace colors {
QColor fromWindowsValue(quint32 bgr); // 0x00BBGGRR
QColor clBlack();
QColor clWhite();
QColor clSilver();
QColor clGreen();
QColor clRed();
QColor clBlue();
QColor clNavy();
QColor clMoneyGreen();
QColor clInfoBk();
QColor clWindow();
QColor clWindowText();
QColor clBtnFace();
} // namespace colors

// What a cell painter draws with: a brush colour, a font, and text drawn clipped to a
// rectangle. PenPos follows the end of the last text, as a canvas does after TextOut.
class TCanvas {
public:
    explicit TCanvas(QPainter* painter = nullptr);

    QPainter* painter() const { return painter_; }
    void setPainter(QPainter* painter) { painter_ = painter; }

    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& c) { brush_ = c; }
    const TFont& font() const { return font_; }
    void setFont(const TFont& f) { font_ = f; }

    int textWidth(const QString& text) const;
    int textHeight(const QString& text) const;
    void fillRect(const QRect& r);
    // Fills r with the brush, then draws the text with its top-left corner at (x, y),
    // clipped to r.
    void textRect(const QRect& r, int x, int y, const QString& text);
    QPoint penPos() const { return penPos_; }

private:
    QPainter* painter_;
    QColor brush_ = Qt::white;
    TFont font_;
    QPoint penPos_;
};
