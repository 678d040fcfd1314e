// The update-history recorder and the value texts it and the audit-log writers build.
#pragma once

#include "db/DataSet.h"
#include "db/Field.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

// One quote on each side; inner quotes are left as they are.
QString QuoteSQL(const QString& s);
// Two quotes on each side: QuoteSQL of QuoteSQL.
QString QuoteSQLTwice(const QString& s);
// A field's value as it appears in a deleted row's image.
QString FieldImageText(const db::Field& field);
// A field's old (old = true) or new value as it appears in a change message.
QString FieldChangeText(const db::Field& field, bool old);

// Watches one data set: hands a message per changed field before a post and an image of the
// row before a delete to its owner, and runs the owner's statements right after the write, in
// its transaction, so that a change is stored with its records or not at all. It chains to the
// handlers the data set had when attached and gives them back on Detach.
//
// A refused post or edit never switches it off: every later change is still recorded. The
// first refusal goes on to the caller as it came; later ones go to the saved handlers.
class TADOUpdateHistoryExec {
public:
    using FieldChangedEvent =
        std::function<void(const QString& message, db::DataSet& dataSet, const QString& tableName,
                           const QString& keyFieldName, QStringList& statements)>;
    using ExecuteEvent = std::function<void(const QStringList& statements)>;
    using RowDeletedEvent =
        std::function<void(const QString& image, db::DataSet& dataSet, const QString& tableName,
                           const QString& keyFieldName, QStringList& statements)>;

    TADOUpdateHistoryExec() = default;
    ~TADOUpdateHistoryExec();
    TADOUpdateHistoryExec(const TADOUpdateHistoryExec&) = delete;
    TADOUpdateHistoryExec& operator=(const TADOUpdateHistoryExec&) = delete;

    void Attach(db::DataSet* dataSet, const QString& tableName, const QString& keyFieldName,
                bool logEdits, bool logDeletes);
    void Detach();

    // For an owner that runs a post's steps in its own order instead of attaching: the same
    // target as Attach, with no handler of the data set taken over.
    void Follow(db::DataSet* dataSet, const QString& tableName, const QString& keyFieldName,
                bool logEdits, bool logDeletes);
    // Before a post: reports each changed field, whose records the owner prepares.
    void reportChanges(db::DataSet& dataSet);
    // Before a delete: reports the row's image.
    void reportDeletion(db::DataSet& dataSet);
    // Inside the write's transaction: hands the prepared records to OnExecute.
    void runRecords();
    void dropRecords() { statements_.clear(); }
    // A refused post or edit: its records are dropped. True for the first refusal, which goes
    // on to the caller as it came; later ones are the owner's to report.
    bool takeRefusal();

    db::DataSet* DataSet() const { return dataSet_; }
    QString TableName() const { return tableName_; }
    QString KeyFieldName() const { return keyFieldName_; }
    bool LogEdits() const { return logEdits_; }
    bool LogDeletes() const { return logDeletes_; }
    const QStringList& Statements() const { return statements_; }

    // Empty selects the built-in English message; "<?>", "<old>" and "<new>" are replaced.
    QString MessageTemplate;
    FieldChangedEvent OnFieldChanged;
    ExecuteEvent OnExecute;
    RowDeletedEvent OnRowDeleted;

private:
    void onError(db::DataSet& ds, const db::DatabaseError& error, db::DataAction& action,
                 const db::DataSet::ErrorEvent& saved);
    QString changeMessage(const db::Field& field) const;

    QPointer<db::DataSet> dataSet_;
    QString tableName_;
    QString keyFieldName_;
    QStringList statements_;
    bool logEdits_ = true;
    bool logDeletes_ = false;
    bool refusalSeen_ = false;
    bool attached_ = false;

    db::DataSet::Notify savedBeforePost_, savedAfterPost_, savedBeforeDelete_, savedAfterDelete_;
    db::DataSet::Notify savedWhilePosting_, savedWhileDeleting_;
    db::DataSet::ErrorEvent savedEditError_, savedPostError_;
};
