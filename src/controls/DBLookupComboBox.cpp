// The lookup drop-down. Choices are handled in its own event handlers; an error raised by a
// handler of the owner reaches the application's error box.
#include "controls/DBLookupComboBox.h"

#include "controls/HandlerErrors.h"

#include "db/DataSet.h"
#include "db/ValueCompare.h"

#include <QKeyEvent>
#include <QMouseEvent>

TDBLookupComboBox::TDBLookupComboBox(QWidget* parent)
    : QComboBox(parent)
    , binding_(this) {
    setEditable(false);
    binding_.changed = [this] { refill(); };
    connect(&binding_, &controls::LookupBinding::valueChanged, this,
            &TDBLookupComboBox::keyValueChanged);
    // Qt's own popup decides what a click is: a press that opens the list and its quick
    // release choose nothing; a later click or Enter on an entry chooses it.
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!filling_ && index >= 0)
            controls::runHandler(this, [&] { choose(index); });
    });
}

void TDBLookupComboBox::refill() {
    filling_ = true;
    const auto& items = binding_.items();
    bool same = count() == int(items.size());
    for (int i = 0; same && i < count(); ++i)
        same = itemText(i) == items[size_t(i)].text &&
               db::sameValue(itemData(i), items[size_t(i)].key);
    if (!same) {
        clear();
        for (const auto& item : items)
            addItem(item.text, item.key);
    }
    setCurrentIndex(binding_.indexOfValue());
    filling_ = false;
}

void TDBLookupComboBox::choose(int index) {
    binding_.choose(index);
    if (OnClick)
        OnClick(this);
}

void TDBLookupComboBox::keyPressEvent(QKeyEvent* e) {
    controls::runHandler(this, [&] { keyPress(e); });
}

void TDBLookupComboBox::keyPress(QKeyEvent* e) {
    if (keys::ownerSwallowsKey(OnKeyDown, this, *e))
        return;
    const bool alt = e->modifiers().testFlag(Qt::AltModifier);
    if ((e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) && !alt) {
        if (binding_.items().empty())
            return;
        // A value not in the list starts over at the first row.
        int row = binding_.indexOfValue();
        row = row < 0 ? 0 : row + (e->key() == Qt::Key_Up ? -1 : 1);
        choose(qBound(0, row, int(binding_.items().size()) - 1));
        return;
    }
    if (e->key() == Qt::Key_F4 || alt || e->key() == Qt::Key_Space) {
        showPopup();
        return;
    }
    // Type-ahead and other keys would change the shown entry behind the value's back.
    e->ignore();
}

void TDBLookupComboBox::mousePressEvent(QMouseEvent* e) {
    controls::runHandler(this, [&] { mousePress(e); });
}

void TDBLookupComboBox::mousePress(QMouseEvent* e) {
    if (OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()),
                    int(e->position().y()));
    QComboBox::mousePressEvent(e);
}

void TDBLookupComboBox::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    if (OnEnter)
        controls::runHandler(this, [&] { OnEnter(this); });
}

void TDBLookupComboBox::wheelEvent(QWheelEvent* e) {
    e->ignore();
}
