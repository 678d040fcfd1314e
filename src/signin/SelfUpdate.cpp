#include "signin/SelfUpdate.h"

#include "signin/Unit10.h"

#include <QCoreApplication>
#include <QLabel>

namespace signin {

QString updateScriptPath() {
#ifdef Q_OS_WIN
    const QString extension = QStringLiteral(".bat");
#else
    const QString extension = QStringLiteral(".sh");
#endif
    return QCoreApplication::applicationDirPath() + QStringLiteral("/KEL 14") + extension;
}

void StartSelfUpdate(TForm8& form) {
    form.Label1->setText(QStringLiteral("Идёт обновление программы, ПОДОЖДИТЕ..."));
    form.Label1->adjustSize();
    // The notice must be painted before anything long starts.
    QCoreApplication::processEvents();
}

} // namespace signin
