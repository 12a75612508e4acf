// What the grid does while the parts that replace these bodies are not there yet: no
// clipboard, no drop-down grid, no filter row. Each block goes when the part that defines
// its members arrives.
#include <memory>
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExFilter.h"
#include "controls/grid/DBGridExImpExp.h"

namespace grid {

// ---- replaced by the export and clipboard work

bool CanGridCopy(TCustomDBGridEx&, bool)
{
    return false;
}

bool CanGridCut(TCustomDBGridEx&, bool)
{
    return false;
}

bool CanGridPaste(TCustomDBGridEx&, bool)
{
    return false;
}

bool CanGridDelete(TCustomDBGridEx&, bool)
{
    return false;
}

void GridCopyAction(TCustomDBGridEx&, bool)
{
}

void GridCutAction(TCustomDBGridEx&, bool)
{
}

void GridPasteAction(TCustomDBGridEx&, bool)
{
}

void GridDeleteAction(TCustomDBGridEx&, bool)
{
}

// ---- replaced by the lookup grid work

TCustomDBGridEx* TColumnEx::LookupGrid()
{
    return nullptr;
}

TDBLookupGridExOptions TColumnEx::GetLookupGridOptions() const
{
    return {};
}

void TColumnEx::SetLookupGridOptions(TDBLookupGridExOptions)
{
}

void TColumnEx::HandDropDownBoxEventsToLookupGrid()
{
}

// ---- replaced by the filter row work

void TCustomDBGridEx::StartFilterEdit(int)
{
}

void TCustomDBGridEx::StopFilterEdit()
{
}

void TCustomDBGridEx::UpdateFilterEditor(bool)
{
}

void TCustomDBGridEx::DrawFilterCell(int, int, const ui::TRect& Rect, ui::TGridDrawState)
{
    Canvas().Brush().SetColor(FixedColor());
    Canvas().FillRect(Rect);
}

std::string TSTColumnFilterEx::FilterText() const
{
    return {};
}

void TSTColumnFilterEx::SetExpressionFromText(const std::string&)
{
}

void TSTColumnFilterEx::SetExpressionFromKeyValue(const rtl::Variant&, const std::string&)
{
}

void TSTColumnFilterEx::ListDataChanged(db::TFieldDataLink*)
{
}

} // namespace grid
