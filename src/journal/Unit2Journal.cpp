// Loading the journal of the chosen selection through the server's procedures, and its filter.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/DatabaseWait.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "session/JournalSession.h"

#include <QComboBox>
#include <QToolButton>

namespace {

QString filterCondition(int item) {
    switch (item) {
    case 0:
        return QStringLiteral("(id_estimation <> 25)");
    case 1:
        return QStringLiteral("(id_estimation in(8, 9, 10, 11, 16))");
    default:
        return QStringLiteral("1=1");
    }
}

// A load that fails half-way must not leave the loading notice on the screen.
class NoticeCleanup {
public:
    explicit NoticeCleanup(const data::LoadingNoticeHook& hook)
        : hook_(hook) {}
    ~NoticeCleanup() {
        if (!done_ && hook_.exists && hook_.destroy && hook_.exists())
            hook_.destroy();
    }
    NoticeCleanup(const NoticeCleanup&) = delete;
    NoticeCleanup& operator=(const NoticeCleanup&) = delete;
    void dismiss() { done_ = true; }

private:
    const data::LoadingNoticeHook& hook_;
    bool done_ = false;
};

} // namespace

void TForm2::ComboBox1Change(QObject*) {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    session_->readOtherMarks();

    NoticeCleanup notice(dm.LoadingNotice);
    {
        // The grid keeps repainting even when a step below fails.
        db::ControlsDisabled quiet(dm.ADO_SP_Sort);
        session_->prepareJournal(DisciplineChosen);
        DBGridEh2->setDataSource(nullptr);
        {
            // The load may be cancelled from the wait notice.
            db::WaitPurpose load(dm.ADO_TAZ, QStringLiteral("загрузка журнала"), true);
            session_->openJournal(filterCondition(ComboBox1->currentIndex()));
        }
        DBGridEh2->setDataSource(&dm.DS_SP_Sort);
        F2_Kv_DM_TAZ_2->setActive(true);
    }
    notice.dismiss();
    SpeedButton2->setEnabled(true);
}
