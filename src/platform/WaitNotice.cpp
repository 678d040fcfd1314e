#include "platform/WaitNotice.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

namespace platform {

QString waitNoticeText(const QString& what, int seconds) {
    return QStringLiteral("Ожидание базы данных: %1, %2 с").arg(what).arg(seconds);
}

WaitNotice::WaitNotice(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , text_(new QLabel(this))
    , cancelButton_(new QPushButton(QStringLiteral("Прервать"), this)) {
    setWindowTitle(QStringLiteral("Ожидание"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(text_, 1);
    layout->addWidget(cancelButton_);
    cancelButton_->hide();
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        // Cancelled once; the button stays away while the statement winds down.
        cancelButton_->setEnabled(false);
        if (cancel_)
            cancel_();
    });
}

void WaitNotice::showWait(const QString& what, int seconds, std::function<void()> cancel) {
    text_->setText(waitNoticeText(what, seconds));
    const bool offered = static_cast<bool>(cancel);
    if (offered && !cancel_)
        cancelButton_->setEnabled(true);
    cancel_ = std::move(cancel);
    cancelButton_->setVisible(offered);
    if (!isVisible()) {
        adjustSize();
        if (const QWidget* over = parentWidget() ? parentWidget() : QApplication::activeWindow())
            move(over->geometry().center() - rect().center());
        show();
    }
}

bool WaitNotice::holds(const QObject* object) const {
    for (const QObject* o = object; o != nullptr; o = o->parent()) {
        if (o == this)
            return true;
    }
    const QWindow* window = windowHandle();
    return window != nullptr && object == window;
}

} // namespace platform
