// The lookup list box; choices run in its own event handlers.
#include "controls/DBLookupListBox.h"

#include "controls/HandlerErrors.h"

#include <QKeyEvent>
#include <QMouseEvent>

TDBLookupListBox::TDBLookupListBox(QWidget* parent)
    : QListWidget(parent)
    , binding_(this) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    binding_.changed = [this] { refill(); };
    connect(&binding_, &controls::LookupBinding::valueChanged, this,
            &TDBLookupListBox::keyValueChanged);
}

void TDBLookupListBox::refill() {
    const auto& items = binding_.items();
    bool same = count() == int(items.size());
    for (int i = 0; same && i < count(); ++i)
        same = item(i)->text() == items[size_t(i)].text;
    if (!same) {
        clear();
        for (const auto& it : items)
            addItem(it.text);
    }
    showValue();
}

void TDBLookupListBox::showValue() {
    const int row = binding_.indexOfValue();
    setCurrentRow(row, row >= 0 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear);
}

void TDBLookupListBox::choose(int index) {
    binding_.choose(index);
    if (OnClick)
        OnClick(this);
}

void TDBLookupListBox::keyPressEvent(QKeyEvent* e) {
    controls::runHandler(this, [&] { keyPress(e); });
}

void TDBLookupListBox::keyPress(QKeyEvent* e) {
    if (keys::ownerSwallowsKey(OnKeyDown, this, *e))
        return;
    if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
        if (binding_.items().empty())
            return;
        int row = binding_.indexOfValue();
        row = row < 0 ? 0 : row + (e->key() == Qt::Key_Up ? -1 : 1);
        choose(qBound(0, row, int(binding_.items().size()) - 1));
        return;
    }
    e->ignore();
}

void TDBLookupListBox::mousePressEvent(QMouseEvent* e) {
    controls::runHandler(this, [&] { mousePress(e); });
}

void TDBLookupListBox::mousePress(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(e->position().toPoint());
    if (index.isValid() && e->button() == Qt::LeftButton)
        choose(index.row());
}

void TDBLookupListBox::mouseMoveEvent(QMouseEvent*) {}
void TDBLookupListBox::mouseReleaseEvent(QMouseEvent*) {}
void TDBLookupListBox::mouseDoubleClickEvent(QMouseEvent*) {}

void TDBLookupListBox::focusInEvent(QFocusEvent* e) {
    QListWidget::focusInEvent(e);
    showValue(); // focus alone chooses no row
    if (OnEnter)
        controls::runHandler(this, [&] { OnEnter(this); });
}
