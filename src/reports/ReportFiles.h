// Saving a report: a save dialog that remembers its folder, and a write that replaces the
// chosen file only once the whole new file is on disk.
#pragma once

#include <QString>

#include <functional>

class QIODevice;
class QWidget;

namespace reports {

enum class FileKind { Pdf, Xlsx, Csv };

// Writes the file's contents to the device; false, with a reason, when it could not.
using ContentWriter = std::function<bool(QIODevice& out, QString& error)>;

// Writes through a temporary file in the same folder renamed over the target, so a failed
// write leaves no half-written file and an existing file as it was. Returns the user's
// error text (in Russian), empty on success.
QString writeFileAtomically(const QString& path, const ContentWriter& write);

// Asks where to save (the folder of the last save, the proposed base name and the kind's
// suffix), writes, and reports a failure in a message box. Returns the path written, or
// an empty text when the user cancelled or the write failed.
QString saveReport(QWidget* owner, FileKind kind, const QString& baseName,
                   const ContentWriter& write);

} // namespace reports
