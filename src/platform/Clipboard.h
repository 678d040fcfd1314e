// The system clipboard for byte blocks in a private, named format.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// The clipboard's name for a private format; on Windows it is registered under the same
// name, so other programs see the format by its name.
QString registerClipboardFormat(const QString& name);
// Replaces everything on the clipboard with one block in the format.
void writeClipboardBlock(const QString& format, const QByteArray& bytes);
// The block in the format, or nothing when the clipboard holds none.
std::optional<QByteArray> readClipboardBlock(const QString& format);

} // namespace platform
