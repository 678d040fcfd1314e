// The notice shown while the program waits for the database longer than a second.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace platform {

// A small window over the active one: what is waited for, for how long, and, once the wait may
// be cancelled, a button that cancels it. It takes input while the other windows' input waits.
class WaitNotice : public QWidget {
    Q_OBJECT
public:
    explicit WaitNotice(QWidget* parent = nullptr);

    // Shows the notice, or updates it; an empty `cancel` hides the button.
    void showWait(const QString& what, int seconds, std::function<void()> cancel);
    // `object` is the notice, its window or one of its children.
    bool holds(const QObject* object) const;

    QLabel* text() const { return text_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    QLabel* text_;
    QPushButton* cancelButton_;
    std::function<void()> cancel_;
};

// The notice's text: "Ожидание базы данных: загрузка журнала, 3 с".
QString waitNoticeText(const QString& what, int seconds);

} // namespace platform
