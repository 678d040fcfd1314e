// The date picker: a date (and time) edit with a drop-down calendar.
#pragma once

#include <QDateTimeEdit>

// Shows the date in the system's short format; the time it was set to is kept.
class TDateTimePicker : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);

    QDateTime DateTime() const { return dateTime(); }
    void setDateTimeValue(const QDateTime& value) { setDateTime(value); }
    QDate Date() const { return date(); }
};
