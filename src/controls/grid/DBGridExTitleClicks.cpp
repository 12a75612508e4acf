// Title clicks and the sort marking they make, the column sizing zones of the titles and
// the pointer over the grid.
#include <algorithm>
#include <cstdlib>
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

bool TCustomDBGridEx::InTitleSizingZone(int X, int Y, int& ACol, int& LinePos) const
{
    ACol = -1;
    if ((!options_.Contains(dgColumnResize) && !IsDesigning()) || TitleRowCount() == 0 || RowCount() == 0) return false;
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const ui::TGridAxisDrawInfo& horz = info.Horz;
    const int titleBottom = RowHeights(0) + info.Vert.EffectiveLineWidth;
    if (Y < 0 || Y >= titleBottom) return false;
    const int lineWidth = horz.EffectiveLineWidth;
    const int zone = std::max(7, lineWidth);
    int bestDistance = 0;
    auto consider = [&](int col, int start) {
        const int size = horz.CellSize(col);
        if (size < 0 || col < indicatorOffset_) return;
        const int line = start + size;
        // Columns that end at the client edge have their line there.
        const int centre = std::min(line + lineWidth / 2, ClientWidth() - 1);
        const int low = centre - zone / 2;
        if (X < low || X >= low + zone) return;
        const int distance = std::abs(X - centre);
        if (ACol < 0 || distance <= bestDistance) {
            ACol = col;
            bestDistance = distance;
            LinePos = line;
        }
    };
    int pos = 0;
    for (int col = 0; col < horz.FixedCellCount; ++col) {
        consider(col, pos);
        pos += horz.CellSpan(col);
    }
    for (int col = horz.FirstGridCell; col < horz.GridCellCount && pos < horz.GridExtent; ++col) {
        consider(col, pos);
        pos += horz.CellSpan(col);
    }
    return ACol >= 0;
}

void TCustomDBGridEx::CalcSizingState(int x, int y, const ui::TGridDrawInfo& info, ui::TGridState& state, int& index,
                                      int& sizingPos, int& sizingOfs)
{
    ui::TCustomGrid::CalcSizingState(x, y, info, state, index, sizingPos, sizingOfs);
    // Rows are sized in the indicator column only.
    if (state == ui::gsRowSizing && !(indicatorOffset_ > 0 && x < info.Horz.CellSpan(0))) {
        state = ui::gsNormal;
        index = -1;
    }
}

// ---- the pointer

ui::TCursor TCustomDBGridEx::CursorAt(int X, int Y)
{
    int col = -1;
    int line = 0;
    if (InTitleSizingZone(X, Y, col, line)) return ui::crHSplit;
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    ui::TGridState state = ui::gsNormal;
    int pos = 0;
    int ofs = 0;
    CalcSizingState(X, Y, info, state, col, pos, ofs);
    if (state == ui::gsColSizing) return ui::crHSplit;
    if (state == ui::gsRowSizing) return ui::crVSplit;
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
