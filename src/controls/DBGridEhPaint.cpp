// Painting of the grid's data cells: draw state, cell parameters, default drawing, events.
#include "controls/DBGridEh.h"

#include "db/DataSet.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

void TDBGridEh::paintCell(QPainter* painter, const QRect& rect, int row, int col) {
    TColumnEh* column = Column(col);
    db::DataSet* ds = dataSet();
    if (column == nullptr || ds == nullptr || !ds->active()) {
        painter->fillRect(rect, color_);
        return;
    }
    db::DisplayRowScope shown(*ds, row);
    const QModelIndex cur = currentIndex();
    const bool currentRow = cur.isValid() && cur.row() == row;
    TGridDrawState state;
    if (currentRow && cur.column() == col)
        state = TGridDrawState(gdSelected) | gdFocused;
    else if (selected_.rowSelected(row) || (currentRow && optionsEh_.testFlag(dghRowHighlight)))
        state = gdSelected;

    canvas_.setPainter(painter);
    TFont font = column->Font();
    QColor background = column->Color();
    if (defaultDrawing_ && state.testFlag(gdSelected)) {
        const QPalette& pal = palette();
        background = state.testFlag(gdFocused) ? pal.color(QPalette::Highlight)
                                               : pal.color(QPalette::Highlight).lighter(160);
        if (state.testFlag(gdFocused))
            font.color = pal.color(QPalette::HighlightedText);
    }
    if (OnGetCellParams)
        OnGetCellParams(this, column, font, background, state);
    canvas_.setBrushColor(background);
    canvas_.setFont(font);
    if (defaultDrawing_)
        DefaultDrawColumnCell(rect, col, column, state);
    if (OnDrawColumnCell)
        OnDrawColumnCell(this, rect, col, column, state);
    canvas_.setPainter(nullptr);
}

void TDBGridEh::DefaultDrawColumnCell(const QRect& Rect, int, TColumnEh* Column, TGridDrawState) {
    db::Field* field = Column != nullptr ? Column->Field() : nullptr;
    if (field == nullptr) {
        canvas_.fillRect(Rect);
        return;
    }
    if (field->dataType() == db::FieldType::Boolean || Column->Checkboxes) {
        canvas_.fillRect(Rect);
        if (QPainter* p = canvas_.painter()) {
            QStyleOptionButton box;
            const int side = qMin(13, Rect.height() - 2);
            box.rect = QRect(Rect.x() + (Rect.width() - side) / 2,
                             Rect.y() + (Rect.height() - side) / 2, side, side);
            box.state =
                QStyle::State_Enabled | (field->asBoolean() ? QStyle::State_On : QStyle::State_Off);
            style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, this);
        }
        return;
    }
    QString text = field->text();
    const int right = Rect.x() + Rect.width();
    if (Column->EndEllipsis)
        text = QFontMetrics(canvas_.font().font).elidedText(text, Qt::ElideRight, Rect.width() - 5);
    const int w = canvas_.textWidth(text);
    const int h = canvas_.textHeight(text);
    int x = Rect.x() + 2;
    if (Column->Alignment() == db::Alignment::Right)
        x = right - w - 3;
    else if (Column->Alignment() == db::Alignment::Center)
        x = Rect.x() + Rect.width() / 2 - w / 2;
    const int y = Rect.y() + Rect.height() / 2 - h / 2;
    canvas_.textRect(Rect, x, y, text);
}
