// Conversions go through Qt's maintained windows-1251 codec.
#include "platform/Cp1251.h"

#include <QTextCodec>
#include <stdexcept>

namespace platform {
namespace {

QTextCodec& codec() {
    QTextCodec* c = QTextCodec::codecForName("windows-1251");
    if (c == nullptr)
        throw std::runtime_error("The windows-1251 text codec is not available");
    return *c;
}

} // namespace

QByteArray toCp1251(const QString& text) {
    return codec().fromUnicode(text);
}

QString fromCp1251(const QByteArray& bytes) {
    return codec().toUnicode(bytes);
}

bool fitsCp1251(const QString& text) {
    return firstNonCp1251(text).isNull();
}

QChar firstNonCp1251(const QString& text) {
    QTextCodec& c = codec();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Surrogate pairs never fit: take the pair's first half as the culprit.
        if (text[i].isSurrogate() || !c.canEncode(text[i]))
            return text[i];
    }
    return QChar();
}

} // namespace platform
