#include "Artwork.h"

#include "signin/Unit10Layout.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {
namespace {

namespace L = signin::layout;

const QColor Navy(0x1c, 0x3a, 0x5e);
const QColor NavyLight(0x2f, 0x5f, 0x93);
const QColor Ink(0x22, 0x2e, 0x3c);
const QColor Caption(0x33, 0x46, 0x5c);
const QColor FieldLine(0x9d, 0xb1, 0xc7);
const QColor Gold(0xe8, 0xb9, 0x4a);

QFont font(int pixelSize, int weight = QFont::Normal) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// The frame an edit sits in: the edit itself is borderless and white.
void fieldFrame(QPainter& p, QRect edit) {
    const QRectF frame = QRectF(edit).adjusted(-3.5, -2.5, 2.5, 2.5);
    p.setPen(QPen(FieldLine, 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(frame, 3, 3);
    p.setPen(QPen(QColor(0, 0, 0, 18), 1));
    p.drawLine(frame.topLeft() + QPointF(2, 1), frame.topRight() + QPointF(-2, 1));
}

// A caption right-aligned before its field.
void caption(QPainter& p, QRect field, const QString& text) {
    p.setFont(font(13, QFont::DemiBold));
    p.setPen(Caption);
    const QRect box(field.left() - 140, field.top() - 2, 128, field.height() + 4);
    p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
}

// A button face; primary faces are filled, the others outlined.
void buttonFace(QPainter& p, QRect button, const QString& text, bool primary) {
    const QRectF r = QRectF(button).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    if (primary) {
        fill.setColorAt(0, QColor(0x3f, 0x7c, 0xc0));
        fill.setColorAt(1, QColor(0x25, 0x58, 0x92));
        p.setPen(QPen(QColor(0x1c, 0x46, 0x78), 1));
    } else {
        fill.setColorAt(0, QColor(0xff, 0xff, 0xff));
        fill.setColorAt(1, QColor(0xe1, 0xe8, 0xf0));
        p.setPen(QPen(QColor(0x8a, 0xa0, 0xb8), 1));
    }
    p.setBrush(fill);
    p.drawRoundedRect(r, 4, 4);
    p.setFont(font(12, QFont::DemiBold));
    p.setPen(primary ? Qt::white : Ink);
    p.drawText(button, Qt::AlignCenter, text);
}

// A mortarboard: the emblem of the header.
void emblem(QPainter& p, QPointF centre) {
    p.save();
    p.translate(centre);
    QRadialGradient glow(QPointF(0, 0), 40);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), 40, 40);

    QPainterPath cap;
    cap.moveTo(-17, 2);
    cap.lineTo(-17, 13);
    cap.cubicTo(-10, 20, 10, 20, 17, 13);
    cap.lineTo(17, 2);
    cap.closeSubpath();
    p.setBrush(QColor(0xdc, 0xe6, 0xf2));
    p.drawPath(cap);

    QPainterPath board;
    board.moveTo(0, -16);
    board.lineTo(32, -3);
    board.lineTo(0, 10);
    board.lineTo(-32, -3);
    board.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(board);

    p.setPen(QPen(Gold, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -3), QPointF(24, 4));
    p.drawLine(QPointF(24, 4), QPointF(24, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawEllipse(QPointF(24, 21), 3, 4);
    p.drawEllipse(QPointF(0, -3), 2.5, 2.5);
    p.restore();
}

void body(QPainter& p, QRect area) {
    QLinearGradient g(area.topLeft(), area.bottomLeft());
    g.setColorAt(0, QColor(0xf7, 0xf9, 0xfc));
    g.setColorAt(1, QColor(0xe2, 0xe9, 0xf2));
    p.fillRect(area, g);
}

} // namespace

QImage paintUpperPicture() {
    QImage image(L::Image1.size(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    body(p, image.rect());

    // Header band with the program's name.
    const QRect header(0, 0, image.width(), 96);
    QLinearGradient band(header.topLeft(), header.topRight());
    band.setColorAt(0, Navy);
    band.setColorAt(1, NavyLight);
    p.fillRect(header, band);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 14));
    p.drawEllipse(QPointF(455, -30), 120, 120);
    p.drawEllipse(QPointF(400, 110), 70, 70);
    p.fillRect(QRect(0, header.bottom() + 1, image.width(), 3), Gold);

    emblem(p, QPointF(58, 52));

    p.setPen(Qt::white);
    p.setFont(font(30, QFont::Bold));
    p.drawText(QRect(106, 16, 300, 38), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KEL 14"));
    p.setPen(QColor(0xcf, 0xdf, 0xf1));
    p.setFont(font(15, QFont::Normal));
    p.drawText(QRect(108, 54, 340, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Учет успеваемости"));

    // The message area stays plain so that the label's black text reads well on it.
    p.setPen(QPen(QColor(0xc9, 0xd5, 0xe3), 1));
    p.drawLine(QPointF(24, 192.5), QPointF(473, 192.5));

    caption(p, L::LoginEdit, QStringLiteral("Пользователь"));
    caption(p, L::PasswordEdit, QStringLiteral("Пароль"));
    fieldFrame(p, L::LoginEdit);
    fieldFrame(p, L::PasswordEdit);

    buttonFace(p, L::SpeedButton2, QStringLiteral("Войти"), true);
    buttonFace(p, L::SpeedButton1, QStringLiteral("Отмена"), false);
    buttonFace(p, L::SpeedButton3, QStringLiteral("Дополнительно  ▾"), false);
    return image;
}

QImage paintPanelPicture() {
    QImage image(L::Image2.size(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0, QColor(0xe9, 0xef, 0xf6));
    g.setColorAt(1, QColor(0xd8, 0xe2, 0xee));
    p.fillRect(image.rect(), g);
    p.fillRect(QRect(0, 0, image.width(), 2), NavyLight);

    p.setPen(Navy);
    p.setFont(font(14, QFont::Bold));
    p.drawText(QRect(20, 6, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Смена пароля"));

    // The panel's fields, moved into the picture's own coordinates.
    const QPoint origin = L::Image2.topLeft();
    const QRect edit1 = L::Edit1.translated(-origin);
    const QRect edit2 = L::Edit2.translated(-origin);
    caption(p, edit1, QStringLiteral("Новый пароль"));
    caption(p, edit2, QStringLiteral("Подтверждение"));
    fieldFrame(p, edit1);
    fieldFrame(p, edit2);

    p.setPen(QColor(0x4d, 0x60, 0x76));
    p.setFont(font(11));
    p.drawText(QRect(350, 28, 135, 64), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               QStringLiteral("Латинские буквы, цифры и знак «_»"));
    p.setPen(QColor(0x5d, 0x6f, 0x84));
    p.drawText(QRect(20, 100, 460, 30), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
               QStringLiteral("Введите новый пароль дважды и нажмите «Войти»."));
    return image;
}

QImage paintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 256-pixel square, so every size shows the same picture.
    p.scale(size / 256.0, size / 256.0);

    const QRectF tile(12, 12, 232, 232);
    QLinearGradient band(tile.topLeft(), tile.bottomRight());
    band.setColorAt(0, NavyLight);
    band.setColorAt(1, Navy);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(tile, 44, 44);
    p.fillRect(QRectF(52, 200, 152, 10), Gold);

    p.translate(128, 118);
    p.scale(3.2, 3.2);
    emblem(p, QPointF(0, 0));
    return image;
}

} // namespace artwork
