// The journal's rules: the loading notice, refused rows, row numbers and the posting rules.
#include "data/Unit_2_1.h"

#include <QCoreApplication>

#include <cstdlib>

void TDM_TAZ_2::ADO_SP_SortBeforeOpen(db::DataSet&) {
    if (!LoadingNotice.exists || !LoadingNotice.create || LoadingNotice.exists())
        return;
    LoadingNotice.create();
    // The procedure may run long: the notice has to be painted before it starts. Keys and
    // clicks wait until the journal is there, rather than acting on a half-loaded grid.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TDM_TAZ_2::ADO_SP_SortAfterOpen(db::DataSet&) {
    if (LoadingNotice.destroy)
        LoadingNotice.destroy();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TDM_TAZ_2::ADO_SP_SortBeforeInsert(db::DataSet&) {
    throw db::Abort();
}

void TDM_TAZ_2::ADOQ_StudentsBeforeInsert(db::DataSet&) {
    throw db::Abort();
}

void TDM_TAZ_2::ADOQ_StudentsAfterPost(db::DataSet&) {
    StudentsChanged = true;
}

void TDM_TAZ_2::ADO_SP_SortCalcFields(db::DataSet& dataSet) {
    if (view_ == nullptr || !selection_.formOfControl)
        return;
    const db::DataSource* source = view_->journalGridSource();
    if (source == nullptr || source->dataSet() == nullptr)
        return;
    dataSet.fieldByName(QStringLiteral("No"))->setValue(std::abs(source->dataSet()->recNo()));
}

void TDM_TAZ_2::ADO_SP_SortBeforePost(db::DataSet& dataSet) {
    if (view_ == nullptr)
        return;
    const data::JournalSelection& chosen = selection_;
    if (chosen.group && chosen.semester && chosen.discipline) {
        dataSet.fieldByName(QStringLiteral("id_group"))->setValue(*chosen.group);
        dataSet.fieldByName(QStringLiteral("id_semester"))->setValue(*chosen.semester);
        dataSet.fieldByName(QStringLiteral("id_discipline"))->setValue(*chosen.discipline);
    }
    view_->enableSelector(JournalSelector::Group);
    view_->enableSelector(JournalSelector::Semester);
    view_->enableSelector(JournalSelector::FormOfControl);
    view_->enableSelector(JournalSelector::Discipline);
}

void TDM_TAZ_2::tellWhenSavedDespiteLostLink(db::DataSet& dataSet) {
    if (!dataSet.lastPostSurvivedLostLink())
        return;
    show(QStringLiteral("Связь с сервером прервалась во время записи. Запись "
                        "прочитана заново: изменение сохранено на сервере."),
         QStringLiteral("Уведомление"), data::MessageKind::Information);
}

void TDM_TAZ_2::show(const QString& text, const QString& caption, data::MessageKind kind) const {
    if (ShowMessage)
        ShowMessage(text, caption, kind);
}

void TDM_TAZ_2::ADO_SP_SortPostError(db::DataSet& dataSet, const db::DatabaseError& error,
                                     db::DataAction& action) {
    action = db::DataAction::Abort;
    if (error.connectionLost() || error.kind() == db::ErrorKind::AuditRefused) {
        // Not a missing right: the row keeps the user's values, and posting it again reconnects
        // or is refused again with the same reason.
        show(error.message(), QStringLiteral("Warning!"), data::MessageKind::Warning);
        return;
    }
    const QString caption = view_ != nullptr ? view_->currentColumnTitle() : QString();
    const QString text = QStringLiteral("Вы пытаетесь изменить запись в поле ") + QLatin1Char('"') +
                         caption + QLatin1Char('"') + QStringLiteral(", но у вас нет на это прав.");
    show(text, QStringLiteral("Warning!"), data::MessageKind::Warning);
    dataSet.cancel();
}
