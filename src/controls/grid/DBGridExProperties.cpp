// The grid's property setters: each compares first, stores, and then repaints, lays the
// grid out again or hands the option on, as the property asks; the fonts that follow the
// grid's font.
#include <algorithm>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/InplaceEdit.h"

namespace grid {

void TCustomDBGridEx::SetReadOnly(bool value)
{
    if (value == readOnly_) return;
    readOnly_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetDrawMemoText(bool value)
{
    if (value == drawMemoText_) return;
    drawMemoText_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetFlat(bool value)
{
    if (value == flat_) return;
    flat_ = value;
    frameHeightAllowance_ = flat_ ? 2 : 4;
    RecalcNonClient();
    LayoutChanged();
}

void TCustomDBGridEx::applyBaseOptions()
{
    ui::TGridOptions base = 0;
    if (options_.Contains(dgColLines)) base |= ui::goFixedVertLine | ui::goVertLine;
    if (options_.Contains(dgRowLines)) base |= ui::goFixedHorzLine | ui::goHorzLine;
    if (options_.Contains(dgColumnResize) || IsDesigning()) base |= ui::goColSizing;
    if (options_.Contains(dgColumnResize)) base |= ui::goColMoving;
    if (options_.Contains(dgTabs)) base |= ui::goTabs;
    if (options_.Contains(dgEditing)) base |= ui::goEditing;
    if (options_.Contains(dgAlwaysShowEditor)) base |= ui::goAlwaysShowEditor;
    if (options_.Contains(dgRowSelect)) base |= ui::goRowSelect;
    if (rowSizingAllowed_) base |= ui::goRowSizing;
    ui::TCustomGrid::SetOptions(base);
}

void TCustomDBGridEx::SetOptions(TDBGridOptions value)
{
    if (value.Contains(dgRowSelect)) value.Exclude(dgEditing).Exclude(dgAlwaysShowEditor);
    if (value == options_) return;
    const TDBGridOptions changed = (value - options_) | (options_ - value);
    const bool multiSelectRemoved = options_.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect);
    options_ = value;
    applyBaseOptions();
    if (multiSelectRemoved) ClearSelection();
    const TDBGridOptions layoutOptions = {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines,
                                          dgRowLines, dgRowSelect, dgAlwaysShowSelection};
    if (!(changed & layoutOptions).IsEmpty()) LayoutChanged();
    if (InplaceEditor() && InplaceEditor()->Visible()) InvalidateEditor();
}

void TCustomDBGridEx::SetOptionsEx(TDBGridExOptions value)
{
    if (value == optionsEx_) return;
    const bool multiSortRemoved = optionsEx_.Contains(dghMultiSortMarking) && !value.Contains(dghMultiSortMarking);
    optionsEx_ = value;
    if (multiSortRemoved) {
        // The first sorted column keeps its marker; the others lose theirs.
        std::vector<TColumnEx*> rest(sortMarkedColumns_.begin(), sortMarkedColumns_.end());
        if (!rest.empty()) rest.erase(rest.begin());
        for (TColumnEx* column : rest) column->Title()->SetSortMarker(smNoneEx);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetAutoFitColWidths(bool value)
{
    if (value == autoFitColWidths_) return;
    autoFitColWidths_ = value;
    if (IsDesigning()) return;
    if (value) {
        if (!IsLoading())
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetInitWidth(columns_->Items(i)->GetWidth());
        SetScrollBars(ui::ssNone);
    } else {
        {
            const rtl::TUpdateScope update(*columns_);
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetWidth(columns_->Items(i)->GetInitWidth());
        }
        SetScrollBars(ui::ssHorizontal);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetUseMultiTitle(bool value)
{
    if (value == useMultiTitle_) return;
    useMultiTitle_ = value;
    LayoutChanged();
}

void TCustomDBGridEx::SetStyle(TDBGridExStyle* value)
{
    if (value == style_) return;
    if (style_) style_->RemoveGrid(this);
    style_ = value;
    if (style_) style_->AddGrid(this);
    LayoutChanged();
}

void TCustomDBGridEx::SetAllowedSelections(TDBGridExSelectionTypes value)
{
    if (value == allowedSelections_) return;
    allowedSelections_ = value;
    if (!SelectionTypeAllowed(selection_->SelectionType())) selection_->Clear();
}

void TCustomDBGridEx::SetFooterRowCount(int value)
{
    if (value < 0 || value == footerRowCount_) return;
    footerRowCount_ = value;
    evaluateMemTable();
    LayoutChanged();
}

void TCustomDBGridEx::SetFooterColor(ui::TColor value)
{
    if (!IsLoading()) SetParentColor(false);
    if (value == footerColor_) return;
    footerColor_ = value;
    if (footerRowCount_ >= 1) Invalidate();
}

void TCustomDBGridEx::SetFrozenCols(int value)
{
    if (value < 0 || value == frozenCols_) return;
    frozenCols_ = value;
    LayoutChanged();
}

namespace {

// Stores a layout value; true when it changed.
bool Store(int& field, int value)
{
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

void TCustomDBGridEx::SetMinAutoFitWidth(int value)
{
    if (Store(minAutoFitWidth_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetRowHeight(int value)
{
    if (Store(rowHeight_, std::max(0, value))) LayoutChanged();
}

void TCustomDBGridEx::SetRowLines(int value)
{
    if (Store(rowLines_, std::max(0, value))) LayoutChanged();
}

void TCustomDBGridEx::SetTitleHeight(int value)
{
    if (Store(titleHeight_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetTitleLines(int value)
{
    if (Store(titleLines_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetVTitleMargin(int value)
{
    if (Store(vTitleMargin_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetRowSizingAllowed(bool value)
{
    if (value == rowSizingAllowed_) return;
    rowSizingAllowed_ = value;
    applyBaseOptions();
}

void TCustomDBGridEx::SetTitleImages(ui::TCustomImageList* value)
{
    if (value == titleImages_) return;
    const rtl::Delegate<void(rtl::TObject*)> listener{this, &TCustomDBGridEx::titleImagesChanged};
    if (titleImages_ && !titleImages_->HasState(rtl::csDestroying)) titleImages_->ChangeListeners().Remove(listener);
    titleImages_ = value;
    if (value) {
        value->ChangeListeners().Add(listener);
        FreeNotification(value);
    }
    LayoutChanged();
}

void TCustomDBGridEx::titleImagesChanged(rtl::TObject* sender)
{
    if (titleImages_ && sender == static_cast<rtl::TObject*>(titleImages_)) Invalidate();
}

void TCustomDBGridEx::titleFontChanged(rtl::TObject*)
{
    if (!IsLoading() && !copyingParentFont_) SetParentFont(false);
    if (options_.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEx::footerFontChanged(rtl::TObject*)
{
    if (!IsLoading() && !copyingParentFont_) SetParentFont(false);
    if (footerRowCount_ >= 1) LayoutChanged();
}

void TCustomDBGridEx::FontChanged()
{
    ui::TCustomGrid::FontChanged();
    // Still following the parent: the title and footer fonts follow too, laid out once.
    if (ParentFont()) {
        const rtl::TUpdateScope update(*this);
        const rtl::TFlagScope copying(copyingParentFont_);
        titleFont_.Assign(Font());
        footerFont_.Assign(Font());
    }
    LayoutChanged();
}

} // namespace grid
