// The notice window TForm4 and its shared reference.
#include "journal/Unit4.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

QPointer<TForm4> Form4;

TForm4::TForm4(QWidget* parent)
    : QWidget(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , Label1(new QLabel(QStringLiteral("Идёт загрузка, подождите..."), this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Загрузка"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A notice is looked at, not typed into: the keyboard stays where the user left it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(328, 56);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setAutoFillBackground(false); // the window shows through
    QFont font = Label1->font();
    font.setBold(true);
    font.setPixelSize(19);
    Label1->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label1);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

TForm4::~TForm4() = default;

void TForm4::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm4::FormClose() {
    // WA_DeleteOnClose destroys the window rather than hiding it.
    if (Form4 == this)
        Form4.clear();
}

namespace journal {

void showPainted(TForm4* notice) {
    notice->show();
    // The window system maps the window later; wait (briefly) until it can be seen, then
    // paint it now, because the statement that follows holds the event loop.
    QDeadlineTimer deadline(1000);
    while (notice->windowHandle() != nullptr && !notice->windowHandle()->isExposed() &&
           !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(5);
    }
    notice->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void showLoadingNotice() {
    if (Form4)
        return;
    Form4 = new TForm4();
    showPainted(Form4);
}

void destroyLoadingNotice() {
    delete Form4.data();
}

data::LoadingNoticeHook loadingNoticeHook() {
    return {[] { return !Form4.isNull(); }, showLoadingNotice, destroyLoadingNotice};
}

} // namespace journal
