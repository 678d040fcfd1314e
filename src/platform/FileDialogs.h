// The one way the program asks for a file name to save to, so tests can answer by script.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// What a save dialog would have shown, as handed to a scripted answer.
struct SaveFileRequest {
    QWidget* owner = nullptr;
    QString caption;
    QString proposedPath;
    QString filter;
};

// Returns the chosen path, or an empty text when the user cancelled.
using SaveFileScript = std::function<QString(const SaveFileRequest&)>;

// Shows a modal save dialog (it asks before replacing an existing file).
QString saveFileName(QWidget* owner, const QString& caption, const QString& proposedPath,
                     const QString& filter);

// Restores the previous script when it goes out of scope.
class ScopedSaveFileScript {
public:
    explicit ScopedSaveFileScript(SaveFileScript script);
    ~ScopedSaveFileScript();
    ScopedSaveFileScript(const ScopedSaveFileScript&) = delete;
    ScopedSaveFileScript& operator=(const ScopedSaveFileScript&) = delete;

private:
    SaveFileScript previous_;
};

} // namespace platform
