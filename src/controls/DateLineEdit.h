// A date edit for typing: two digits of day, two of month, four of year, each where typed.
#pragma once

#include <QDate>
#include <QLineEdit>

namespace controls {

// A point (or comma, slash, dash) typed after one digit completes the section with a leading
// zero and moves past the point; typed after a full section it just moves past, so typing
// "05.04.2024" and "05042024" both give 5 April 2024. A pasted "05.04.2024" fills it too.
class DateLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateLineEdit(QWidget* parent = nullptr);

    // A null date leaves the edit blank.
    void setDate(const QDate& date);
    // Nothing typed at all.
    bool isBlank() const;
    // The date typed; throws InvalidDateError when it is partial or does not exist.
    QDate date() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool skipSeparator();
};

} // namespace controls
