// The typing date edit.
#include "controls/DateLineEdit.h"

#include "controls/TypedDate.h"

#include <QKeyEvent>

namespace controls {

namespace {

const QChar Blank = u'_';

bool isSeparatorKey(const QString& text) {
    return text.size() == 1 && QStringLiteral(".,/- ").contains(text[0]);
}

} // namespace

DateLineEdit::DateLineEdit(QWidget* parent)
    : QLineEdit(parent) {
    setInputMask(QStringLiteral("99.99.9999;_"));
}

void DateLineEdit::setDate(const QDate& date) {
    setText(date.isValid() ? date.toString(QLatin1String(typeddate::Format)) : QString());
}

bool DateLineEdit::isBlank() const {
    return text().remove(u'.').trimmed().isEmpty();
}

QDate DateLineEdit::date() const {
    return typeddate::parse(displayText());
}

void DateLineEdit::keyPressEvent(QKeyEvent* e) {
    const bool command = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!command && isSeparatorKey(e->text())) {
        skipSeparator();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

// The mask would jump over the next empty section; a point only ends the section typed in.
bool DateLineEdit::skipSeparator() {
    QString shown = displayText();
    const int pos = cursorPosition();
    const int separator = shown.indexOf(u'.', pos);
    if (separator < 0)
        return false;
    const int start = shown.lastIndexOf(u'.', pos - 1) + 1;
    const QString typed = shown.mid(start, pos - start);
    if (typed.isEmpty() || typed.contains(Blank))
        return false; // nothing typed in this section yet
    if (typed.size() < separator - start) {
        // One digit of two: it is the section's last digit.
        const QString section = typed.rightJustified(separator - start, u'0');
        shown.replace(start, section.size(), section);
        setText(shown);
    }
    setCursorPosition(separator + 1);
    return true;
}

} // namespace controls
