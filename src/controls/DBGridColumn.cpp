// Grid columns: settings that fall back to the grid and the field.
#include "controls/DBGridColumn.h"

#include "controls/DBGridEh.h"
#include "db/DataSet.h"

TColumnEh::TColumnEh(TDBGridEh* grid, const QString& fieldName)
    : FieldName(fieldName)
    , TitleCaption(fieldName)
    , grid_(grid) {}

int TColumnEh::Index() const {
    return grid_->columnIndex(this);
}

QColor TColumnEh::Color() const {
    return color_ ? *color_ : grid_->Color();
}

TFont TColumnEh::Font() const {
    return font_ ? *font_ : grid_->Font();
}

db::Alignment TColumnEh::Alignment() const {
    if (alignment_)
        return *alignment_;
    if (const db::Field* f = Field())
        return f->alignment();
    return db::Alignment::Left;
}

db::Field* TColumnEh::Field() const {
    db::DataSet* ds = grid_->dataSet();
    if (ds == nullptr || !ds->active())
        return nullptr;
    return ds->findField(FieldName);
}

bool TColumnEh::cannotEdit() const {
    if (ReadOnly)
        return true;
    db::Field* f = Field();
    if (f == nullptr)
        return true;
    if (f->isLookup())
        return f->keyFields().isEmpty() || f->dataSet()->findField(f->keyFields()) == nullptr ||
               f->dataSet()->findField(f->keyFields())->readOnly();
    return f->readOnly() || f->fieldKind() == db::FieldKind::Calculated;
}
