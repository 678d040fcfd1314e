// Loading the journal of the chosen selection through the server's procedures, and its filter.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"

#include <QComboBox>
#include <QToolButton>

namespace {

QString keyText(const QVariant& v) {
    return QString::number(v.toLongLong());
}

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
    const QString group = keyText(DBLookupComboBox3->KeyValue());
    const QString semester = keyText(DBLookupComboBox4->KeyValue());
    const QString discipline = keyText(DBLookupComboBox5->KeyValue());
    const QString form = keyText(DBLookupListBox1->KeyValue());

    dm.ADOQ_EstimationOther.close();
    const db::Field* speciality = dm.ADOQ_g_s.findField(QStringLiteral("id_speciality"));
    dm.ADOQ_EstimationOther.parameters().find(QStringLiteral("id_speciality"))->value =
        speciality != nullptr && !dm.ADOQ_g_s.isEmpty() ? speciality->value() : QVariant();
    dm.ADOQ_EstimationOther.open();

    NoticeCleanup notice(dm.LoadingNotice);
    {
        // The grid keeps repainting even when a step below fails.
        db::ControlsDisabled quiet(dm.ADO_SP_Sort);
        dm.ADOQ_Exec.setSql(QStringLiteral("EXEC InsertInto_SORT_MARK_MAG ") + group +
                            QStringLiteral(",") + semester + QStringLiteral(",") + discipline +
                            QStringLiteral(",") + form + QStringLiteral(",") +
                            QString::number(DisciplineChosen));
        dm.ADOQ_Exec.execSql();

        DBGridEh2->setDataSource(nullptr);
        dm.ADO_SP_Sort.close();

        db::Parameters& p = dm.ADO_SP_Sort.parameters();
        p.find(QStringLiteral("@group"))->value = group;
        p.find(QStringLiteral("@semester"))->value = semester;
        p.find(QStringLiteral("@discipline"))->value = discipline;
        p.find(QStringLiteral("@examination"))->value = form;
        p.find(QStringLiteral("@id_teacher"))->value = 1;
        db::Parameter* condition = p.find(QStringLiteral("@DoNotShow"));
        condition->value = QStringLiteral("1=1");
        condition->value = filterCondition(ComboBox1->currentIndex());

        {
            db::WaitPurpose load(dm.ADO_TAZ, QStringLiteral("загрузка журнала"), true);
            dm.ADO_SP_Sort.open();
        }
        DBGridEh2->setDataSource(&dm.DS_SP_Sort);
        F2_Kv_DM_TAZ_2->setActive(true);
    }
    notice.dismiss();
    SpeedButton2->setEnabled(true);
}
