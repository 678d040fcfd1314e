#include "platform/Cp1251Validator.h"

#include "platform/Cp1251.h"

#include <QLineEdit>

namespace platform {

Cp1251Validator::Cp1251Validator(QObject* parent)
    : QValidator(parent) {}

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
    return fitsCp1251(input) ? Acceptable : Invalid;
}

void restrictToCp1251(QLineEdit* edit) {
    edit->setValidator(new Cp1251Validator(edit));
}

} // namespace platform
