// Helpers the procedures share: reading arguments and building one-row answers.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace embedded {

// An integer argument given as a number or as its text; nothing for NULL. Throws the
// server's conversion error for anything else.
std::optional<qint32> integerArgument(const QVariant& value);

// A text argument; a null text for NULL.
QString textArgument(const QVariant& value);

} // namespace embedded
