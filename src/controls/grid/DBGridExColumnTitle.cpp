// Column titles and sort markers.
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/ui/Canvas.h"

namespace grid {

namespace {

constexpr TColumnAssignedValue TitleFlags[] = {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
                                               cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips,
                                               cvTitleOrientation};

// What the grid's title defaults give, or the value outside a grid.
template <typename T>
T TitleDefault(const TColumnEx& column, T (TColumnTitleDefValuesEx::*get)() const, T outside)
{
    TCustomDBGridEx* grid = column.Grid();
    return grid ? (grid->ColumnDefValues().Title().*get)() : outside;
}

} // namespace

TColumnTitleEx::TColumnTitleEx(TColumnEx& column) : column_(column)
{
    refreshFont();
    font_.OnChange = {this, &TColumnTitleEx::fontChanged};
}

bool TColumnTitleEx::assigned(TColumnAssignedValue value) const
{
    return column_.assigned(value);
}

void TColumnTitleEx::assign(TColumnAssignedValue value)
{
    column_.assign(value);
}

template <typename T>
void TColumnTitleEx::setValue(TColumnAssignedValue flag, T& field, const T& value)
{
    if (assigned(flag) && field == value) return;
    field = value;
    assign(flag);
    column_.Changed(false);
}

bool TColumnTitleEx::inUpdateBracket() const
{
    const rtl::TCollection* collection = column_.GetCollection();
    return collection && collection->GetUpdateCount() > 0;
}

void TColumnTitleEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnTitleEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    if (src->assigned(cvTitleAlignment)) SetAlignment(src->alignment_);
    if (src->assigned(cvTitleColor)) SetColor(src->color_);
    if (src->assigned(cvTitleCaption)) SetCaption(src->caption_);
    if (src->assigned(cvTitleFont)) SetFont(src->font_);
    SetHint(src->hint_);
    SetImageIndex(src->imageIndex_);
    SetOrientation(src->GetOrientation());
    SetSortIndex(src->sortIndex_);
    SetSortMarker(src->sortMarker_);
    SetTitleButton(src->GetTitleButton());
    SetEndEllipsis(src->GetEndEllipsis());
    SetToolTips(src->GetToolTips());
}

void TColumnTitleEx::RestoreDefaults()
{
    const bool fontWasAssigned = assigned(cvTitleFont);
    TColumnAssignedValues& values = column_.assignedValues_;
    for (TColumnAssignedValue flag : TitleFlags) values.Exclude(flag);
    caption_.clear();
    refreshFont();
    column_.Changed(fontWasAssigned);
}

rtl::TAlignment TColumnTitleEx::GetAlignment() const
{
    if (assigned(cvTitleAlignment)) return alignment_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetAlignment, rtl::taLeftJustify);
}

void TColumnTitleEx::SetAlignment(rtl::TAlignment value)
{
    setValue(cvTitleAlignment, alignment_, value);
}

bool TColumnTitleEx::IsAlignmentStored() const
{
    return assigned(cvTitleAlignment) && alignment_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetAlignment, rtl::taLeftJustify);
}

std::string TColumnTitleEx::GetCaption() const
{
    if (assigned(cvTitleCaption)) return caption_;
    if (db::TField* field = column_.Field()) return field->GetDisplayLabel();
    return column_.GetFieldName();
}

void TColumnTitleEx::SetCaption(const std::string& value)
{
    if (db::TField* field = column_.writeThroughField()) {
        field->SetDisplayLabel(value);
        return;
    }
    if (assigned(cvTitleCaption) && value == caption_) return;
    caption_ = value;
    assign(cvTitleCaption);
    column_.Changed(false);
}

bool TColumnTitleEx::IsCaptionStored() const
{
    if (!assigned(cvTitleCaption)) return false;
    db::TField* field = column_.Field();
    return caption_ != (field ? field->GetDisplayLabel() : column_.GetFieldName());
}

ui::TColor TColumnTitleEx::GetColor() const
{
    if (assigned(cvTitleColor)) return color_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetColor, ui::clBtnFace);
}

void TColumnTitleEx::SetColor(ui::TColor value)
{
    setValue(cvTitleColor, color_, value);
}

bool TColumnTitleEx::IsColorStored() const
{
    return assigned(cvTitleColor) && color_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetColor, ui::clBtnFace);
}

bool TColumnTitleEx::GetEndEllipsis() const
{
    if (assigned(cvTitleEndEllipsis)) return endEllipsis_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetEndEllipsis, false);
}

void TColumnTitleEx::SetEndEllipsis(bool value)
{
    setValue(cvTitleEndEllipsis, endEllipsis_, value);
}

bool TColumnTitleEx::IsEndEllipsisStored() const
{
    return assigned(cvTitleEndEllipsis) && endEllipsis_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetEndEllipsis, false);
}

void TColumnTitleEx::refreshFont() const
{
    if (assigned(cvTitleFont)) return;
    TCustomDBGridEx* grid = column_.Grid();
    TakeDerivedFont(font_, grid ? grid->TitleFont() : column_.GetFont(), copyingFont_);
}

ui::TFont& TColumnTitleEx::GetFont()
{
    refreshFont();
    return font_;
}

const ui::TFont& TColumnTitleEx::GetFont() const
{
    refreshFont();
    return font_;
}

void TColumnTitleEx::SetFont(const ui::TFont& value)
{
    GetFont().Assign(value);
}

bool TColumnTitleEx::IsFontStored() const
{
    return assigned(cvTitleFont);
}

void TColumnTitleEx::fontChanged(rtl::TObject*)
{
    if (copyingFont_) return;
    assign(cvTitleFont);
    column_.Changed(true);
}

void TColumnTitleEx::SetImageIndex(int value)
{
    if (value == imageIndex_) return;
    imageIndex_ = value;
    if (TCustomDBGridEx* grid = column_.Grid()) grid->LayoutChanged();
}

TTextOrientationEx TColumnTitleEx::GetOrientation() const
{
    if (assigned(cvTitleOrientation)) return orientation_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetOrientation, tohHorizontal);
}

void TColumnTitleEx::SetOrientation(TTextOrientationEx value)
{
    setValue(cvTitleOrientation, orientation_, value);
}

bool TColumnTitleEx::IsOrientationStored() const
{
    return assigned(cvTitleOrientation) && orientation_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetOrientation, tohHorizontal);
}

bool TColumnTitleEx::GetTitleButton() const
{
    if (assigned(cvTitleButton)) return titleButton_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetTitleButton, false);
}

void TColumnTitleEx::SetTitleButton(bool value)
{
    setValue(cvTitleButton, titleButton_, value);
}

bool TColumnTitleEx::IsTitleButtonStored() const
{
    return assigned(cvTitleButton) && titleButton_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetTitleButton, false);
}

bool TColumnTitleEx::GetToolTips() const
{
    if (assigned(cvTitleToolTips)) return toolTips_;
    return TitleDefault(column_, &TColumnTitleDefValuesEx::GetToolTips, false);
}

void TColumnTitleEx::SetToolTips(bool value)
{
    toolTips_ = value;
    assign(cvTitleToolTips);
}

bool TColumnTitleEx::IsToolTipsStored() const
{
    return assigned(cvTitleToolTips) && toolTips_ != TitleDefault(column_, &TColumnTitleDefValuesEx::GetToolTips, false);
}

// ---- sort markers

void TColumnTitleEx::SetSortMarker(TSortMarkerEx value)
{
    if (value == sortMarker_) return;
    sortMarker_ = value;
    auto* columns = dynamic_cast<TDBGridColumnsEx*>(column_.GetCollection());
    if (inUpdateBracket()) {
        // Put in order when the bracket ends.
        if (columns) columns->markSortOrderStale();
        return;
    }
    if (!columns) {
        sortIndex_ = value == smNoneEx ? 0 : 1;
        column_.Changed(false);
        return;
    }
    TCustomDBGridEx& grid = columns->Grid();
    TColumnsExList& order = grid.SortMarkedColumns();
    if (value == smNoneEx) {
        order.Remove(&column_);
        sortIndex_ = 0;
        columns->renumberSortOrder(&column_);
    } else if (!grid.GetOptionsEx().Contains(dghMultiSortMarking)) {
        for (int i = 0; i < columns->Count(); ++i) {
            TColumnEx* other = columns->Items(i);
            if (other != &column_ && other->Title()->sortMarker_ != smNoneEx) other->Title()->SetSortMarker(smNoneEx);
        }
        order.Clear();
        order.Add(&column_);
        sortIndex_ = 1;
    } else if (!order.Contains(&column_)) {
        order.Add(&column_);
        sortIndex_ = order.Count();
    }
    column_.Changed(false);
}

void TColumnTitleEx::SetSortIndex(int value)
{
    if (value < 0) value = 0;
    if (value == sortIndex_) return;
    auto* columns = dynamic_cast<TDBGridColumnsEx*>(column_.GetCollection());
    if (inUpdateBracket()) {
        sortIndex_ = value;
        if (columns) columns->markSortOrderStale();
        return;
    }
    if (sortMarker_ == smNoneEx || value == 0 || !columns) return;
    // Only an exchange with the column that holds the place keeps the places dense.
    TColumnEx* other = nullptr;
    for (int i = 0; i < columns->Count() && !other; ++i) {
        TColumnEx* candidate = columns->Items(i);
        if (candidate != &column_ && candidate->Title()->sortIndex_ == value) other = candidate;
    }
    if (!other) return;
    other->Title()->sortIndex_ = sortIndex_;
    sortIndex_ = value;
    TColumnsExList& order = columns->Grid().SortMarkedColumns();
    const int mine = order.IndexOf(&column_);
    const int theirs = order.IndexOf(other);
    if (mine >= 0 && theirs >= 0) order.Exchange(mine, theirs);
    other->Changed(false);
    column_.Changed(false);
}

void TColumnTitleEx::SetNextSortMarkerValue(bool KeepMulti)
{
    if (!KeepMulti) {
        if (auto* columns = dynamic_cast<TDBGridColumnsEx*>(column_.GetCollection())) {
            for (int i = 0; i < columns->Count(); ++i) {
                TColumnEx* other = columns->Items(i);
                if (other != &column_ && other->Title()->sortMarker_ != smNoneEx)
                    other->Title()->SetSortMarker(smNoneEx);
            }
        }
    }
    switch (sortMarker_) {
    case smNoneEx: SetSortMarker(smDownEx); break;
    case smDownEx: SetSortMarker(smUpEx); break;
    case smUpEx: SetSortMarker(KeepMulti ? smNoneEx : smDownEx); break;
    }
}

int TColumnTitleEx::GetSortMarkingWidth() const
{
    if (sortIndex_ == 0) return 0;
    int width = SortMarkerWidth;
    int textWidth = 0;
    TCustomDBGridEx* grid = column_.Grid();
    if (grid && grid->SortMarkedColumns().Count() >= 2) {
        ui::TCanvas canvas;
        canvas.Font().Assign(DBGridExSortIndexFont());
        textWidth = canvas.TextWidth(std::to_string(sortIndex_));
        width += textWidth;
    }
    const int room = column_.GetWidth() - 4;
    if (width > room) {
        width -= 14;
        if (width > room) width -= textWidth + 2;
    }
    return width;
}

} // namespace grid
