// Code page 1251: the 8-bit text of settings files, digests, clipboard blocks and scripts.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Bytes in code page 1251 for a text; characters the code page lacks become '?'.
QByteArray toCp1251(const QString& text);
// The text that code page 1251 bytes stand for.
QString fromCp1251(const QByteArray& bytes);
// True when every character of the text has a code page 1251 byte.
bool fitsCp1251(const QString& text);
// The first character of the text that code page 1251 cannot hold, or a null QChar.
QChar firstNonCp1251(const QString& text);

} // namespace platform
