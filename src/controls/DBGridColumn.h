// One column of the data-aware grid: its field, title, look and editing settings.
#pragma once

#include "controls/Graphics.h"
#include "controls/GridTypes.h"
#include "db/Field.h"

#include <QStringList>

#include <optional>

class TDBGridEh;

// Settings left unset follow the grid (colour, font) or the field (alignment, read-only).
class TColumnEh {
public:
    TColumnEh(TDBGridEh* grid, const QString& fieldName);

    TDBGridEh* Grid() const { return grid_; }
    int Index() const;

    QString FieldName;
    // Lines of the title are separated by '\n'.
    QString TitleCaption;
    Qt::Alignment TitleAlignment = Qt::AlignLeft;
    // Pixels; -1 takes the grid's default width.
    int Width = -1;
    // Equal non-zero minimum and maximum keep the width when columns are fitted.
    int MinWidth = 0;
    int MaxWidth = 0;
    bool ReadOnly = false;
    bool Visible = true;
    // Values offered in a drop-down list; the stored text is the chosen text.
    QStringList PickList;
    int DropDownWidth = 0;
    // Boolean values shown and edited as a check box.
    bool Checkboxes = false;
    // Long text ends with an ellipsis.
    bool EndEllipsis = false;
    TColumnEhUpdateDataEvent OnUpdateData;

    // The column's own colour and font: set ones, else the grid's.
    QColor Color() const;
    void setColor(const QColor& c) { color_ = c; }
    TFont Font() const;
    void setFont(const TFont& f) { font_ = f; }
    db::Alignment Alignment() const;
    void setAlignment(db::Alignment a) { alignment_ = a; }

    // The field of the grid's data set with the column's name, or none.
    db::Field* Field() const;
    bool isFixedWidth() const { return MinWidth > 0 && MinWidth == MaxWidth; }
    // The column cannot take an edit: read-only column or field, or a lookup without a key
    // field to write.
    bool cannotEdit() const;

private:
    TDBGridEh* grid_;
    std::optional<QColor> color_;
    std::optional<TFont> font_;
    std::optional<db::Alignment> alignment_;
};
