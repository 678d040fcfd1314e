// Fonts, named colours and the cell canvas.
#include "controls/Graphics.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

TFont::TFont()
    : font(QApplication::font()) {}

TFont::TFont(const QString& face, int pixelHeight, const QColor& c, bool isBold)
    : font(face.isEmpty() ? QApplication::font().family() : face)
    , color(c) {
    font.setPixelSize(pixelHeight);
    font.setBold(isBold);
}

namespace colors {

QColor fromWindowsValue(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QColor clBlack() {
    return QColor(0, 0, 0);
}
QColor clWhite() {
    return QColor(255, 255, 255);
}
QColor clSilver() {
    return QColor(192, 192, 192);
}
QColor clGreen() {
    return QColor(0, 128, 0);
}
QColor clRed() {
    return QColor(255, 0, 0);
}
QColor clBlue() {
    return QColor(0, 0, 255);
}
QColor clNavy() {
    return QColor(0, 0, 128);
}
QColor clMoneyGreen() {
    return QColor(192, 220, 192);
}
QColor clInfoBk() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}
QColor clWindow() {
    return QApplication::palette().color(QPalette::Base);
}
QColor clWindowText() {
    return QApplication::palette().color(QPalette::Text);
}
QColor clBtnFace() {
    return QApplication::palette().color(QPalette::Button);
}

} // namespace colors

TCanvas::TCanvas(QPainter* painter)
    : painter_(painter) {}

int TCanvas::textWidth(const QString& text) const {
    return QFontMetrics(font_.font).horizontalAdvance(text);
}

int TCanvas::textHeight(const QString&) const {
    return QFontMetrics(font_.font).height();
}

void TCanvas::fillRect(const QRect& r) {
    if (painter_ != nullptr)
        painter_->fillRect(r, brush_);
}

void TCanvas::textRect(const QRect& r, int x, int y, const QString& text) {
    fillRect(r);
    if (painter_ != nullptr && !text.isEmpty()) {
        painter_->save();
        painter_->setClipRect(r, Qt::IntersectClip);
        painter_->setFont(font_.font);
        painter_->setPen(font_.color);
        painter_->drawText(QPoint(x, y + QFontMetrics(font_.font).ascent()), text);
        painter_->restore();
    }
    penPos_ = QPoint(x + textWidth(text), y);
}
