// MD5 of an 8-bit text, the form in which passwords travel to the database.
#pragma once

#include <QString>

// The MD5 digest of the text's code page 1251 bytes as 32 upper-case hexadecimal digits.
QString MD5Hex(const QString& text);
