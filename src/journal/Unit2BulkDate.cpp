// The hand-in date of the picker written to every journal row of the form "Ведомость".
#include "journal/Unit2.h"

#include "controls/DateTimePicker.h"
#include "data/Unit_2_1.h"
#include "journal/Unit4.h"
#include "platform/MessageBoxes.h"
#include "session/JournalSession.h"

#include <QLocale>

namespace {

// The notice stays while the rows are written, and goes however the run ends.
struct NoticeShown {
    NoticeShown() {
        if (!Form4)
            Form4 = new TForm4();
        Form4->Label1->setText(QStringLiteral("Идёт обновление, подождите..."));
        journal::showPainted(Form4);
    }
    ~NoticeShown() { journal::destroyLoadingNotice(); }
    NoticeShown(const NoticeShown&) = delete;
    NoticeShown& operator=(const NoticeShown&) = delete;
};

} // namespace

void TForm2::SpeedButton1Click(QObject*) {
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    if (!journal.active())
        return;
    const QDate day = DateTimePicker1->Date();
    const QString question =
        QStringLiteral("Вы действительно хотите применить дату \"") +
        QLocale().toString(day, QLocale::ShortFormat) +
        QStringLiteral("\" ко всем студентам, у которых форма ведомости - \"Ведомость\"?");
    if (platform::messageBox(this, question, QStringLiteral("Уведомление"), QMessageBox::Question,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;

    NoticeShown notice;
    session_->setHandInDate(day);
}
