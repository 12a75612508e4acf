// The memory-table mode: a data set that numbers its records itself (IMemTableEx) gets
// one grid row per record. The rows scroll by the grid's own top row, the vertical bar
// counts the rows, more records are asked for while the rows do not fill the grid, and
// in tree mode the first visible column shows the records' nodes, which a click on their
// glyph or the keypad's *, + and - expand and collapse.
#include <algorithm>

#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExText.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

namespace {

// The glyph of a record's own level: a box for a node with children, a branch for one
// without; lines to the records above and below where its branch goes on.
editors::TTreeElementEx NodeElement(const db::TMemTableNodeEx& node, bool continues)
{
    const bool above = !node.First;
    if (node.HasChildren) {
        const int middle = node.Expanded ? editors::teMinusMiddleEx : editors::tePlusMiddleEx;
        if (!continues) return static_cast<editors::TTreeElementEx>(middle + 1);
        return static_cast<editors::TTreeElementEx>(above ? middle : middle + 2);
    }
    if (!continues) return editors::teLastBranchEx;
    return above ? editors::teBranchEx : editors::teFirstBranchEx;
}

} // namespace

// ---- holding the interface

void TCustomDBGridEx::SetMemTableSupport(bool value)
{
    if (value == memTableSupport_) return;
    memTableSupport_ = value;
    evaluateMemTable();
}

void TCustomDBGridEx::evaluateMemTable()
{
    const db::IMemTableEx* before = memTable_;
    memTable_ = nullptr;
    memTableDataSet_ = nullptr;
    db::TDataSet* dataSet = dataLink_ ? dataLink_->DataSet() : nullptr;
    if (memTableSupport_ && dataSet && footerRowCount_ == 0 && !dataSet->HasState(rtl::csDestroying)) {
        memTable_ = dynamic_cast<db::IMemTableEx*>(dataSet);
        if (memTable_) memTableDataSet_ = dataSet;
    }
    // The rows and the bar change over to the other mode.
    if (memTable_ != before && dataLink_ && dataLink_->Active()) RefreshLayout();
}

bool TCustomDBGridEx::MemTableTreeMode() const
{
    return memTable_ && memTable_->MemTableInTreeMode();
}

// ---- rows

void TCustomDBGridEx::memTableRecalcRows()
{
    const bool active = dataLink_->Active();
    SetRowCount(titleOffset_ + std::max(1, active ? memTable_->MemTableRecordCount() : 0));
    if (!active || !HandleAllocated()) return;
    fetchRecordsToFill();
    SyncCurrentRow();
}

void TCustomDBGridEx::fetchRecordsToFill()
{
    if (!memTable_ || fetchingRecords_ || !HandleAllocated() || !dataLink_->Active()) return;
    const rtl::TFlagScope fetching(fetchingRecords_);
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const int empty = info.Vert.GridExtent - info.Vert.GridBoundary;
    int wanted = 0;
    if (empty > 0) wanted = empty / std::max(1, DefaultRowHeight()) + 1;
    else if (info.Vert.LastFullVisibleCell >= RowCount() - 1) wanted = 1;
    if (wanted == 0 || memTable_->MemTableFetchRecords(wanted) <= 0) return;
    SetRowCount(titleOffset_ + std::max(1, memTable_->MemTableRecordCount()));
    RefreshVertScrollBar();
}

void TCustomDBGridEx::memTableScroll()
{
    if (!HandleAllocated()) return;
    const int oldRow = Row();
    if (dataLink_->Active()) {
        const int rows = titleOffset_ + std::max(1, memTable_->MemTableRecordCount());
        if (rows != RowCount()) SetRowCount(rows);
        const int newRow = currentRecordRow();
        if (newRow != Row() && newRow >= titleOffset_ && newRow < RowCount()) {
            HideEditor();
            // The view scrolls to the record where it left the screen.
            MoveColRow(Col(), newRow, false, true);
            if (options_.Contains(dgAlwaysShowEditor)) ShowEditor();
        }
    }
    const bool barShown = ScrollBarShown(ui::sbVertical);
    RefreshVertScrollBar();
    if (barShown != ScrollBarShown(ui::sbVertical) && autoFitColWidths_ && !IsDesigning()) DeferLayout();
    if (oldRow < RowCount()) InvalidateRow(oldRow);
    InvalidateRow(Row());
    fetchRecordsToFill();
    if (!UpdateLocked()) Update();
}

// ---- the vertical bar, scroll requests and the wheel

TCustomDBGridEx::TVertBarState TCustomDBGridEx::memTableBarState() const
{
    // The bar counts the rows from 1 and stands at the top row.
    const int fixed = FixedRows();
    const int maxTop = MaxTopLeft().Y;
    TVertBarState bar;
    bar.Min = 1;
    bar.Max = std::max(1, RowCount() - fixed);
    bar.Page = std::max(1, RowCount() - maxTop);
    bar.Position = TopRow() - fixed + 1;
    bar.Fits = maxTop <= fixed;
    return bar;
}

void TCustomDBGridEx::memTableScrollMessage(ui::TScrollCode code, int& pos)
{
    const int fixed = FixedRows();
    const int page = std::max(1, VisibleRowCount());
    int top = TopRow();
    switch (code) {
    case ui::scLineUp: --top; break;
    case ui::scLineDown: ++top; break;
    case ui::scPageUp: top -= page; break;
    case ui::scPageDown: top += page; break;
    case ui::scTop: top = fixed; break;
    case ui::scBottom: top = MaxTopLeft().Y; break;
    case ui::scTrack:
        // Without tracking the view waits for the thumb's release.
        if (!vertScrollBar_->GetTracking()) return;
        top = fixed + pos - 1;
        break;
    case ui::scPosition: top = fixed + pos - 1; break;
    case ui::scEndScroll: return;
    }
    SetTopRow(top);
    RefreshVertScrollBar();
    pos = vertScrollBar_->ScrollBar()->Position();
}

bool TCustomDBGridEx::memTableWheel(ui::TShiftState shift, int direction)
{
    const int step = (shift & ui::ssCtrl) ? VisibleDataRowCount() : 1;
    // With Shift the wheel moves the record, without it the view.
    if (shift & ui::ssShift) dataLink_->DataSet()->MoveBy(direction * step);
    else SetTopRow(TopRow() + direction * step);
    return true;
}

// ---- tree nodes

bool TCustomDBGridEx::ShowsTreeNodes(const TColumnEx* column) const
{
    return column && MemTableTreeMode() && visibleColumns_.Count() > 0 && visibleColumns_.Items(0) == column;
}

int TCustomDBGridEx::TreeNodeWidth(int recNo) const
{
    if (!MemTableTreeMode()) return 0;
    return TreeLevelWidth * std::max(0, memTable_->MemTableNode(recNo).Level);
}

void TCustomDBGridEx::PaintTreeNodes(ui::TCanvas& canvas, const ui::TRect& rect, int recNo,
                                     ui::TColor background) const
{
    if (!MemTableTreeMode()) return;
    const db::TMemTableNodeEx node = memTable_->MemTableNode(recNo);
    if (node.Level <= 0) return;
    TClipScope clip(canvas, rect);
    canvas.Brush().SetColor(background);
    canvas.FillRect(rect);
    for (int level = 1; level <= node.Level; ++level) {
        const ui::TRect cell{rect.Left + (level - 1) * TreeLevelWidth, rect.Top, rect.Left + level * TreeLevelWidth,
                             rect.Bottom};
        const auto index = static_cast<std::size_t>(level - 1);
        const bool continues = index < node.Continues.size() && node.Continues[index];
        if (level < node.Level) {
            // An ancestor's branch that goes on below passes through.
            if (continues) editors::DrawTreeElement(canvas, cell, 0, editors::teLineEx);
            continue;
        }
        editors::DrawTreeElement(canvas, cell, 0, NodeElement(node, continues));
    }
}

bool TCustomDBGridEx::memTableNodePress(ui::TMouseButton button, int x, const ui::TGridCoord& cell)
{
    if (button != ui::mbLeft || !ShowsTreeNodes(columnAt(cell.X))) return false;
    const int recNo = cell.Y - titleOffset_ + 1;
    const db::TMemTableNodeEx node = memTable_->MemTableNode(recNo);
    if (node.Level <= 0 || !node.HasChildren) return false;
    // The glyph stands in the step of the node's own level.
    const int left = CellRect(cell.X, cell.Y).Left + (node.Level - 1) * TreeLevelWidth;
    const int layoutX = LayoutX(x);
    if (layoutX < left || layoutX >= left + TreeLevelWidth) return false;
    dataLink_->UpdateData();
    memTable_->MemTableSetNodeExpanded(recNo, !node.Expanded);
    return true;
}

bool TCustomDBGridEx::memTableTreeKey(ui::Word key)
{
    if (!MemTableTreeMode()) return false;
    char treeKey = 0;
    if (key == ui::VK_MULTIPLY) treeKey = '*';
    else if (key == ui::VK_ADD) treeKey = '+';
    else if (key == ui::VK_SUBTRACT) treeKey = '-';
    if (treeKey == 0) return false;
    dataLink_->UpdateData();
    memTable_->MemTableTreeKey(treeKey);
    return true;
}

bool TCustomDBGridEx::treeKeyCharacter(char key) const
{
    return (key == '*' || key == '+' || key == '-') && MemTableTreeMode();
}

} // namespace grid
