// Keys, mouse and in-place editing of the grid. Everything that posts runs inside an event
// handler, so a failed post reaches the application's error box and the row stays current.
#include "controls/DBGridDelegate.h"
#include "controls/DBGridEh.h"
#include "controls/HandlerErrors.h"
#include "db/DataSet.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

// The value an editor opened with, and whether it was taken (a null value is a value).
const char* const kInitial = "kelInitialValue";
const char* const kHasInitial = "kelHasInitialValue";

bool isInside(const QWidget* w, const QWidget* ancestor) {
    for (; w != nullptr; w = w->parentWidget())
        if (w == ancestor)
            return true;
    return false;
}

// While set, key events travel to an editor without being handled again by the grid.
struct Forwarding {
    explicit Forwarding(bool& flag)
        : flag_(flag) {
        flag_ = true;
    }
    ~Forwarding() { flag_ = false; }
    Forwarding(const Forwarding&) = delete;
    Forwarding& operator=(const Forwarding&) = delete;
    bool& flag_;
};

} // namespace

// --- Editors

void TDBGridEh::editorCreated(QWidget* editor) {
    editor_ = editor;
}

void TDBGridEh::editorModified(QWidget* editor) {
    // The row enters edit state with the first change, as the indicator then shows.
    if (editor != editor_)
        return;
    controls::runHandler(this, [&] {
        db::DataSet* ds = dataSet();
        if (ds != nullptr && ds->active() && ds->state() == db::DataSetState::Browse)
            ds->edit();
    });
}

bool TDBGridEh::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (selected_.Count() > 0 || !index.isValid() || index.row() != currentDataRow())
        return false;
    if (trigger == CurrentChanged && !hasFocus())
        return false;
    return QTableView::edit(index, trigger, event);
}

void TDBGridEh::editorLoaded(QWidget* editor) {
    // Taken as the field's value is put in, before a key that opened the editor is typed
    // into it: that key is the user's change.
    bool useText = false;
    editor->setProperty(kInitial, controls::DBGridDelegate::editorValue(editor, useText));
    editor->setProperty(kHasInitial, true);
}

void TDBGridEh::storeEditor(QWidget* editor, int col) {
    bool useText = false;
    const QVariant value = controls::DBGridDelegate::editorValue(editor, useText);
    if ((editor->property(kHasInitial).toBool() && value == editor->property(kInitial)) || col < 0)
        return;
    storeValue(col, value, useText); // on failure the editor stays open with its text
    // Stored once: a second commit of the same editor finds nothing new.
    editor->setProperty(kInitial, value);
    editor->setProperty(kHasInitial, true);
}

void TDBGridEh::commitEditor() {
    if (!editor_)
        return;
    QWidget* ed = editor_;
    storeEditor(ed, currentIndex().isValid() ? currentIndex().column() : -1);
    editor_ = nullptr;
    closeEditor(ed, QAbstractItemDelegate::NoHint);
}

void TDBGridEh::commitPendingEdit() {
    commitEditor();
}

void TDBGridEh::closeEditorWithoutCommit() {
    if (!editor_)
        return;
    QWidget* ed = editor_;
    editor_ = nullptr;
    closeEditor(ed, QAbstractItemDelegate::RevertModelCache);
}

db::Field* TDBGridEh::writtenField(db::Field* field) {
    if (field == nullptr || !field->isLookup())
        return field;
    return field->dataSet()->fieldByName(field->keyFields());
}

void TDBGridEh::storeValue(int col, const QVariant& value, bool useText) {
    TColumnEh* column = Column(col);
    db::DataSet* ds = dataSet();
    db::Field* field = column != nullptr ? column->Field() : nullptr;
    if (field == nullptr || ds == nullptr)
        return;
    if (ds->state() == db::DataSetState::Browse)
        ds->edit();
    QString text = useText ? value.toString() : field->textOf(value);
    QVariant v = value;
    bool handled = false;
    if (column->OnUpdateData)
        column->OnUpdateData(this, text, v, useText, handled);
    if (handled)
        return;
    db::Field* target = writtenField(field);
    if (useText)
        target->setText(text);
    else
        target->setValue(v);
}

bool TDBGridEh::editorEvent(QWidget* editor, QEvent* event) {
    if (editor != editor_ && !isInside(editor, editor_))
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (forwarding_)
            return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        if (handleKey(ke, true) || editor_ != editor)
            return true;
        // Copy, cut and paste are the grid's commands, not the editor's text clipboard.
        if (ke->modifiers().testFlag(Qt::ControlModifier) &&
            (ke->key() == Qt::Key_C || ke->key() == Qt::Key_V || ke->key() == Qt::Key_X))
            return true;
        if (OnKeyPress && ke->text().size() == 1 && ke->text()[0].isPrint()) {
            QChar ch = ke->text()[0];
            OnKeyPress(this, ch);
            if (ch.isNull() || editor_ != editor)
                return true;
            if (ch != ke->text()[0]) {
                QKeyEvent changed(QEvent::KeyPress, ke->key(), ke->modifiers(), QString(ch));
                Forwarding f(forwarding_);
                QCoreApplication::sendEvent(editor, &changed);
                return true;
            }
        }
        return false;
    }
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (OnKeyUp && !ke->isAutoRepeat()) {
            quint16 key = keys::virtualKey(*ke);
            OnKeyUp(this, key, ke->modifiers());
        }
        return false;
    }
    case QEvent::FocusOut: {
        auto* fe = static_cast<QFocusEvent*>(event);
        QWidget* now = QApplication::focusWidget();
        if (fe->reason() == Qt::PopupFocusReason || isInside(now, editor_))
            return false;
        commitEditor();
        if (!isInside(now, this))
            focusOut(fe);
        return true; // committed and closed here; the delegate must not do it again
    }
    default:
        return false;
    }
}

// --- Keys

bool TDBGridEh::focusNextPrevChild(bool next) {
    // Qt would move the focus to the next widget before the grid sees Tab.
    if (options_.testFlag(dgTabs))
        return false;
    return QTableView::focusNextPrevChild(next);
}

void TDBGridEh::keyPressEvent(QKeyEvent* e) {
    controls::runHandler(this, [&] { keyPress(e); });
}

void TDBGridEh::keyPress(QKeyEvent* e) {
    if (handleKey(e, false))
        return;
    QString text = e->text();
    if (OnKeyPress && text.size() == 1 && text[0].isPrint()) {
        QChar ch = text[0];
        OnKeyPress(this, ch);
        if (ch.isNull())
            return;
        text = QString(ch);
    }
    // The view's own Ctrl keys would put a cell's text on the clipboard.
    if (e->modifiers().testFlag(Qt::ControlModifier))
        return;
    QKeyEvent forwarded(QEvent::KeyPress, e->key(), e->modifiers(), text);
    Forwarding f(forwarding_);
    QTableView::keyPressEvent(&forwarded);
}

void TDBGridEh::keyReleaseEvent(QKeyEvent* e) {
    controls::runHandler(this, [&] { keyRelease(e); });
}

void TDBGridEh::keyRelease(QKeyEvent* e) {
    if (OnKeyUp && !e->isAutoRepeat()) {
        quint16 key = keys::virtualKey(*e);
        OnKeyUp(this, key, e->modifiers());
    }
    QTableView::keyReleaseEvent(e);
}

bool TDBGridEh::handleKey(QKeyEvent* e, bool fromEditor) {
    QPointer<QWidget> editorBefore = editor_;
    const quint16 original = keys::virtualKey(*e);
    quint16 key = original;
    if (OnKeyDown)
        OnKeyDown(this, key, e->modifiers());
    if (original != 0 && key == 0)
        return true;
    if (fromEditor && editor_ != editorBefore)
        return true; // the handler closed the editor the key was meant for
    db::DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active())
        return false;
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    // Up and down move between rows unless the editor uses them itself (an open list).
    const bool rowKeysFree = !fromEditor || qobject_cast<QLineEdit*>(editor_.data()) != nullptr ||
                             qobject_cast<QComboBox*>(editor_.data()) != nullptr;
    const int row = currentIndex().isValid() ? currentIndex().row() : currentDataRow();
    const int col = SelectedIndex();
    const int rows = viewRowCount();
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!rowKeysFree || mods.testFlag(Qt::AltModifier))
            return false;
        if (e->key() == Qt::Key_Down && row == rows - 1) {
            if (allowed_.testFlag(alopAppendEh) && options_.testFlag(dgEditing) &&
                ds->state() != db::DataSetState::Insert) {
                leaveRow();
                ds->append();
            }
            return true;
        }
        moveToCell(qBound(0, row + (e->key() == Qt::Key_Up ? -1 : 1), rows - 1), col, true);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (!rowKeysFree)
            return false;
        const int page =
            qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()) - 1);
        moveToCell(qBound(0, row + (e->key() == Qt::Key_PageUp ? -page : page), rows - 1), col,
                   true);
        return true;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
        if (fromEditor && !ctrl)
            return false;
        if (ctrl)
            moveToCell(e->key() == Qt::Key_Home ? 0 : rows - 1, col, true);
        else
            moveToCell(row,
                       e->key() == Qt::Key_Home ? firstVisibleColumn()
                                                : nextVisibleColumn(columnCount(), -1),
                       true);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (fromEditor)
            return false;
        const int next = nextVisibleColumn(col, e->key() == Qt::Key_Left ? -1 : 1);
        if (next >= 0)
            moveToCell(row, next, false);
        return true;
    }
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!options_.testFlag(dgTabs) || ctrl)
            return false;
        nextCell(e->key() == Qt::Key_Backtab || mods.testFlag(Qt::ShiftModifier));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (optionsEh_.testFlag(dghEnterAsTab)) {
            nextCell(mods.testFlag(Qt::ShiftModifier));
        } else if (editor_) {
            commitEditor();
        } else if (currentIndex().isValid()) {
            edit(currentIndex(), EditKeyPressed, nullptr);
        }
        return true;
    case Qt::Key_Escape:
        if (editor_) {
            closeEditorWithoutCommit();
        } else if (ds->state() == db::DataSetState::Edit ||
                   ds->state() == db::DataSetState::Insert) {
            ds->cancel();
        } else {
            return false;
        }
        return true;
    case Qt::Key_Delete:
        if (!ctrl || !allowed_.testFlag(alopDeleteEh) || !options_.testFlag(dgEditing))
            return false;
        deleteCurrentRecord();
        return true;
    case Qt::Key_Insert:
        if (fromEditor || !allowed_.testFlag(alopInsertEh) || !options_.testFlag(dgEditing))
            return false;
        leaveRow();
        ds->insert();
        return true;
    case Qt::Key_Space:
        if (fromEditor)
            return false;
        if (TColumnEh* c = currentColumn();
            c && c->Field() &&
            (c->Checkboxes || c->Field()->dataType() == db::FieldType::Boolean)) {
            toggleCheckbox(row, col);
            return true;
        }
        return false;
    case Qt::Key_F:
        if (ctrl && optionsEh_.testFlag(dghDialogFind)) {
            openFindDialog();
            return true;
        }
        return false;
    default:
        return false;
    }
}

// --- Moving

void TDBGridEh::leaveRow() {
    commitEditor();
    db::DataSet* ds = dataSet();
    if (ds == nullptr)
        return;
    if (ds->state() == db::DataSetState::Insert && !ds->modified())
        ds->cancel();
    else if (ds->state() == db::DataSetState::Edit || ds->state() == db::DataSetState::Insert)
        ds->post();
}

void TDBGridEh::moveToRow(int row, bool clearSelection) {
    db::DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active() || row < 0)
        return;
    if (row != currentDataRow()) {
        leaveRow();
        const db::Bookmark target = ds->bookmarkAt(row);
        if (!target.isNull() && ds->bookmarkValid(target))
            ds->gotoBookmark(target);
    }
    if (clearSelection && optionsEh_.testFlag(dghClearSelection))
        selected_.Clear();
    syncCurrentRow();
}

void TDBGridEh::moveToCell(int row, int col, bool clearSelection) {
    if (row < 0 || col < 0)
        return;
    if (row != currentDataRow())
        moveToRow(row, clearSelection);
    else if (clearSelection && optionsEh_.testFlag(dghClearSelection))
        selected_.Clear();
    const int r = currentDataRow();
    if (r < 0)
        return;
    if (!currentIndex().isValid() || currentIndex().column() != col) {
        commitEditor();
        setCurrentIndex(model()->index(r, col));
    }
}

void TDBGridEh::nextCell(bool backwards) {
    const int row = currentDataRow();
    int col = nextVisibleColumn(SelectedIndex(), backwards ? -1 : 1);
    if (col >= 0) {
        moveToCell(row, col, false);
        return;
    }
    const int nextRow = row + (backwards ? -1 : 1);
    if (nextRow < 0 || nextRow >= viewRowCount()) {
        commitEditor();
        return;
    }
    col = backwards ? nextVisibleColumn(columnCount(), -1) : firstVisibleColumn();
    moveToCell(nextRow, col, true);
}

void TDBGridEh::toggleCheckbox(int row, int col) {
    if (!cellEditable(row, col))
        return;
    db::Field* f = Column(col)->Field();
    storeValue(col, !f->asBoolean(), false);
}

void TDBGridEh::deleteCurrentRecord() {
    db::DataSet* ds = dataSet();
    if (ds == nullptr || ds->isEmpty())
        return;
    if (options_.testFlag(dgConfirmDelete) &&
        platform::messageBox(this, QStringLiteral("Удалить запись?"),
                             QStringLiteral("Подтверждение"), QMessageBox::Question,
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    closeEditorWithoutCommit();
    ds->deleteRecord();
}

// --- Mouse

void TDBGridEh::mousePressEvent(QMouseEvent* e) {
    controls::runHandler(this, [&] { mousePress(e); });
}

void TDBGridEh::mousePress(QMouseEvent* e) {
    const QModelIndex index = indexAt(e->position().toPoint());
    if (index.isValid()) {
        moveToCell(index.row(), index.column(), true);
        // A box is ticked by the click that reaches it, as a check box anywhere is.
        TColumnEh* c = Column(index.column());
        if (e->button() == Qt::LeftButton && c && c->Field() &&
            (c->Checkboxes || c->Field()->dataType() == db::FieldType::Boolean))
            toggleCheckbox(index.row(), index.column());
    }
    QTableView::mousePressEvent(e);
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()),
                    int(e->position().y()));
}

void TDBGridEh::mouseDoubleClickEvent(QMouseEvent* e) {
    QTableView::mouseDoubleClickEvent(e);
}

bool TDBGridEh::eventFilter(QObject* watched, QEvent* e) {
    if (watched == verticalHeader()->viewport() && e->type() == QEvent::MouseButtonPress) {
        controls::runHandler(this, [&] { indicatorPress(static_cast<QMouseEvent*>(e)); });
        return true;
    }
    return QTableView::eventFilter(watched, e);
}

void TDBGridEh::indicatorPress(QMouseEvent* e) {
    db::DataSet* ds = dataSet();
    const int row = verticalHeader()->logicalIndexAt(e->position().toPoint());
    if (ds == nullptr || !ds->active() || row < 0)
        return;
    setFocus(Qt::MouseFocusReason);
    const bool multi = options_.testFlag(dgMultiSelect);
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (multi && mods.testFlag(Qt::ShiftModifier)) {
        const int anchor = shiftAnchor_ >= 0 ? shiftAnchor_ : qMax(0, currentDataRow());
        moveToRow(row, false);
        commitEditor();
        closeEditorWithoutCommit();
        for (int r = qMin(anchor, row); r <= qMax(anchor, row); ++r)
            selected_.add(ds->bookmarkAt(r));
    } else if (multi && mods.testFlag(Qt::ControlModifier)) {
        moveToRow(row, false);
        commitEditor();
        closeEditorWithoutCommit();
        selected_.toggle(ds->bookmark());
        shiftAnchor_ = row;
    } else {
        moveToRow(row, true);
        shiftAnchor_ = row;
    }
    Invalidate();
    if (OnMouseDown)
        OnMouseDown(this, e->button(), mods, int(e->position().x()), int(e->position().y()));
}

void TDBGridEh::focusInEvent(QFocusEvent* e) {
    QTableView::focusInEvent(e);
    // Coming into the grid shows the current cell's editor when it is always shown; not when
    // the focus comes back from an editor that was just closed.
    const Qt::FocusReason reason = e->reason();
    const bool fromOutside = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                             reason == Qt::BacktabFocusReason ||
                             reason == Qt::ShortcutFocusReason ||
                             reason == Qt::ActiveWindowFocusReason;
    if (fromOutside && !editor_ && currentIndex().isValid() &&
        options_.testFlags(TDBGridOptions(dgEditing) | dgAlwaysShowEditor))
        edit(currentIndex(), CurrentChanged, nullptr);
}

void TDBGridEh::focusOutEvent(QFocusEvent* e) {
    controls::runHandler(this, [&] { focusOut(e); });
}

void TDBGridEh::focusOut(QFocusEvent* e) {
    QTableView::focusOutEvent(e);
    QWidget* now = QApplication::focusWidget();
    if (isInside(now, this) || !options_.testFlag(dgCancelOnExit))
        return;
    db::DataSet* ds = dataSet();
    if (ds != nullptr && ds->state() == db::DataSetState::Insert && !ds->modified())
        ds->cancel();
}
