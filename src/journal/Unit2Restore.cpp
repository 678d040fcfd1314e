// The two windows that the journal opens: student codes, and the restore of deleted rows.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "data/Unit_2_1.h"
#include "journal/Unit6.h"
#include "journal/Unit7.h"
#include "platform/MessageBoxes.h"

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
    studentListKey_.clear();
    dm.ADOQ_s_fio.close();
    dm.ADOQ_s_fio.open();
    dm.ADO_SP_Sort.refresh();
}

void TForm2::RestoreDeletedMarks() {
    TDM_TAZ_2& dm = *DM_TAZ_2;
    // Both lists close however the flow ends, and the window goes before them.
    struct Closed {
        TDM_TAZ_2& dm;
        ~Closed() {
            dm.ADOQ_Buffer.close();
            dm.ADOQ_del_discipline.close();
        }
    } closed{dm};
    auto window = std::make_unique<TForm5>(this);

    dm.ADOQ_del_discipline.open();
    const auto text = [](const QVariant& key) { return key.toString(); };
    dm.ADOQ_Buffer.close();
    dm.ADOQ_Buffer.setSql(
        QStringLiteral("Select * from  DEL_mark_mag where  id_group=") +
        text(DBLookupComboBox3->KeyValue()) + QStringLiteral(" and id_semester=") +
        text(DBLookupComboBox4->KeyValue()) + QStringLiteral(" and id_examination=") +
        text(DBLookupListBox1->KeyValue()) + QStringLiteral(" and id_discipline=") +
        text(DBLookupComboBox5->KeyValue()));
    dm.ADOQ_Buffer.open();

    if (dm.ADOQ_Buffer.recordCount() == 0) {
        platform::messageBox(nullptr, QStringLiteral("Нет записей для восстановленя"),
                             QStringLiteral("Уведомление"), QMessageBox::Information);
        return;
    }
    window->exec();
    // A tick left unsaved by the close box is still written.
    if (dm.ADOQ_Buffer.active() && dm.ADOQ_Buffer.modified()) {
        dm.ADOQ_Buffer.edit();
        dm.ADOQ_Buffer.post();
    }
}
