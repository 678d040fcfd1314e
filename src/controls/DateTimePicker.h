// The date picker: a date (and time) edit with a drop-down calendar.
#pragma once

#include <QDateTimeEdit>

// Shows the date as dd.MM.yyyy; the time it was set to is kept. Typing fills the sections
// in turn: a point typed after a section that was just completed is not taken as a jump to
// the section after the next.
class TDateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);

    QDateTime DateTime() const { return dateTime(); }
    void setDateTimeValue(const QDateTime& value) { setDateTime(value); }
    QDate Date() const { return date(); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    bool justAdvanced_ = false;
    QDate dateAtFocusIn_;
};
