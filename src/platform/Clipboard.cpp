// Private clipboard formats through Qt's clipboard.
#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {

QString registerClipboardFormat(const QString& name) {
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(name);
#else
    return name;
#endif
}

void writeClipboardBlock(const QString& format, const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData(format, bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

std::optional<QByteArray> readClipboardBlock(const QString& format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasFormat(format))
        return std::nullopt;
    return data->data(format);
}

} // namespace platform
