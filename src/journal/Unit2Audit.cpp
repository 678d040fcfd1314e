// Deleting journal rows only after the warning window says yes, and the audit log: the
// recorder's reports turned into KEL_LOG statements, run once the change is stored.
#include "journal/Unit2.h"

#include "controls/KvDBGridEh.h"
#include "data/Unit_2_1.h"
#include "db/SqlText.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "history/log_u.h"
#include "journal/Unit3.h"
#include "platform/IPWatch.h"

#include <memory>

namespace {

// Login and computer name are written inside quotes: an apostrophe in them is doubled, so
// that it can neither break the statement nor add to it.
QString quotedName(const QString& text) {
    return QuoteSQL(db::doubledQuotes(text));
}

} // namespace

void TForm2::attachRecorder() {
    recorder_ = std::make_unique<TADOUpdateHistoryExec>();
    recorder_->OnFieldChanged = [this](const QString& d, db::DataSet& ds, const QString& t,
                                       const QString& k,
                                       QStringList& s) { WriteChangeRecord(d, ds, t, k, s); };
    recorder_->OnRowDeleted = [this](const QString& i, db::DataSet& ds, const QString& t,
                                     const QString& k,
                                     QStringList& s) { WriteDeletionRecord(i, ds, t, k, s); };
    recorder_->OnExecute = [this](const QStringList& s) { RunAuditStatements(s); };
    recorder_->MessageTemplate =
        QStringLiteral("Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".");
    if (DM_TAZ_2 != nullptr)
        recorder_->Attach(&DM_TAZ_2->ADO_SP_Sort, QStringLiteral("mark_mag"),
                          QStringLiteral("id_mark_mag"), true, true);
}

QString TForm2::AuditComputer() {
    return CompName + QLatin1Char('\\') + IdIPWatch1->addressNow();
}

QString TForm2::auditStatement(const QString& tableName, const QString& keyText,
                               const QString& description) {
    return QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], [KEL_User], [comp]) "
                          "VALUES(") +
           QuoteSQL(tableName) + QStringLiteral(", ") + keyText + QStringLiteral(", ") +
           QuoteSQL(description) + QStringLiteral(", ") + quotedName(UserLogin) +
           QStringLiteral(", ") + quotedName(AuditComputer()) + QStringLiteral(")");
}

void TForm2::WriteChangeRecord(const QString& Description, db::DataSet& DataSet,
                               const QString& TableName, const QString& KeyFieldName,
                               QStringList& Statements) {
    Statements << auditStatement(TableName, DataSet.fieldByName(KeyFieldName)->text(), Description);
}

void TForm2::WriteDeletionRecord(const QString& Image, db::DataSet& DataSet,
                                 const QString& TableName, const QString& KeyFieldName,
                                 QStringList& Statements) {
    const QString key = DataSet.fieldByName(KeyFieldName)->text();
    Statements << auditStatement(TableName, key,
                                 QStringLiteral("Запись с уникальным номером - ") +
                                     QuoteSQLTwice(key) + QStringLiteral(" была удалена - ") +
                                     Image + QStringLiteral("."));
}

void TForm2::RunAuditStatements(const QStringList& Statements) {
    db::DataSet& exec = DM_TAZ_2->ADOQ_Exec;
    try {
        for (const QString& statement : Statements) {
            exec.setSql(statement);
            exec.execSql();
        }
    } catch (const db::DatabaseError& e) {
        // The change goes back with its records; the user is told which part was refused.
        if (e.connectionLost())
            throw;
        throw db::DatabaseError(db::ErrorKind::AuditRefused,
                                QStringLiteral("Сервер не принял запись журнала изменений "
                                               "(KEL_LOG), поэтому изменение не сохранено.\n") +
                                    e.message());
    }
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
