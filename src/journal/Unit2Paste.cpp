// A column of values from a spreadsheet written into the journal's current column, from the
// current row down, each row posted as a typed one is.
#include "journal/Unit2.h"

#include "controls/DBGridColumn.h"
#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "journal/ColumnPaste.h"
#include "platform/MessageBoxes.h"
#include "session/JournalSession.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

const QString warningCaption = QStringLiteral("Warning!");

QString valuesText(int n) {
    return journal::ColumnPaste::counted(n, QStringLiteral("значение"), QStringLiteral("значения"),
                                         QStringLiteral("значений"));
}

} // namespace

bool TForm2::canPasteColumn() const {
    const TColumnEh* column = DBGridEh2->currentColumn();
    return DM_TAZ_2 != nullptr && DM_TAZ_2->ADO_SP_Sort.active() &&
           DBGridEh2->dataSet() != nullptr && column != nullptr && !column->cannotEdit() &&
           !QGuiApplication::clipboard()->text().trimmed().isEmpty();
}

void TForm2::pasteColumnFromClipboard() {
    if (DM_TAZ_2 == nullptr || !DM_TAZ_2->ADO_SP_Sort.active() || DBGridEh2->dataSet() == nullptr)
        return;
    db::DataSet& journal = DM_TAZ_2->ADO_SP_Sort;
    // What is being typed is stored first, as leaving the cell would.
    DBGridEh2->commitPendingEdit();
    PostPendingJournalEdit();
    if (journal.state() != db::DataSetState::Browse)
        return;

    TColumnEh* column = DBGridEh2->currentColumn();
    if (column == nullptr || column->cannotEdit()) {
        const QString title = column != nullptr ? column->TitleCaption : QString();
        platform::messageBox(this,
                             QStringLiteral("Столбец \"%1\" нельзя изменять: вставка в него "
                                            "невозможна.")
                                 .arg(title),
                             warningCaption, QMessageBox::Warning);
        return;
    }
    const QStringList lines = journal::ColumnPaste::lines(QGuiApplication::clipboard()->text());
    if (lines.isEmpty()) {
        platform::messageBox(this, QStringLiteral("В буфере обмена нет значений для вставки."),
                             warningCaption, QMessageBox::Warning);
        return;
    }
    const int start = DBGridEh2->currentDataRow();
    if (start < 0)
        return;
    journal::ColumnPaste paste(*column);
    if (!paste.check(lines, journal.visibleRowCount() - start)) {
        platform::messageBox(
            this, QStringLiteral("Ничего не вставлено:\n") + paste.problems().join(u'\n'),
            warningCaption, QMessageBox::Warning);
        return;
    }
    const int count = static_cast<int>(paste.values().size());
    const QString question = QStringLiteral("Вставить ") + valuesText(count) +
                             QStringLiteral(" в столбец \"") + column->TitleCaption +
                             QStringLiteral("\"?");
    if (platform::messageBox(this, question, QStringLiteral("Уведомление"), QMessageBox::Question,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;

    const int col = DBGridEh2->SelectedIndex();
    int written = 0;
    QString refusal;
    {
        session::EditHistory::Group step(session_->history());
        session::PostRefusalsThrown refusals(journal);
        db::ControlsDisabled quiet(journal);
        std::vector<db::Bookmark> rows;
        for (int i = 0; i < count; ++i) {
            journal.setRecNo(start + i + 1);
            rows.push_back(journal.bookmark());
        }
        for (int i = 0; i < count; ++i) {
            journal.gotoBookmark(rows[static_cast<size_t>(i)]);
            try {
                const journal::ColumnPaste::Value& v = paste.values()[static_cast<size_t>(i)];
                DBGridEh2->storeValue(col, v.value, v.useText);
                if (journal.state() != db::DataSetState::Browse)
                    journal.post();
                ++written;
            } catch (const db::DatabaseError& e) {
                refusal = e.message();
            } catch (const db::Abort&) {
                refusal = QStringLiteral("Изменение отменено.");
            }
            if (!refusal.isEmpty()) {
                if (journal.state() != db::DataSetState::Browse)
                    journal.cancel();
                break;
            }
        }
        journal.gotoBookmark(rows.front());
    }
    if (!refusal.isEmpty())
        platform::messageBox(this,
                             refusal + QStringLiteral("\n\nВставка остановлена на строке ") +
                                 QString::number(written + 1) + QStringLiteral(": записано ") +
                                 valuesText(written) + QStringLiteral(" из ") +
                                 QString::number(count) + QStringLiteral("."),
                             warningCaption, QMessageBox::Warning);
}
