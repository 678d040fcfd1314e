// The warning window TForm1: layout, beep and centred buttons.
#include "journal/Unit3.h"

#include "platform/MessageBoxes.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int Panel1Height = 54;
constexpr int Panel2Height = 39;

// A yellow warning triangle with an exclamation mark, on a transparent ground.
QPixmap warningPicture() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30.5, 29);
    triangle.lineTo(1.5, 29);
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(255, 221, 0));
    painter.drawPath(triangle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.2, 1.2);
    painter.drawEllipse(QRectF(14.3, 23, 3.4, 3.4));
    return pixmap;
}

QLabel* courierLabel(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    label->setFont(font);
    return label;
}

QPushButton* button(const QString& text, QWidget* parent, const char* name, int left) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, 0, 75, 25);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Предупреждение..."));
    setMinimumSize(550, 250);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Warning_Image = new QLabel(Panel1);
    Warning_Image->setObjectName(QStringLiteral("Warning_Image"));
    Warning_Image->setGeometry(8, 10, 32, 32);
    Warning_Image->setPixmap(warningPicture());
    Count_Lbl = courierLabel(QString(), Panel1, "Count_Lbl");
    Count_Lbl->move(48, 7);
    Qst_Lbl = courierLabel(QStringLiteral("Вы действительно хотите удалить эти записи?"), Panel1,
                           "Qst_Lbl");
    Qst_Lbl->move(48, 29);

    StringGrid = new TStringGrid(this);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Btns_Pnl = new QWidget(Panel2);
    Btns_Pnl->setObjectName(QStringLiteral("Btns_Pnl"));
    Btns_Pnl->setGeometry(0, (Panel2Height - 25) / 2, 155, 25);
    BitBtn1 = button(QStringLiteral("Да"), Btns_Pnl, "BitBtn1", 0);
    BitBtn2 = button(QStringLiteral("Нет"), Btns_Pnl, "BitBtn2", 80);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(mrCancel); });

    resize(550, 250);
    layOut();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    platform::beep();
}

void TForm1::reject() {
    done(mrCancel);
}

void TForm1::layOut() {
    const int w = width();
    const int h = height();
    Panel1->setGeometry(0, 0, w, Panel1Height);
    Panel2->setGeometry(0, h - Panel2Height, w, Panel2Height);
    StringGrid->setGeometry(0, Panel1Height, w, std::max(h - Panel1Height - Panel2Height, 0));
    Count_Lbl->adjustSize();
    Qst_Lbl->adjustSize();
}

bool TForm1::FormCanResize() {
    // Centred for the strip's present width, so a drag never leaves the buttons aside.
    Btns_Pnl->move(Panel2->width() / 2 - Btns_Pnl->width() / 2, Btns_Pnl->y());
    return true;
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOut();
    FormCanResize();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    FormCanResize();
}

void TForm1::setWidthOnScreen(int wanted, QScreen* screen) {
    screen_ = screen;
    const int room = screen != nullptr ? screen->availableGeometry().width() : wanted;
    resize(qMax(minimumWidth(), qMin(wanted, room)), height());
}

void TForm1::keepOnScreen() {
    const QScreen* screen = screen_ != nullptr ? screen_.get() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    // The frame's edges count: a window as wide as the screen loses them to the border.
    const QSize frame = frameGeometry().size() - size();
    if (frameGeometry().width() > available.width())
        resize(qMax(minimumWidth(), available.width() - frame.width()), height());
    QRect placed = frameGeometry();
    placed.moveCenter(available.center());
    placed.moveLeft(
        qMax(available.left(), qMin(placed.left(), available.right() - placed.width() + 1)));
    placed.moveTop(
        qMax(available.top(), qMin(placed.top(), available.bottom() - placed.height() + 1)));
    move(placed.topLeft());
}

void TForm1::widenColumnsToTitles() {
    // A title is read whole: "Допуск по оплате" is wider than its 60-pixel journal column.
    const QHeaderView* titles = StringGrid->horizontalHeader();
    const QFontMetrics metrics(titles->font());
    const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, titles) + 6;
    for (int c = 1; c < StringGrid->ColCount(); ++c) {
        const QString title = StringGrid->Cells(c, 0);
        if (!title.isEmpty())
            StringGrid->setColWidths(
                c, qMax(StringGrid->ColWidths(c), metrics.horizontalAdvance(title) + margins));
    }
}

void TForm1::showEvent(QShowEvent* event) {
    widenColumnsToTitles();
    keepOnScreen();
    QDialog::showEvent(event);
    FormCanResize();
}
