// Title clicks and the sort marking they make, the column sizing zones of the titles and
// the pointer over the grid.
#include <algorithm>
#include <utility>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExDataService.h"
#include "platform/db/DataSet.h"

namespace grid {

// ---- title notifications

void TCustomDBGridEx::TitleClick(TColumnEx* Column)
{
    if (OnTitleClick) OnTitleClick(Column);
}

void TCustomDBGridEx::TitleBtnClick(int ACol, TColumnEx* Column)
{
    if (OnTitleBtnClick) OnTitleBtnClick(this, ACol, Column);
}

void TCustomDBGridEx::CheckTitleButton(int ACol, bool& Enabled)
{
    if (ACol < 0 || ACol >= columns_->Count()) {
        Enabled = false;
        return;
    }
    if (OnCheckButton) OnCheckButton(this, ACol, columns_->Items(ACol), Enabled);
}

void TCustomDBGridEx::SortMarkingChanged()
{
    if (!optionsEx_.Contains(dghAutoSortMarking)) return;
    if (OnSortMarkingChanged) OnSortMarkingChanged(this);
    else DBGridExDataService().ApplySorting(*this);
}

void TCustomDBGridEx::RebuildSortedColumns()
{
    std::vector<std::pair<int, TColumnEx*>> marked;
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEx* column = columns_->Items(i);
        if (column->Title()->GetSortIndex() > 0) marked.emplace_back(column->Title()->GetSortIndex(), column);
    }
    // In SortIndex order; places nobody holds leave no gap.
    std::stable_sort(marked.begin(), marked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    sortMarkedColumns_.Clear();
    for (const auto& [index, column] : marked) sortMarkedColumns_.Add(column);
}

// ---- sizing zones

bool TCustomDBGridEx::InTitleSizingZone(int X, int Y, int& ACol, int& LinePos)
{
    ACol = -1;
    if (TitleRowCount() == 0 || RowCount() == 0) return false;
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    if (Y < 0 || Y >= RowHeights(0) + info.Vert.EffectiveLineWidth) return false;
    // The base grid's zones of its fixed rows (column sizing follows dgColumnResize).
    ui::TGridState state = ui::gsNormal;
    int offset = 0;
    ui::TCustomGrid::CalcSizingState(X, Y, info, state, ACol, LinePos, offset);
    if (state == ui::gsColSizing && ACol >= indicatorOffset_) return true;
    ACol = -1;
    return false;
}

TCustomDBGridEx::TSizingAt TCustomDBGridEx::sizingAt(int X, int Y)
{
    TSizingAt sizing;
    if (InTitleSizingZone(X, Y, sizing.Index, sizing.LinePos)) {
        sizing.State = ui::gsColSizing;
        sizing.Title = true;
        return sizing;
    }
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    int offset = 0;
    CalcSizingState(X, Y, info, sizing.State, sizing.Index, sizing.LinePos, offset);
    return sizing;
}

void TCustomDBGridEx::CalcSizingState(int x, int y, const ui::TGridDrawInfo& info, ui::TGridState& state, int& index,
                                      int& sizingPos, int& sizingOfs)
{
    ui::TCustomGrid::CalcSizingState(x, y, info, state, index, sizingPos, sizingOfs);
    // Rows are sized in the indicator column only.
    if (state == ui::gsRowSizing && !(indicatorOffset_ > 0 && LayoutX(x) < info.Horz.CellSpan(0))) {
        state = ui::gsNormal;
        index = -1;
    }
}

// ---- the pointer

ui::TCursor TCustomDBGridEx::CursorAt(int X, int Y)
{
    const TSizingAt sizing = sizingAt(X, Y);
    if (sizing.State == ui::gsColSizing) return ui::crHSplit;
    if (sizing.State == ui::gsRowSizing) return ui::crVSplit;
    if (!options_.Contains(dgMultiSelect) || IsDesigning()) return Cursor();
    const ui::TGridCoord cell = MouseCoord(X, Y);
    if (indicatorOffset_ > 0 && cell.X == 0 && onRecordRow(cell) && !dataLink_->DataSet()->IsEmpty()
        && SelectionTypeAllowed(gstRecordBookmarks))
        return UseRightToLeftAlignment() ? crDBGridExLeft : crDBGridExRight;
    if (cell.Y == 0 && TitleRowCount() > 0 && cell.X >= indicatorOffset_ && SelectionTypeAllowed(gstColumns)) {
        const ui::TRect rect = CellRect(cell.X, 0);
        if (Y >= rect.Bottom - 7 || rect.Height() < 7) return crDBGridExDown;
    }
    return Cursor();
}

} // namespace grid
