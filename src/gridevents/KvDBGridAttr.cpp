// Attribute objects and their initial values.
#include "gridevents/KvDBGridAttr.h"

void TKvDBGridAttr::setFont(const TFont& f) {
    font_ = f;
    repaint();
}

void TKvDBGridAttr::setColor(const QColor& c) {
    if (c == color_)
        return;
    color_ = c;
    repaint();
}

void TKvDBGridAttr::repaint() {
    if (target_)
        target_->Invalidate();
}

void TKvDBGridFixedAttr::setList(const QStringList& titles) {
    list_ = titles;
    repaint();
}

void TKvDBGridFixedAttr::setSelFont(const TFont& f) {
    selFont_ = f;
    repaint();
}

void TKvDBGridFixedAttr::setSelColor(const QColor& c) {
    if (c == selColor_)
        return;
    selColor_ = c;
    repaint();
}

void TKvDBGridFixedAttr::repaint() {
    if (target_)
        target_->Invalidate();
}

TKvDBAttributes::TKvDBAttributes() {
    SelAttr.Font().color = colors::clWhite();
    AfterPasteAttr.setColor(colors::clInfoBk());
    DuplicateAttr.setColor(colors::clGreen());
    ErrorAttr.setColor(colors::clRed());
    FocusedAttr.setColor(colors::fromWindowsValue(5197647));
    FocusedAttr.Font().color = colors::clWhite();
    FocusedAttr.Font().setBold(true);
    FixedAttr.setSelColor(colors::clMoneyGreen());
    FixedAttr.SelFont().setBold(true);
}

void TKvDBAttributes::setRepaintTarget(TKvDBGridEh* grid) {
    SelAttr.setRepaintTarget(grid);
    AfterPasteAttr.setRepaintTarget(grid);
    DuplicateAttr.setRepaintTarget(grid);
    ErrorAttr.setRepaintTarget(grid);
    FocusedAttr.setRepaintTarget(grid);
    FixedAttr.setRepaintTarget(grid);
}
