// Footer settings of a column.
#include "controls/grid/DBGridExFooters.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExUtils.h"

namespace grid {

// ---- TColumnFooterEx

TColumnFooterEx::TColumnFooterEx(rtl::TCollection* collection) : rtl::TCollectionItem(collection)
{
    if (auto* footers = dynamic_cast<TColumnFootersEx*>(collection)) column_ = &footers->Column();
    init();
}

TColumnFooterEx::TColumnFooterEx(TColumnEx& column) : rtl::TCollectionItem(nullptr)
{
    column_ = &column;
    init();
}

void TColumnFooterEx::init()
{
    refreshFont();
    font_.OnChange = {this, &TColumnFooterEx::fontChanged};
}

TColumnFooterEx::~TColumnFooterEx()
{
    if (TCustomDBGridEx* g = grid()) g->SumList().UnbindFooter(*this);
}

TCustomDBGridEx* TColumnFooterEx::grid() const
{
    return column_ ? column_->Grid() : nullptr;
}

void TColumnFooterEx::changed()
{
    if (GetCollection()) rtl::TCollectionItem::Changed(false);
    else if (column_) column_->Changed(false);
}

void TColumnFooterEx::BindSum()
{
    if (TCustomDBGridEx* g = grid()) g->SumList().BindFooter(*this);
}

void TColumnFooterEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnFooterEx*>(source);
    if (!src) {
        rtl::TCollectionItem::Assign(source);
        return;
    }
    if (src->assignedValues_.Contains(fvAlignment)) SetAlignment(src->alignment_);
    if (src->assignedValues_.Contains(fvColor)) SetColor(src->color_);
    if (src->assignedValues_.Contains(fvFont)) SetFont(src->font_);
    if (src->assignedValues_.Contains(fvToolTips)) SetToolTips(src->toolTips_);
    SetDisplayFormat(src->displayFormat_);
    SetEndEllipsis(src->endEllipsis_);
    SetFieldName(src->fieldName_);
    SetValue(src->value_);
    SetValueType(src->valueType_);
    SetWordWrap(src->wordWrap_);
}

void TColumnFooterEx::RestoreDefaults()
{
    assignedValues_ = {};
    refreshFont();
    changed();
}

rtl::TAlignment TColumnFooterEx::GetAlignment() const
{
    if (assignedValues_.Contains(fvAlignment)) return alignment_;
    const db::TField* field = column_ ? column_->Field() : nullptr;
    return field ? field->GetAlignment() : rtl::taLeftJustify;
}

void TColumnFooterEx::SetAlignment(rtl::TAlignment value)
{
    if (assignedValues_.Contains(fvAlignment) && value == alignment_) return;
    alignment_ = value;
    assignedValues_.Include(fvAlignment);
    changed();
}

bool TColumnFooterEx::IsAlignmentStored() const
{
    if (!assignedValues_.Contains(fvAlignment)) return false;
    const db::TField* field = column_ ? column_->Field() : nullptr;
    return alignment_ != (field ? field->GetAlignment() : rtl::taLeftJustify);
}

ui::TColor TColumnFooterEx::GetColor() const
{
    if (assignedValues_.Contains(fvColor)) return color_;
    const TCustomDBGridEx* g = grid();
    return g ? g->GetFooterColor() : ui::clWindow;
}

void TColumnFooterEx::SetColor(ui::TColor value)
{
    if (assignedValues_.Contains(fvColor) && value == color_) return;
    color_ = value;
    assignedValues_.Include(fvColor);
    changed();
}

bool TColumnFooterEx::IsColorStored() const
{
    const TCustomDBGridEx* g = grid();
    return assignedValues_.Contains(fvColor) && color_ != (g ? g->GetFooterColor() : ui::clWindow);
}

void TColumnFooterEx::SetDisplayFormat(const std::string& value)
{
    if (value == displayFormat_) return;
    displayFormat_ = value;
    changed();
}

void TColumnFooterEx::SetEndEllipsis(bool value)
{
    if (value == endEllipsis_) return;
    endEllipsis_ = value;
    changed();
}

void TColumnFooterEx::SetFieldName(const std::string& value)
{
    if (value == fieldName_) return;
    fieldName_ = value;
    BindSum();
    changed();
}

void TColumnFooterEx::refreshFont() const
{
    if (assignedValues_.Contains(fvFont) || !column_) return;
    const TCustomDBGridEx* g = grid();
    TakeDerivedFont(font_, g ? g->FooterFont() : column_->GetFont(), copyingFont_);
}

ui::TFont& TColumnFooterEx::GetFont()
{
    refreshFont();
    return font_;
}

const ui::TFont& TColumnFooterEx::GetFont() const
{
    refreshFont();
    return font_;
}

void TColumnFooterEx::SetFont(const ui::TFont& value)
{
    GetFont().Assign(value);
}

void TColumnFooterEx::fontChanged(rtl::TObject*)
{
    if (copyingFont_) return;
    assignedValues_.Include(fvFont);
    changed();
}

bool TColumnFooterEx::GetToolTips() const
{
    if (assignedValues_.Contains(fvToolTips)) return toolTips_;
    const TCustomDBGridEx* g = grid();
    return g && g->ColumnDefValues().Footer().GetToolTips();
}

void TColumnFooterEx::SetToolTips(bool value)
{
    if (assignedValues_.Contains(fvToolTips) && value == toolTips_) return;
    toolTips_ = value;
    assignedValues_.Include(fvToolTips);
    changed();
}

void TColumnFooterEx::SetValue(const std::string& value)
{
    if (value == value_) return;
    value_ = value;
    changed();
}

void TColumnFooterEx::SetValueType(TFooterValueType value)
{
    if (value == valueType_) return;
    valueType_ = value;
    BindSum();
    changed();
}

void TColumnFooterEx::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    changed();
}

// ---- TColumnFootersEx

TColumnFootersEx::TColumnFootersEx(TColumnEx& column)
    : rtl::TCollection(ItemClass<TColumnFooterEx>(), &column), column_(column)
{
}

TColumnFootersEx::~TColumnFootersEx() = default;

void TColumnFootersEx::Update(rtl::TCollectionItem*)
{
    column_.Changed(false);
}

} // namespace grid
