// Colour and font attributes of the grid editing events component.
#pragma once

#include "controls/Graphics.h"
#include "controls/KvDBGridEh.h"

#include <QPointer>
#include <QStringList>

// One background-and-font pair; repaints its grid when set.
class TKvDBGridAttr {
public:
    TKvDBGridAttr() = default;
    TKvDBGridAttr(const TKvDBGridAttr&) = delete;
    TKvDBGridAttr& operator=(const TKvDBGridAttr&) = delete;

    // Changing the font in place repaints nothing; setFont copies and always repaints.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void setFont(const TFont& f);
    QColor Color() const { return color_; }
    // Only a different colour is stored and repaints.
    void setColor(const QColor& c);

    void setRepaintTarget(TKvDBGridEh* grid) { target_ = grid; }
    TKvDBGridEh* repaintTarget() const { return target_; }

private:
    void repaint();

    TFont font_;
    QColor color_ = colors::clBlack();
    QPointer<TKvDBGridEh> target_;
};

// Colours of the selected cells in the columns whose titles List names.
class TKvDBGridFixedAttr {
public:
    TKvDBGridFixedAttr() = default;
    TKvDBGridFixedAttr(const TKvDBGridFixedAttr&) = delete;
    TKvDBGridFixedAttr& operator=(const TKvDBGridFixedAttr&) = delete;

    const QStringList& List() const { return list_; }
    void setList(const QStringList& titles);
    TFont& SelFont() { return selFont_; }
    const TFont& SelFont() const { return selFont_; }
    void setSelFont(const TFont& f);
    QColor SelColor() const { return selColor_; }
    void setSelColor(const QColor& c);

    void setRepaintTarget(TKvDBGridEh* grid) { target_ = grid; }

private:
    void repaint();

    QStringList list_;
    TFont selFont_;
    QColor selColor_ = colors::clBlack();
    QPointer<TKvDBGridEh> target_;
};

// The six attribute objects, configured in place and never replaced.
class TKvDBAttributes {
public:
    TKvDBAttributes();
    TKvDBAttributes(const TKvDBAttributes&) = delete;
    TKvDBAttributes& operator=(const TKvDBAttributes&) = delete;

    TKvDBGridAttr SelAttr;
    TKvDBGridAttr AfterPasteAttr;
    TKvDBGridAttr DuplicateAttr;
    TKvDBGridAttr ErrorAttr;
    TKvDBGridAttr FocusedAttr;
    TKvDBGridFixedAttr FixedAttr;

    void setRepaintTarget(TKvDBGridEh* grid);
};
