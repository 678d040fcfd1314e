// The journal's rules: the loading notice, refused rows, row numbers and the posting rules.
#include "data/Unit_2_1.h"

#include "platform/MessageBoxes.h"

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
    if (view_ == nullptr || !view_->selectorKey(JournalSelector::FormOfControl))
        return;
    const db::DataSource* source = view_->journalGridSource();
    if (source == nullptr || source->dataSet() == nullptr)
        return;
    dataSet.fieldByName(QStringLiteral("No"))->setValue(std::abs(source->dataSet()->recNo()));
}

void TDM_TAZ_2::ADO_SP_SortBeforePost(db::DataSet& dataSet) {
    if (view_ == nullptr)
        return;
    const auto group = view_->selectorKey(JournalSelector::Group);
    const auto semester = view_->selectorKey(JournalSelector::Semester);
    const auto discipline = view_->selectorKey(JournalSelector::Discipline);
    if (group && semester && discipline) {
        dataSet.fieldByName(QStringLiteral("id_group"))->setValue(*group);
        dataSet.fieldByName(QStringLiteral("id_semester"))->setValue(*semester);
        dataSet.fieldByName(QStringLiteral("id_discipline"))->setValue(*discipline);
    }
    view_->enableSelector(JournalSelector::Group);
    view_->enableSelector(JournalSelector::Semester);
    view_->enableSelector(JournalSelector::FormOfControl);
    view_->enableSelector(JournalSelector::Discipline);
}

void TDM_TAZ_2::tellWhenSavedDespiteLostLink(db::DataSet& dataSet) {
    if (!dataSet.lastPostSurvivedLostLink())
        return;
    platform::messageBox(nullptr,
                         QStringLiteral("Связь с сервером прервалась во время записи. Запись "
                                        "прочитана заново: изменение сохранено на сервере."),
                         QStringLiteral("Уведомление"), QMessageBox::Information, QMessageBox::Ok);
}

void TDM_TAZ_2::ADO_SP_SortPostError(db::DataSet& dataSet, const db::DatabaseError& error,
                                     db::DataAction& action) {
    action = db::DataAction::Abort;
    if (error.connectionLost() || error.kind() == db::ErrorKind::AuditRefused) {
        // Not a missing right: the row keeps the user's values, and posting it again reconnects
        // or is refused again with the same reason.
        platform::messageBox(nullptr, error.message(), QStringLiteral("Warning!"),
                             QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    const QString caption = view_ != nullptr ? view_->currentColumnTitle() : QString();
    const QString text = QStringLiteral("Вы пытаетесь изменить запись в поле ") + QLatin1Char('"') +
                         caption + QLatin1Char('"') + QStringLiteral(", но у вас нет на это прав.");
    platform::messageBox(nullptr, text, QStringLiteral("Warning!"), QMessageBox::Warning,
                         QMessageBox::Ok);
    dataSet.cancel();
}
