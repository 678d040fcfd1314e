// The grid editing events component: paints a grid's cells by record state, copies, cuts,
// pastes and deletes whole records through a private clipboard format, and marks records
// whose key fields repeat.
#pragma once

#include "controls/KvDBGridEh.h"
#include "gridevents/KvDBGridAttr.h"
#include "gridevents/Kv_Cnstns.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

// Fields of the grid's data set, not owned; a field that is destroyed leaves the list.
class TKvFieldList {
public:
    void Add(db::Field* field);
    void Remove(db::Field* field);
    void Clear() { fields_.clear(); }
    int Count() const;
    bool isEmpty() const { return Count() == 0; }
    db::Field* operator[](int index) const;

private:
    void purge() const;
    mutable std::vector<QPointer<db::Field>> fields_;
};

using TKvDBEGridError = std::function<void(QObject* Sender, quint16 ErrorId)>;
using TKvDBEOnConfirmDelete = std::function<void(QObject* Sender, bool& CanDelete)>;

// One instance serves one grid of class TKvDBGridEh. While attached it owns the grid's
// cell drawing and key-down events and passes both on to its owner.
class TKvDBGridEvents : public QObject {
    Q_OBJECT
public:
    explicit TKvDBGridEvents(QObject* owner = nullptr);
    ~TKvDBGridEvents() override;

    TKvDBAttributes& KvDBAttributes() { return attributes_; }
    TKvDBGridEh* DBGridEh() const { return grid_; }
    void setDBGridEh(TKvDBGridEh* grid);
    db::Field* UniqueField() const { return uniqueField_; }
    void setUniqueField(db::Field* field) { uniqueField_ = field; }
    TDBGridEhEditActions EditActions() const { return editActions_; }
    void setEditActions(TDBGridEhEditActions actions) { editActions_ = actions; }
    bool Active() const { return active_; }
    void setActive(bool on);

    TKvDBEGridError OnKvDBEGridError;
    TKvDBEOnConfirmDelete OnKvDBEOnConfirmDelete;
    TKeyEvent OnKeyDown;
    TDrawColumnEhCellEvent OnDrawColumnCell;

    TKvFieldList KeyFieldList;

    // The grid's handlers while attached.
    void GridDrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol, TColumnEh* Column,
                            TGridDrawState State);
    void GridKeyDown(QObject* Sender, quint16& Key, TShiftState Shift);

    // Duplicate tracking of the data set's current record.
    void CheckDuplicate();
    void ReleaseDuplicate(const QString& bookmark);
    bool ScanDuplicates();
    // The key string and the key filter of the current record.
    void BuildKeyFilter(QString& keyString, QString& filter) const;

    // What the painter and the operations keep; read-only views.
    const QStringList& PastedList() const { return pasted_; }
    const QStringList& DuplicateList() const { return duplicates_; }
    const QStringList& ErrorList() const { return errors_; }

    // The clipboard format's name as the clipboard knows it.
    static QString clipboardFormat();

private:
    void attach(TKvDBGridEh* grid);
    static void release(TKvDBGridEh* grid);
    void gridDestroyed(QObject* grid);
    void report(quint16 errorId);
    bool checksPass();
    bool confirm(const QString& text);
    QString keyString() const;
    void chooseColors(TColumnEh* column, TGridDrawState state, QColor& color, TFont& font) const;

    void CopyRows(bool cut);
    void PasteRows();
    void DeleteRows();
    void SelectAllRows();
    QByteArray recordBytes(db::DataSet& ds) const;

    db::DataSet* dataSet() const;
    QWidget* ownerWindow() const;

    TKvDBAttributes attributes_;
    QPointer<TKvDBGridEh> grid_;
    QMetaObject::Connection gridDestroyedConnection_;
    QPointer<db::Field> uniqueField_;
    TDBGridEhEditActions editActions_;
    bool active_ = false;
    QStringList pasted_;
    QStringList duplicates_;
    QStringList errors_;
};
