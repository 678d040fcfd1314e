#include "platform/FileDialogs.h"

#include <QFileDialog>

namespace platform {
namespace {

SaveFileScript& script() {
    static SaveFileScript s;
    return s;
}

} // namespace

QString saveFileName(QWidget* owner, const QString& caption, const QString& proposedPath,
                     const QString& filter) {
    if (script())
        return script()(SaveFileRequest{owner, caption, proposedPath, filter});
    return QFileDialog::getSaveFileName(owner, caption, proposedPath, filter);
}

ScopedSaveFileScript::ScopedSaveFileScript(SaveFileScript s)
    : previous_(std::move(script())) {
    script() = std::move(s);
}

ScopedSaveFileScript::~ScopedSaveFileScript() {
    script() = std::move(previous_);
}

} // namespace platform
