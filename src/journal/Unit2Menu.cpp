// The journal grid's context menu and the mark sheet's commands in it.
#include "journal/Unit2.h"

#include "controls/DBLookupComboBox.h"
#include "controls/DBLookupListBox.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "journal/JournalGridMenu.h"
#include "platform/MessageBoxes.h"
#include "reports/GroupStatisticsDialog.h"
#include "reports/MarkSheet.h"
#include "reports/MarkSheetOutput.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

namespace {

// The filter item that shows every row.
constexpr int AllRowsFilter = 2;

bool journalLoaded(const TForm2& w) {
    const db::DataSet* journal = w.DBGridEh2->dataSet();
    return w.DBGridEh2->DataSource() != nullptr && journal != nullptr && journal->active();
}

reports::MarkSheet markSheet(TForm2& w) {
    // What the cell's editor holds is what the user sees in the grid.
    try {
        w.DBGridEh2->commitPendingEdit();
    } catch (const std::exception&) {
        // The value stays in the editor; the sheet shows the row as stored.
    }
    reports::MarkSheetHeading heading;
    heading.info = w.InfoPanel->text().trimmed();
    heading.group = w.DBLookupComboBox3->Text();
    heading.semester = w.DBLookupComboBox4->Text();
    heading.discipline = w.DBLookupComboBox5->Text();
    heading.formOfControl = w.DBLookupListBox1->Text();
    if (w.ComboBox1->currentIndex() != AllRowsFilter)
        heading.filter = w.ComboBox1->currentText();
    return reports::readMarkSheet(*w.DBGridEh2->dataSet(), heading, QDate::currentDate());
}

void showGroupStatistics(TForm2& w) {
    if (DM_TAZ_2 == nullptr)
        return;
    const auto group = DM_TAZ_2->selection().group;
    const auto semester = DM_TAZ_2->selection().semester;
    if (!group || !semester)
        return;
    reports::GroupStatistics statistics;
    try {
        statistics = reports::readGroupStatistics(DM_TAZ_2->ADO_TAZ, *group, *semester);
    } catch (const db::DatabaseError& e) {
        platform::messageBox(
            &w, QStringLiteral("Не удалось прочитать статистику группы.\n") + e.message(),
            QStringLiteral("Ошибка"), QMessageBox::Critical);
        return;
    }
    statistics.group = w.DBLookupComboBox3->Text();
    statistics.semester = w.DBLookupComboBox4->Text();
    reports::GroupStatisticsDialog dialog(std::move(statistics), &w);
    dialog.exec();
}

} // namespace

void TForm2::buildGridMenu() {
    GridMenu = new journal::JournalGridMenu(DBGridEh2, [this] { return journalLoaded(*this); });
    GridMenu->addCommand(QStringLiteral("Предварительный просмотр ведомости..."),
                         [this] { reports::previewMarkSheet(this, markSheet(*this)); });
    GridMenu->addCommand(
        QStringLiteral("Печать ведомости..."),
        [this] { reports::printMarkSheet(this, markSheet(*this)); },
        QKeySequence(Qt::CTRL | Qt::Key_P));
    GridMenu->addSeparator();
    const std::pair<const char*, reports::FileKind> files[] = {
        {"Сохранить ведомость в PDF...", reports::FileKind::Pdf},
        {"Сохранить ведомость в Excel (XLSX)...", reports::FileKind::Xlsx},
        {"Сохранить ведомость в CSV...", reports::FileKind::Csv},
    };
    for (const auto& [text, kind] : files)
        GridMenu->addCommand(QString::fromUtf8(text), [this, kind = kind] {
            reports::saveMarkSheet(this, markSheet(*this), kind);
        });
    GridMenu->addSeparator();
    GridMenu->addCommand(QStringLiteral("Статистика группы..."),
                         [this] { showGroupStatistics(*this); });

    // Their keys belong to the grid's own key handler; the menu only names them.
    GridMenu->addSeparator();
    QAction* paste = GridMenu->addCommand(QStringLiteral("Вставить столбец из буфера\tAlt+V"),
                                          [this] { pasteColumnFromClipboard(); });
    GridMenu->setRefresh(paste, [this](QAction* a) { a->setEnabled(canPasteColumn()); });
    QAction* undo = GridMenu->addCommand(QString(), [this] { undoLastChange(); });
    const auto undoText = [this](QAction* a) {
        const int steps = undoSteps();
        a->setText(QStringLiteral("Отменить моё последнее изменение") +
                   (steps > 0 ? QStringLiteral(" (шагов: %1)").arg(steps) : QString()) +
                   QStringLiteral("\tAlt+Backspace"));
        a->setEnabled(canUndo());
    };
    undoText(undo);
    GridMenu->setRefresh(undo, undoText);
}
