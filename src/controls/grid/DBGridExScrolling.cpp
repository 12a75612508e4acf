// Scrolling the grid: the vertical bar that shows where the current record stands, the
// horizontal bar (and an external one), scroll requests and the wheel that move the data
// set, and the automatic scrolling while a selection is dragged beyond the data rows.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFilterEdit.h"
#include "controls/grid/DBGridExInplaceEdit.h"

namespace grid {

namespace {

// The horizontal external bar's scale: its positions run from 0 to this.
constexpr int kExtHorzRange = 127;

// value * num / den without overflow, truncated; 0 for a zero den.
int MulDivTrunc(int value, int num, int den)
{
    if (den == 0) return 0;
    return static_cast<int>(static_cast<std::int64_t>(value) * num / den);
}

} // namespace

// ---- the vertical bar

TCustomDBGridEx::TVertBarState TCustomDBGridEx::vertBarState() const
{
    TVertBarState bar;
    // (Asked by the base grid while the grid is still being made, too.)
    if (!dataLink_ || !sumList_ || !dataLink_->Active()) return bar;
    if (memTable_) return memTableBarState();
    const db::TDataSet& dataSet = *dataLink_->DataSet();
    if (sumList_->IsSequenced()) {
        const int count = sumList_->RecordCount();
        bar.Min = 1;
        bar.Page = VisibleDataRowCount();
        bar.Max = std::max(bar.Min, count + bar.Page - 1);
        // A record being inserted has no number: the thumb stays.
        bar.Position = dataSet.State() == db::dsInsert ? ScrollBarControl(ui::sbVertical)->Position()
                                                       : sumList_->RecNo();
        bar.Position = std::clamp(bar.Position, bar.Min, std::max(bar.Min, count));
        // The bar's range always exceeds its page by count - 1: whether there is
        // anything to scroll is the count against the page.
        bar.Fits = count <= bar.Page;
    } else {
        bar.Min = 0;
        bar.Page = 0;
        bar.Max = 4;
        bar.Position = dataSet.Bof() ? 0 : (dataSet.Eof() ? 4 : 2);
        bar.Fits = (dataSet.Bof() && dataSet.Eof()) || dataLink_->RecordCount() < dataLink_->GetBufferCount();
    }
    return bar;
}

bool TCustomDBGridEx::GetVertScrollInfo(TScrollBarInfo& info) const
{
    const TVertBarState bar = vertBarState();
    const TScrollBarVisibleModeEx mode = vertScrollBar_ ? vertScrollBar_->GetVisibleMode() : sbAutoShowEx;
    const bool own = mode != sbNeverShowEx && !(vertScrollBar_ && vertScrollBar_->GetExtScrollBar());
    info.Shown = own && (mode == sbAlwaysShowEx || !bar.Fits);
    // A bar that stands aside for an external one, or is never shown, keeps no range.
    info.Min = bar.Min;
    info.Max = own ? bar.Max : bar.Min;
    info.Page = own ? bar.Page : 0;
    info.Position = own ? bar.Position : bar.Min;
    return true;
}

void TCustomDBGridEx::RefreshVertScrollBar()
{
    if (!dataLink_ || !HandleAllocated() || !vertScrollBar_) return;
    const TVertBarState bar = vertBarState();
    ScrollBarControl(ui::sbVertical)
        ->SetEnabled(!(vertScrollBar_->GetVisibleMode() == sbAlwaysShowEx && bar.Fits));
    UpdateScrollRange();
    UpdateScrollPos();
    if (ui::TScrollBar* ext = vertScrollBar_->GetExtScrollBar())
        SetScrollBarParams(ext, bar.Min, bar.Max, bar.Page, bar.Position);
}

// ---- the horizontal bar

void TCustomDBGridEx::RefreshHorzScrollBar()
{
    UpdateScrollPos();
    ui::TScrollBar* ext = horzScrollBar_ ? horzScrollBar_->GetExtScrollBar() : nullptr;
    if (!ext || !HandleAllocated()) return;
    const int fixed = FixedCols();
    const int maxLeft = MaxTopLeft().X;
    const int max = maxLeft > fixed ? kExtHorzRange : 0;
    const int page = VisibleColCount();
    const int position = MulDivTrunc(LeftCol() - fixed, kExtHorzRange, maxLeft - fixed);
    if (ext->Min() == 0 && ext->Max() == max && ext->PageSize() == std::min(page, max + 1)
        && ext->Position() == position)
        return;
    SetScrollBarParams(ext, 0, max, page, position);
}

void TCustomDBGridEx::horizontalScroll(ui::TScrollCode code, int& pos)
{
    if (code == ui::scTrack && horzScrollBar_->GetTracking()) code = ui::scPosition;
    ui::TScrollBar* ext = horzScrollBar_->GetExtScrollBar();
    const int fixed = FixedCols();
    // The external bar counts 0 to 127 over the columns that can lead the view.
    if (ext && (code == ui::scPosition || code == ui::scTrack))
        pos = MulDivTrunc(pos, MaxTopLeft().X - fixed, kExtHorzRange);
    ui::TCustomGrid::ScrollMessage(ui::sbHorizontal, code, pos);
    RefreshHorzScrollBar();
    if (ext) pos = ext->Position();
}

void TCustomDBGridEx::TopLeftChanged()
{
    ui::TCustomGrid::TopLeftChanged();
    RefreshHorzScrollBar();
    refreshFilterEditor();
    // The rows scrolled to the last ones: more records are asked for.
    fetchRecordsToFill();
}

// ---- scroll requests

void TCustomDBGridEx::ScrollMessage(ui::TScrollBarKind kind, ui::TScrollCode code, int& pos)
{
    if (kind == ui::sbHorizontal) {
        horizontalScroll(code, pos);
        return;
    }
    if (!IsDesigning() && CanFocus() && !GridFocused()) SetFocus();
    if (!dataLink_->Active() || code == ui::scEndScroll) return;
    if (memTable_) {
        memTableScrollMessage(code, pos);
        return;
    }
    db::TDataSet& dataSet = *dataLink_->DataSet();
    const bool sequenced = sumList_->IsSequenced();
    const int page = VisibleDataRowCount();
    switch (code) {
    case ui::scLineUp: dataSet.MoveBy(-(dataLink_->GetActiveRecord() + 1)); break;
    case ui::scLineDown: dataSet.MoveBy(dataLink_->RecordCount() - dataLink_->GetActiveRecord()); break;
    case ui::scPageUp: dataSet.MoveBy(-page); break;
    case ui::scPageDown: dataSet.MoveBy(page); break;
    case ui::scTop: dataSet.First(); break;
    case ui::scBottom: dataSet.Last(); break;
    case ui::scTrack:
        // Without tracking the thumb stays where the mouse holds it; nothing moves.
        if (!vertScrollBar_->GetTracking() || !sequenced) return;
        dataSet.MoveBy(pos - sumList_->RecNo());
        thumbTracked_ = true;
        break;
    case ui::scPosition:
        if (thumbTracked_) {
            thumbTracked_ = false;
            break;
        }
        if (sequenced) {
            if (pos <= 1) dataSet.First();
            else if (pos < sumList_->RecordCount()) sumList_->SetRecNo(pos);
            else dataSet.Last();
        } else if (pos == 0) {
            dataSet.First();
        } else if (pos == 1) {
            dataSet.MoveBy(-page);
        } else if (pos == 3) {
            dataSet.MoveBy(page);
        } else if (pos == 4) {
            dataSet.Last();
        }
        break;
    case ui::scEndScroll: break;
    }
    RefreshVertScrollBar();
    pos = vertScrollBar_->ScrollBar()->Position();
}

bool TCustomDBGridEx::wheelMove(ui::TShiftState shift, int distance)
{
    // An open drop-down of the cell editor or of the filter editor keeps the wheel to itself.
    if (const TDBGridInplaceEdit* editor = InplaceEdit(); editor && editor->ListVisible()) return true;
    if (filterEditor_ && filterEditor_->Visible() && filterEditor_->ListVisible()) return true;
    if (!dataLink_->Active()) return true;
    if (memTable_) return memTableWheel(shift, distance);
    dataLink_->DataSet()->MoveBy(distance);
    return true;
}

bool TCustomDBGridEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint)
{
    return wheelMove(shift, 1);
}

bool TCustomDBGridEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint)
{
    return wheelMove(shift, -1);
}

// ---- automatic scrolling

ui::TRect TCustomDBGridEx::dataAreaBox() const
{
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    const int lastDataRow = footerRowCount_ > 0 ? RowCount() - footerRowCount_ - 2 : RowCount() - 1;
    const ui::TRect last = CellRect(FixedCols(), std::max(static_cast<int>(titleOffset_), lastDataRow));
    const int bottom = last.IsEmpty() ? info.Vert.GridBoundary : last.Bottom;
    return {info.Horz.FixedBoundary, info.Vert.FixedBoundary, info.Horz.GridBoundary, bottom};
}

namespace {

// How far a point lies outside a box whose edges count as inside: negative left of or
// above it, positive right of or below it, 0 inside.
int Outside(int p, int low, int high)
{
    if (p < low) return p - low;
    if (p > high) return p - high;
    return 0;
}

} // namespace

ui::TPoint TCustomDBGridEx::outsideDataArea() const
{
    const ui::TRect box = dataAreaBox();
    const int dx = Outside(LayoutX(movePoint_.X), box.Left, box.Right);
    const int dy = mouseMode_ == mmColumns ? 0 : Outside(movePoint_.Y, box.Top, box.Bottom);
    return {dx, dy};
}

int TCustomDBGridEx::autoScrollPause(ui::TPoint outside) const
{
    const int d = std::max(std::abs(outside.X), std::abs(outside.Y));
    return std::max(0, 200 - (mouseMode_ == mmColumns ? 10 : 15) * d);
}

int TCustomDBGridEx::scrollColumnToward(int dx)
{
    SetLeftCol(std::clamp(LeftCol() + (dx < 0 ? -1 : 1), FixedCols(), std::max(FixedCols(), ColCount() - 1)));
    ui::TGridDrawInfo info;
    CalcDrawInfo(info);
    return dx < 0 ? LeftCol() : std::max(LeftCol(), info.Horz.LastFullVisibleCell);
}

void TCustomDBGridEx::updateAutoScroll()
{
    const ui::TPoint outside = outsideDataArea();
    if (outside.X == 0 && outside.Y == 0) {
        KillTimer(AutoScrollTimerId);
        return;
    }
    if (TimerActive(AutoScrollTimerId)) return;
    SetTimer(AutoScrollTimerId, autoScrollPause(outside));
}

void TCustomDBGridEx::autoScrollTick()
{
    const ui::TPoint outside = outsideDataArea();
    const int dx = outside.X;
    const int dy = outside.Y;
    if ((dx == 0 && dy == 0) || !dataLink_->Active()) {
        KillTimer(AutoScrollTimerId);
        return;
    }
    if (mouseMode_ == mmColumns) {
        // Columns dragged by their titles: one column a tick, the selection to the edge.
        if (TColumnEx* column = columnAt(scrollColumnToward(dx))) Selection().Columns().ExtendTo(column);
    } else {
        const bool select = mouseMode_ == mmRecords || mouseMode_ == mmRectangle;
        if (dy != 0) {
            const int step = std::min(std::max(std::abs(dx), std::abs(dy)) / 6, 8);
            if (step > 0) MoveRecords(select, dy < 0 ? -step : step, mouseMode_ != mmRectangle, false);
        }
        if (dx != 0 && mouseMode_ == mmRectangle) MoveCol(scrollColumnToward(dx), dx < 0 ? -1 : 1, true);
    }
    SetTimer(AutoScrollTimerId, autoScrollPause(outside));
}

} // namespace grid
