#include "journal/DataModuleMessages.h"

#include "platform/MessageBoxes.h"

namespace journal {

data::MessageHook dataModuleMessages() {
    return [](const QString& text, const QString& caption, data::MessageKind kind) {
        platform::messageBox(nullptr, text, caption,
                             kind == data::MessageKind::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Information,
                             QMessageBox::Ok);
    };
}

} // namespace journal
