// The date picker.
#include "controls/DateTimePicker.h"

#include <QLocale>

TDateTimePicker::TDateTimePicker(QWidget* parent)
    : QDateTimeEdit(QDateTime::currentDateTime(), parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
}
