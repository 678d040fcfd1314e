// Paints the grid's cells through the grid and makes the in-place editors.
#pragma once

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

    // The value an editor holds for a column; UseText tells whether it is a text.
    static QVariant editorValue(QWidget* editor, bool& useText);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TDBGridEh* grid_;
};

} // namespace controls
