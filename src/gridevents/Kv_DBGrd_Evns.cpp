// The grid editing events component: its lists, attaching and releasing a grid, painting.
#include "gridevents/Kv_DBGrd_Evns.h"

#include "db/DataSet.h"
#include "db/DataSource.h"
#include "platform/Clipboard.h"

#include <QWidget>

namespace {

// Registered once per run, before any window exists.
const QString registeredFormat =
    platform::registerClipboardFormat(gridevents::kClipboardFormatName);

// Lookups in the component's lists ignore letter case.
bool holds(const QStringList& list, const QString& value) {
    return list.contains(value, Qt::CaseInsensitive);
}

} // namespace

// --- Field list

void TKvFieldList::purge() const {
    std::erase_if(fields_, [](const QPointer<db::Field>& f) { return f.isNull(); });
}

void TKvFieldList::Add(db::Field* field) {
    if (field != nullptr)
        fields_.emplace_back(field);
}

void TKvFieldList::Remove(db::Field* field) {
    std::erase_if(fields_, [field](const QPointer<db::Field>& f) { return f == field; });
}

int TKvFieldList::Count() const {
    purge();
    return int(fields_.size());
}

db::Field* TKvFieldList::operator[](int index) const {
    purge();
    return fields_.at(size_t(index));
}

// --- Component

TKvDBGridEvents::TKvDBGridEvents(QObject* owner)
    : QObject(owner) {}

TKvDBGridEvents::~TKvDBGridEvents() {
    if (grid_)
        release(grid_);
}

QString TKvDBGridEvents::clipboardFormat() {
    return registeredFormat;
}

void TKvDBGridEvents::setDBGridEh(TKvDBGridEh* grid) {
    if (grid == nullptr) {
        disconnect(gridDestroyedConnection_);
        if (grid_)
            release(grid_);
    } else if (grid != grid_) {
        TKvDBGridEh* before = grid_;
        attach(grid);
        if (before != nullptr)
            release(before);
    }
    grid_ = grid;
    attributes_.setRepaintTarget(grid);
}

void TKvDBGridEvents::attach(TKvDBGridEh* grid) {
    disconnect(gridDestroyedConnection_);
    gridDestroyedConnection_ =
        connect(grid, &QObject::destroyed, this, &TKvDBGridEvents::gridDestroyed);
    grid->setDefaultDrawing(false);
    grid->setAllowedOperations(grid->AllowedOperations() &
                               ~TDBGridEhAllowedOperations(alopDeleteEh));
    grid->setEditActions(TDBGridEhEditActions());
    grid->OnDrawColumnCell = [this](QObject* s, const QRect& r, int c, TColumnEh* col,
                                    TGridDrawState st) { GridDrawColumnCell(s, r, c, col, st); };
    grid->OnKeyDown = [this](QObject* s, quint16& k, TShiftState sh) { GridKeyDown(s, k, sh); };
    grid->Invalidate();
}

void TKvDBGridEvents::release(TKvDBGridEh* grid) {
    grid->setDefaultDrawing(true);
    grid->setAllowedOperations(grid->AllowedOperations() | alopDeleteEh);
    grid->setEditActions(TDBGridEhEditActions());
    grid->OnDrawColumnCell = nullptr;
    grid->OnKeyDown = nullptr;
    grid->Invalidate();
}

void TKvDBGridEvents::gridDestroyed(QObject*) {
    // Only the attached grid is watched; it is half destroyed here, so it is not looked at.
    grid_ = nullptr;
    attributes_.setRepaintTarget(nullptr);
}

db::DataSet* TKvDBGridEvents::dataSet() const {
    return grid_ ? grid_->dataSet() : nullptr;
}

QWidget* TKvDBGridEvents::ownerWindow() const {
    return qobject_cast<QWidget*>(parent());
}

void TKvDBGridEvents::report(quint16 errorId) {
    if (OnKvDBEGridError)
        OnKvDBEGridError(this, errorId);
}

// --- Painting

QString TKvDBGridEvents::keyString() const {
    QString key;
    for (int i = 0; i < KeyFieldList.Count(); ++i)
        key += KeyFieldList[i]->text();
    return key;
}

void TKvDBGridEvents::chooseColors(TColumnEh* column, TGridDrawState state, QColor& color,
                                   TFont& font) const {
    db::DataSet* ds = dataSet();
    const bool inserting = ds != nullptr && ds->state() == db::DataSetState::Insert;
    const bool alwaysEditor = grid_->Options().testFlag(dgAlwaysShowEditor);
    const bool noSelection = grid_->SelectedRows().Count() == 0;
    const TKvDBGridAttr* attr = nullptr;
    if (state == TGridDrawState(gdSelected)) {
        if (inserting && (alwaysEditor || noSelection)) {
            attr = nullptr;
        } else if (column != nullptr &&
                   holds(attributes_.FixedAttr.List(), column->TitleCaption.toUpper())) {
            color = attributes_.FixedAttr.SelColor();
            font = attributes_.FixedAttr.SelFont();
            return;
        } else {
            attr = &attributes_.SelAttr;
        }
    } else if (state == (TGridDrawState(gdSelected) | gdFocused)) {
        if (!(inserting || (alwaysEditor && noSelection)))
            attr = &attributes_.FocusedAttr;
    } else {
        const QString unique = uniqueField_ ? uniqueField_->text() : QString();
        if (!duplicates_.isEmpty() && holds(duplicates_, keyString()))
            attr = &attributes_.DuplicateAttr;
        else if (uniqueField_ && holds(errors_, unique))
            attr = &attributes_.ErrorAttr;
        else if (uniqueField_ && holds(pasted_, unique))
            attr = &attributes_.AfterPasteAttr;
    }
    if (attr != nullptr) {
        color = attr->Color();
        font = attr->Font();
    } else if (column != nullptr) {
        color = column->Color();
        font = column->Font();
    }
}

void TKvDBGridEvents::GridDrawColumnCell(QObject* Sender, const QRect& Rect, int DataCol,
                                         TColumnEh* Column, TGridDrawState State) {
    if (!grid_)
        return;
    QColor color;
    TFont font;
    chooseColors(Column, State, color, font);
    TCanvas& canvas = grid_->Canvas();
    canvas.setBrushColor(color);
    canvas.setFont(font);

    db::Field* field = Column != nullptr ? Column->Field() : nullptr;
    const QString text = field != nullptr ? field->text() : QString();
    const int w = canvas.textWidth(text);
    const int h = canvas.textHeight(text);
    const int left = Rect.x();
    const int right = Rect.x() + Rect.width();
    const int top = Rect.y();
    const int bottom = Rect.y() + Rect.height();
    int x = left + 2;
    const db::Alignment align = Column != nullptr ? Column->Alignment() : db::Alignment::Left;
    if (align == db::Alignment::Right)
        x = right - w - 3;
    else if (align == db::Alignment::Center)
        x = left + (right - left) / 2 - w / 2;
    const int y = top + (bottom - top) / 2 - h / 2;
    canvas.textRect(Rect, x, y, text);

    if (OnDrawColumnCell)
        OnDrawColumnCell(Sender, Rect, DataCol, Column, State);
}
