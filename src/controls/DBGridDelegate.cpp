// In-place editors of the grid and the hand-over of painting to the grid.
#include "controls/DBGridDelegate.h"

#include "controls/DBGridEh.h"
#include "controls/DateLineEdit.h"
#include "controls/HandlerErrors.h"
#include "db/DataSet.h"
#include "platform/Cp1251Validator.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>

namespace controls {

namespace {

const char* const kKind = "kelEditorKind";

// The lookup data set's rows as (shown text, key) pairs, read without moving its cursor.
void fillLookupItems(QComboBox* box, const db::Field& field) {
    db::DataSet* list = field.lookupDataSet();
    if (list == nullptr || !list->active())
        return;
    db::Field* key = list->findField(field.lookupKeyFields());
    db::Field* shown = list->findField(field.lookupResultField());
    if (key == nullptr || shown == nullptr)
        return;
    const int n = list->recordCount();
    for (int i = 0; i < n; ++i) {
        db::DisplayRowScope row(*list, i);
        box->addItem(shown->text(), key->value());
    }
}

} // namespace

DBGridDelegate::DBGridDelegate(TDBGridEh* grid)
    : QStyledItemDelegate(grid)
    , grid_(grid) {}

void DBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    grid_->paintCell(painter, option.rect, index.row(), index.column());
}

QWidget* DBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    TColumnEh* column = grid_->Column(index.column());
    db::Field* field = column != nullptr ? column->Field() : nullptr;
    if (field == nullptr)
        return nullptr;
    QWidget* editor = nullptr;
    if (field->isLookup()) {
        auto* box = new QComboBox(parent);
        fillLookupItems(box, *field);
        box->setProperty(kKind, "lookup");
        editor = box;
    } else if (!column->PickList.isEmpty()) {
        auto* box = new QComboBox(parent);
        box->addItems(column->PickList);
        box->setProperty(kKind, "pick");
        editor = box;
    } else if (field->dataType() == db::FieldType::Boolean || column->Checkboxes) {
        return nullptr;
    } else if (field->dataType() == db::FieldType::Date ||
               field->dataType() == db::FieldType::DateTime) {
        // The grid's dates are days: a date and time field gets the day at midnight.
        auto* edit = new DateLineEdit(parent);
        edit->setFrame(false);
        edit->setProperty(kKind, field->dataType() == db::FieldType::Date ? "date" : "datetime");
        editor = edit;
    } else {
        auto* edit = new QLineEdit(parent);
        platform::restrictToCp1251(edit);
        if (field->size() > 0)
            edit->setMaxLength(field->size());
        edit->setFrame(false);
        edit->setProperty(kKind, "text");
        editor = edit;
    }
    if (auto* box = qobject_cast<QComboBox*>(editor); box && column->DropDownWidth > 0)
        box->view()->setMinimumWidth(column->DropDownWidth);
    editor->setFont(column->Font().font);
    grid_->editorCreated(editor);
    TDBGridEh* grid = grid_;
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        connect(edit, &QLineEdit::textEdited, grid,
                [grid, editor] { grid->editorModified(editor); });
    else if (auto* box = qobject_cast<QComboBox*>(editor))
        connect(box, &QComboBox::activated, grid, [grid, editor] { grid->editorModified(editor); });
    return editor;
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    TColumnEh* column = grid_->Column(index.column());
    db::Field* field = column != nullptr ? column->Field() : nullptr;
    if (field == nullptr)
        return;
    const QString kind = editor->property(kKind).toString();
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (kind == "lookup") {
            db::Field* key = field->dataSet()->findField(field->keyFields());
            box->setCurrentIndex(key != nullptr ? box->findData(key->value()) : -1);
        } else {
            box->setCurrentIndex(box->findText(field->text()));
        }
    } else if (auto* date = qobject_cast<DateLineEdit*>(editor)) {
        const QVariant v = field->value();
        date->setDate(field->isNull() ? QDate() : v.toDate());
        date->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(field->text());
        edit->selectAll();
    }
    grid_->editorLoaded(editor);
}

QVariant DBGridDelegate::editorValue(QWidget* editor, bool& useText) {
    const QString kind = editor->property(kKind).toString();
    useText = false;
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (kind == "lookup")
            return box->currentIndex() >= 0 ? box->currentData() : QVariant();
        useText = true;
        return box->currentText();
    }
    if (auto* date = qobject_cast<DateLineEdit*>(editor)) {
        if (date->isBlank())
            return QVariant();
        const QDate day = date->date(); // throws for a partial or impossible date
        return kind == "date" ? QVariant(day) : QVariant(QDateTime(day, QTime(0, 0)));
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        useText = true;
        return edit->text();
    }
    return QVariant();
}

void DBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                  const QModelIndex& index) const {
    try {
        grid_->storeEditor(editor, index.column());
    } catch (...) {
        // Qt commits on its own paths (focus loss); the error then surfaces from an event.
        grid_->raiseLater(std::current_exception());
    }
}

void DBGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (handling_.value(editor) > 0) {
        editor->hide();
        released_.insert(editor, editor);
        return;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool DBGridDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr)
        return QStyledItemDelegate::eventFilter(object, event);
    ++handling_[object];
    bool taken = true; // an editor event whose handling failed goes no further
    runHandler(grid_, [&] { taken = grid_->editorEvent(editor, event); });
    // A released editor is the view's no more: the rest of its event is not wanted.
    const bool released = released_.contains(object);
    if (!taken && !released)
        taken = QStyledItemDelegate::eventFilter(object, event);
    if (--handling_[object] == 0) {
        handling_.remove(object);
        // Deleted from the event loop, once Qt is done with the event that is still on its way.
        if (QPointer<QWidget> released = released_.take(object))
            released->deleteLater();
    }
    return taken || released;
}

} // namespace controls
