// The two windows that the journal opens: student codes, and the restore of deleted rows.
#include "journal/Unit2.h"

#include "data/Unit_2_1.h"
#include "journal/Unit6.h"
#include "journal/Unit7.h"
#include "platform/MessageBoxes.h"
#include "session/JournalSession.h"

#include <memory>

void TForm2::SpeedButton2Click(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    dm.StudentsChanged = false;
    {
        TForm7 codes(this);
        codes.exec();
    }
    if (!dm.StudentsChanged)
        return;
    session_->forgetStudents();
    dm.ADOQ_s_fio.close();
    dm.ADOQ_s_fio.open();
    dm.ADO_SP_Sort.refresh();
}

void TForm2::RestoreDeletedMarks() {
    // Both lists close however the flow ends, and the window goes before them.
    struct Closed {
        session::JournalSession& session;
        ~Closed() { session.closeDeletedMarks(); }
    } closed{*session_};
    auto window = std::make_unique<TForm5>(this);

    if (session_->openDeletedMarks() == 0) {
        platform::messageBox(nullptr, QStringLiteral("Нет записей для восстановленя"),
                             QStringLiteral("Уведомление"), QMessageBox::Information);
        return;
    }
    window->exec();
    session_->saveRestoreTicks();
}
