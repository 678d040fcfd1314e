// The update-history recorder: change messages, row images and the pending statements.
#include "history/log_u.h"

#include "db/SqlText.h"
#include "db/ValueCompare.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace {

bool holdsText(db::FieldType t) {
    return t == db::FieldType::String || t == db::FieldType::WideString || t == db::FieldType::Memo;
}

bool holdsDate(db::FieldType t) {
    return t == db::FieldType::Date || t == db::FieldType::DateTime;
}

QString shortDate(const QVariant& v) {
    const QDate date = v.metaType().id() == QMetaType::QDate ? v.toDate() : v.toDateTime().date();
    return QLocale().toString(date, QLocale::ShortFormat);
}

} // namespace

QString QuoteSQL(const QString& s) {
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString QuoteSQLTwice(const QString& s) {
    return QuoteSQL(QuoteSQL(s));
}

QString FieldImageText(const db::Field& field) {
    const QString text = field.text();
    if (text.isEmpty())
        return QStringLiteral("NULL");
    const db::FieldType type = field.dataType();
    if (type == db::FieldType::Float || holdsDate(type))
        return QuoteSQLTwice(text);
    if (holdsText(type))
        return QuoteSQLTwice(db::doubledQuotes(text));
    return text;
}

QString FieldChangeText(const db::Field& field, bool old) {
    const QString text = old ? field.oldText() : field.text();
    if (text.isEmpty())
        return QStringLiteral("NULL");
    const db::FieldType type = field.dataType();
    if (holdsDate(type))
        return shortDate(old ? field.oldValue() : field.value());
    if (holdsText(type))
        return db::doubledQuotes(text);
    return text;
}

TADOUpdateHistoryExec::~TADOUpdateHistoryExec() {
    Detach();
}

void TADOUpdateHistoryExec::Follow(db::DataSet* dataSet, const QString& tableName,
                                   const QString& keyFieldName, bool logEdits, bool logDeletes) {
    Detach();
    tableName_ = tableName;
    keyFieldName_ = keyFieldName;
    dataSet_ = dataSet;
    logEdits_ = logEdits;
    logDeletes_ = logDeletes;
}

void TADOUpdateHistoryExec::Attach(db::DataSet* dataSet, const QString& tableName,
                                   const QString& keyFieldName, bool logEdits, bool logDeletes) {
    Follow(dataSet, tableName, keyFieldName, logEdits, logDeletes);
    attached_ = true;
    savedBeforePost_ = dataSet->beforePost;
    savedAfterPost_ = dataSet->afterPost;
    savedBeforeDelete_ = dataSet->beforeDelete;
    savedAfterDelete_ = dataSet->afterDelete;
    savedWhilePosting_ = dataSet->whilePosting;
    savedWhileDeleting_ = dataSet->whileDeleting;
    savedEditError_ = dataSet->onEditError;
    savedPostError_ = dataSet->onPostError;

    if (logEdits) {
        dataSet->beforePost = [this](db::DataSet& ds) {
            reportChanges(ds);
            if (savedBeforePost_)
                savedBeforePost_(ds);
        };
    }
    dataSet->whilePosting = [this](db::DataSet& ds) {
        runRecords();
        if (savedWhilePosting_)
            savedWhilePosting_(ds);
    };
    dataSet->afterPost = [this](db::DataSet& ds) {
        if (savedAfterPost_)
            savedAfterPost_(ds);
        dropRecords();
    };
    if (logDeletes) {
        dataSet->beforeDelete = [this](db::DataSet& ds) {
            reportDeletion(ds);
            if (savedBeforeDelete_)
                savedBeforeDelete_(ds);
        };
    }
    dataSet->whileDeleting = [this](db::DataSet& ds) {
        runRecords();
        if (savedWhileDeleting_)
            savedWhileDeleting_(ds);
    };
    dataSet->afterDelete = [this](db::DataSet& ds) {
        if (savedAfterDelete_)
            savedAfterDelete_(ds);
    };
    dataSet->onEditError = [this](db::DataSet& ds, const db::DatabaseError& e,
                                  db::DataAction& action) {
        onError(ds, e, action, savedEditError_);
    };
    dataSet->onPostError = [this](db::DataSet& ds, const db::DatabaseError& e,
                                  db::DataAction& action) {
        onError(ds, e, action, savedPostError_);
    };
}

void TADOUpdateHistoryExec::Detach() {
    db::DataSet* ds = dataSet_;
    dataSet_ = nullptr;
    if (ds == nullptr || !attached_)
        return;
    attached_ = false;
    ds->beforePost = savedBeforePost_;
    ds->afterPost = savedAfterPost_;
    ds->beforeDelete = savedBeforeDelete_;
    ds->afterDelete = savedAfterDelete_;
    ds->whilePosting = savedWhilePosting_;
    ds->whileDeleting = savedWhileDeleting_;
    ds->onEditError = savedEditError_;
    ds->onPostError = savedPostError_;
}

QString TADOUpdateHistoryExec::changeMessage(const db::Field& field) const {
    if (MessageTemplate.isEmpty()) {
        const QChar q = QLatin1Char('"');
        return QStringLiteral("The field ") + q + field.fieldName() + q +
               QStringLiteral(" has been changed from ") + q + FieldChangeText(field, true) + q +
               QStringLiteral(" on ") + q + FieldChangeText(field, false) + q + QLatin1Char('.');
    }
    QString message = MessageTemplate;
    message.replace(QStringLiteral("<?>"), field.fieldName());
    message.replace(QStringLiteral("<old>"), FieldChangeText(field, true));
    message.replace(QStringLiteral("<new>"), FieldChangeText(field, false));
    return message;
}

void TADOUpdateHistoryExec::reportChanges(db::DataSet& ds) {
    if (!logEdits_ || !OnFieldChanged || ds.state() != db::DataSetState::Edit ||
        ds.fieldCount() == 0)
        return;
    statements_.clear();
    for (db::Field* field : ds.fields()) {
        // The write-back's own test, so that a reported change is a written one.
        if (!field->isData() || db::sameValue(field->value(), field->oldValue()))
            continue;
        OnFieldChanged(changeMessage(*field), ds, tableName_, keyFieldName_, statements_);
    }
}

void TADOUpdateHistoryExec::runRecords() {
    if (!statements_.isEmpty() && OnExecute)
        OnExecute(statements_);
}

void TADOUpdateHistoryExec::reportDeletion(db::DataSet& ds) {
    if (!logDeletes_ || ds.fieldCount() == 0)
        return;
    statements_.clear();
    QString image;
    const auto& fields = ds.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const db::Field& field = *fields[i];
        const bool last = i + 1 == fields.size();
        if (field.isData()) {
            image += field.fieldName() + QLatin1Char('[') + FieldImageText(field) +
                     (last ? QStringLiteral("]") : QStringLiteral("], "));
        } else if (last && !image.isEmpty()) {
            image.chop(2);
        }
    }
    if (OnRowDeleted) {
        OnRowDeleted(QLatin1Char('(') + image + QLatin1Char(')'), ds, tableName_, keyFieldName_,
                     statements_);
    }
}

bool TADOUpdateHistoryExec::takeRefusal() {
    // Nothing was stored, so the records prepared for it are dropped.
    statements_.clear();
    if (refusalSeen_)
        return false;
    refusalSeen_ = true;
    return true;
}

void TADOUpdateHistoryExec::onError(db::DataSet& ds, const db::DatabaseError& error,
                                    db::DataAction& action, const db::DataSet::ErrorEvent& saved) {
    if (!takeRefusal() && saved)
        saved(ds, error, action);
}
