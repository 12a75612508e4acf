// Lookup drop-down settings of a column.
#include "controls/grid/DBGridExDropDownBox.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"

namespace grid {

TColumnDropDownBoxEx::TColumnDropDownBoxEx(ILookupGridHolderEx* holder) : holder_(holder)
{
    specRow_ = std::make_unique<editors::TSpecRowEx>(this);
}

TColumnDropDownBoxEx::~TColumnDropDownBoxEx() = default;

void TColumnDropDownBoxEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnDropDownBoxEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetAlign(src->align_);
    SetAutoDrop(src->autoDrop_);
    SetAutoFitColWidths(src->autoFitColWidths_);
    SetListSource(src->listSource_);
    SetRows(src->rows_);
    SetShowTitles(src->showTitles_);
    SetSizable(src->sizable_);
    SetSpecRow(*src->specRow_);
    SetUseMultiTitle(src->useMultiTitle_);
    SetWidth(src->width_);
}

void TColumnDropDownBoxEx::SetListSource(db::TDataSource* value)
{
    if (value == listSource_) return;
    listSource_ = value;
    if (value && holder_) holder_->LookupGridFreeNotification(value);
}

TDBGridColumnsEx* TColumnDropDownBoxEx::GetColumns() const
{
    TCustomDBGridEx* grid = lookupGrid();
    return grid ? &grid->Columns() : nullptr;
}

void TColumnDropDownBoxEx::SetColumns(const TDBGridColumnsEx& value)
{
    if (TCustomDBGridEx* grid = lookupGrid()) grid->SetColumns(value);
}

bool TColumnDropDownBoxEx::IsColumnsStored() const
{
    TCustomDBGridEx* grid = lookupGrid();
    return grid && grid->Columns().Customized();
}

TColumnDefValuesEx* TColumnDropDownBoxEx::GetColumnDefValues() const
{
    TCustomDBGridEx* grid = lookupGrid();
    return grid ? &grid->ColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEx::SetColumnDefValues(const TColumnDefValuesEx& value)
{
    if (TCustomDBGridEx* grid = lookupGrid()) grid->SetColumnDefValues(value);
}

TDBLookupGridExOptions TColumnDropDownBoxEx::GetOptions() const
{
    return holder_ ? holder_->GetLookupGridOptions() : TDBLookupGridExOptions{};
}

void TColumnDropDownBoxEx::SetOptions(TDBLookupGridExOptions value)
{
    if (holder_) holder_->SetLookupGridOptions(value);
}

} // namespace grid
