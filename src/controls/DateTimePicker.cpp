// The date picker.
#include "controls/DateTimePicker.h"

#include "controls/HandlerErrors.h"
#include "controls/TypedDate.h"

#include <QKeyEvent>
#include <QLineEdit>

TDateTimePicker::TDateTimePicker(QWidget* parent)
    : QDateTimeEdit(QDateTime::currentDateTime(), parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLatin1String(typeddate::Format));
}

void TDateTimePicker::keyPressEvent(QKeyEvent* e) {
    const QString text = e->text();
    const bool separator = text.size() == 1 && QStringLiteral(".,/- ").contains(text[0]);
    if (separator && justAdvanced_) {
        // The section before was completed by its last digit and left already.
        justAdvanced_ = false;
        e->accept();
        return;
    }
    const int section = currentSectionIndex();
    QDateTimeEdit::keyPressEvent(e);
    justAdvanced_ = text.size() == 1 && text[0].isDigit() && currentSectionIndex() != section;
}

void TDateTimePicker::focusInEvent(QFocusEvent* e) {
    QDateTimeEdit::focusInEvent(e);
    dateAtFocusIn_ = date();
}

void TDateTimePicker::focusOutEvent(QFocusEvent* e) {
    justAdvanced_ = false;
    // A date left half-typed or impossible is refused, not silently replaced by another.
    const QString typed = lineEdit()->displayText();
    QDateTimeEdit::focusOutEvent(e);
    controls::runHandler(this, [&] {
        try {
            typeddate::parse(typed);
        } catch (const InvalidDateError&) {
            if (dateAtFocusIn_.isValid())
                setDate(dateAtFocusIn_);
            throw;
        }
    });
}
