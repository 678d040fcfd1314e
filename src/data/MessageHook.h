// How the data module shows its messages, whose boxes belong to a higher layer.
#pragma once

#include <QString>

#include <functional>

namespace data {

enum class MessageKind { Warning, Information };

// Installed by the layer that owns the boxes: shows one box with no owner window and a single
// OK button, and returns when it is closed.
using MessageHook =
    std::function<void(const QString& text, const QString& caption, MessageKind kind)>;

} // namespace data
