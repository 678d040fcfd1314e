// Reading typed dates.
#include "controls/TypedDate.h"

namespace {

QString message(const QString& typed) {
    return QStringLiteral("Неверная дата \"%1\". Введите дату полностью в виде ДД.ММ.ГГГГ, "
                          "например 05.04.2024. Прежнее значение сохранено.")
        .arg(typed);
}

} // namespace

InvalidDateError::InvalidDateError(const QString& typed)
    : std::runtime_error(message(typed).toStdString()) {}

namespace typeddate {

QDate parse(const QString& text) {
    const QDate date = QDate::fromString(text.trimmed(), QLatin1String(Format));
    if (!date.isValid())
        throw InvalidDateError(text);
    return date;
}

} // namespace typeddate
