// The default values that a grid's columns, titles and footers derive from.
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"

namespace grid {

// ---- TColumnTitleDefValuesEx

TColumnTitleDefValuesEx::TColumnTitleDefValuesEx(TColumnDefValuesEx& owner) : owner_(owner)
{
}

void TColumnTitleDefValuesEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnTitleDefValuesEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    if (src->alignmentAssigned_) SetAlignment(src->alignment_);
    if (src->colorAssigned_) SetColor(src->color_);
    SetEndEllipsis(src->endEllipsis_);
    SetOrientation(src->orientation_);
    SetTitleButton(src->titleButton_);
    SetToolTips(src->toolTips_);
}

rtl::TAlignment TColumnTitleDefValuesEx::GetAlignment() const
{
    if (alignmentAssigned_) return alignment_;
    return owner_.Grid().GetUseMultiTitle() ? rtl::taCenter : rtl::taLeftJustify;
}

void TColumnTitleDefValuesEx::SetAlignment(rtl::TAlignment value)
{
    if (alignmentAssigned_ && value == alignment_) return;
    alignment_ = value;
    alignmentAssigned_ = true;
    owner_.Grid().LayoutChanged();
}

bool TColumnTitleDefValuesEx::IsAlignmentStored() const
{
    return alignmentAssigned_
           && alignment_ != (owner_.Grid().GetUseMultiTitle() ? rtl::taCenter : rtl::taLeftJustify);
}

ui::TColor TColumnTitleDefValuesEx::GetColor() const
{
    return colorAssigned_ ? color_ : owner_.Grid().FixedColor();
}

void TColumnTitleDefValuesEx::SetColor(ui::TColor value)
{
    if (colorAssigned_ && value == color_) return;
    color_ = value;
    colorAssigned_ = true;
    owner_.Grid().Invalidate();
}

bool TColumnTitleDefValuesEx::IsColorStored() const
{
    return colorAssigned_ && color_ != owner_.Grid().FixedColor();
}

void TColumnTitleDefValuesEx::SetEndEllipsis(bool value)
{
    if (value == endEllipsis_) return;
    endEllipsis_ = value;
    owner_.Grid().Invalidate();
}

void TColumnTitleDefValuesEx::SetOrientation(TTextOrientationEx value)
{
    if (value == orientation_) return;
    orientation_ = value;
    owner_.Grid().LayoutChanged();
}

// ---- TColumnFooterDefValuesEx

void TColumnFooterDefValuesEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnFooterDefValuesEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetToolTips(src->toolTips_);
}

// ---- TColumnDefValuesEx

TColumnDefValuesEx::TColumnDefValuesEx(TCustomDBGridEx& grid) : grid_(grid)
{
    title_ = std::make_unique<TColumnTitleDefValuesEx>(*this);
    footer_ = std::make_unique<TColumnFooterDefValuesEx>();
}

TColumnDefValuesEx::~TColumnDefValuesEx() = default;

void TColumnDefValuesEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnDefValuesEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetAlwaysShowEditButton(src->alwaysShowEditButton_);
    SetAutoDropDown(src->autoDropDown_);
    SetDblClickNextVal(src->dblClickNextVal_);
    SetDropDownShowTitles(src->dropDownShowTitles_);
    SetDropDownSizing(src->dropDownSizing_);
    SetEndEllipsis(src->endEllipsis_);
    SetToolTips(src->toolTips_);
    SetTitle(*src->title_);
    SetFooter(*src->footer_);
}

void TColumnDefValuesEx::SetAlwaysShowEditButton(bool value)
{
    if (value == alwaysShowEditButton_) return;
    alwaysShowEditButton_ = value;
    grid_.Invalidate();
}

void TColumnDefValuesEx::SetEndEllipsis(bool value)
{
    if (value == endEllipsis_) return;
    endEllipsis_ = value;
    grid_.Invalidate();
}

} // namespace grid
