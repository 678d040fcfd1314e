// The undo command: what is being typed is stored first, then the session takes the step back.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "platform/MessageBoxes.h"
#include "session/JournalSession.h"

namespace {

const QString undoCaption = QStringLiteral("Отмена изменения");

} // namespace

bool TForm2::canUndo() const {
    return session_ != nullptr && session_->history().canUndo() && DM_TAZ_2 != nullptr &&
           DM_TAZ_2->ADO_SP_Sort.active();
}

int TForm2::undoSteps() const {
    return session_ != nullptr ? session_->history().steps() : 0;
}

void TForm2::undoLastChange() {
    if (DM_TAZ_2 == nullptr || !DM_TAZ_2->ADO_SP_Sort.active())
        return;
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    // What is being typed is stored first: it is then the last change.
    DBGridEh2->commitPendingEdit();
    PostPendingJournalEdit();
    if (journal.state() != db::DataSetState::Browse)
        return;
    if (!session_->history().canUndo()) {
        platform::messageBox(this, QStringLiteral("Нет ваших изменений, которые можно отменить."),
                             undoCaption, QMessageBox::Information);
        return;
    }
    const QString obstacle = session_->undoLastStep();
    if (!obstacle.isEmpty())
        platform::messageBox(this, obstacle, undoCaption, QMessageBox::Warning);
}
