// Input validator for every text edit: refuses what code page 1251 cannot hold.
#pragma once

#include <QValidator>

class QLineEdit;

namespace platform {

// Typing or pasting a character outside code page 1251 is refused, so nothing the user
// types is silently replaced by '?' on its way to the database.
class Cp1251Validator : public QValidator {
    Q_OBJECT
public:
    explicit Cp1251Validator(QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
};

// Installs a Cp1251Validator owned by the edit.
void restrictToCp1251(QLineEdit* edit);

} // namespace platform
