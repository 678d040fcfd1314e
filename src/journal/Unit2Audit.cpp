// Deleting journal rows only after the warning window says yes, and the audit log's entry
// points, which the session's records stand behind.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "journal/Unit3.h"
#include "platform/IPWatch.h"
#include "session/JournalSession.h"

#include <memory>

void TForm2::startSession() {
    if (DM_TAZ_2 == nullptr)
        return;
    // Login and address are read for each record; the session calls no window code.
    const QString* login = &UserLogin;
    platform::IPWatch* watch = IdIPWatch1;
    const QString computer = CompName;
    session_ = std::make_unique<session::JournalSession>(
        *DM_TAZ_2, [login] { return *login; },
        [watch, computer] { return computer + QLatin1Char('\\') + watch->addressNow(); });
}

TADOUpdateHistoryExec* TForm2::Recorder() const {
    return session_ != nullptr ? &session_->recorder() : nullptr;
}

QString TForm2::AuditComputer() {
    return CompName + QLatin1Char('\\') + IdIPWatch1->addressNow();
}

void TForm2::WriteChangeRecord(const QString& Description, db::DataSet& DataSet,
                               const QString& TableName, const QString& KeyFieldName,
                               QStringList& Statements) {
    if (session_ != nullptr)
        session_->records().addChange(Description, DataSet, TableName, KeyFieldName, Statements);
}

void TForm2::WriteDeletionRecord(const QString& Image, db::DataSet& DataSet,
                                 const QString& TableName, const QString& KeyFieldName,
                                 QStringList& Statements) {
    if (session_ != nullptr)
        session_->records().addDeletion(Image, DataSet, TableName, KeyFieldName, Statements);
}

void TForm2::RunAuditStatements(const QStringList& Statements) {
    if (session_ != nullptr)
        session_->records().run(Statements);
}

void TForm2::F2_Kv_DM_TAZ_2KvDBEOnConfirmDelete(QObject*, bool& CanDelete) {
    const TBMListEh& selected = DBGridEh2->SelectedRows();
    if (selected.Count() == 0)
        return;
    db::DataSet* journal = DBGridEh2->dataSet();
    auto form = std::make_unique<TForm1>();
    TStringGrid* sheet = form->StringGrid;
    const int columns = DBGridEh2->columnCount();
    sheet->setColCount(columns + 1);
    form->setWidthOnScreen(width() + 5, screen());
    for (int i = 0; i < columns; ++i) {
        const TColumnEh* column = DBGridEh2->Column(i);
        if (!column->Visible)
            continue;
        sheet->setCells(i + 1, 0, column->TitleCaption);
        sheet->setColWidths(i + 1, DBGridEh2->columnWidth(i));
    }
    sheet->setRowCount(selected.Count() + 1);
    for (int j = 0; j < selected.Count(); ++j) {
        journal->gotoBookmark(selected.Item(j));
        for (int i = 0; i < columns; ++i) {
            const TColumnEh* column = DBGridEh2->Column(i);
            if (column->Visible && column->Field() != nullptr)
                sheet->setCells(i + 1, j + 1, column->Field()->text());
        }
    }
    form->Count_Lbl->setText(QStringLiteral("Количество удаляемых записей:[") +
                             QString::number(selected.Count()) + QStringLiteral("]."));
    form->Qst_Lbl->setText(QStringLiteral("Вы действительно хотите удалить эти записи?"));
    CanDelete = form->exec() == mrYes;
}
