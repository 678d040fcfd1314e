// Paints the grid's cells through the grid and makes the in-place editors.
#pragma once

#include <QHash>
#include <QPointer>
#include <QStyledItemDelegate>

class TDBGridEh;
class TColumnEh;

namespace controls {

// One editor per kind of value: lookup and pick lists drop down, dates get a calendar,
// text gets an edit limited to code page 1251. Boolean cells toggle without an editor.
class DBGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DBGridDelegate(TDBGridEh* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // An editor whose own event is still being handled is only hidden here and goes once
    // that event is over: a key handler may close and reopen the journal, and Qt would
    // otherwise deliver the rest of the event to a destroyed editor.
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // The value an editor holds for a column; UseText tells whether it is a text.
    static QVariant editorValue(QWidget* editor, bool& useText);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Events of each editor being handled now, nested ones counted.
    mutable QHash<const QObject*, int> handling_;
    mutable QHash<const QObject*, QPointer<QWidget>> released_;
    TDBGridEh* grid_;
};

} // namespace controls
