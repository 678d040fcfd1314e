#include "signin/md5.h"

#include "platform/Cp1251.h"

#include <QCryptographicHash>

QString MD5Hex(const QString& text) {
    const QByteArray digest =
        QCryptographicHash::hash(platform::toCp1251(text), QCryptographicHash::Md5);
    return QString::fromLatin1(digest.toHex()).toUpper();
}
