// The base grid's keys, mouse, timed scrolling, column and row sizing and column moving.
#include <algorithm>
#include <cmath>

#include "platform/ui/Grids.h"
#include "platform/ui/InplaceEdit.h"

namespace ui {

namespace {

// The next cell from `from` in direction step (+1/-1) whose size is above 0, within
// [lo, hi]; `from` itself when there is none.
int StepVisible(const TGridAxisDrawInfo& a, int from, int step, int lo, int hi)
{
    for (int i = from + step; i >= lo && i <= hi; i += step)
        if (a.CellSize(i) > 0) return i;
    return from;
}

// The first (step +1 from lo) or last (step -1 from hi) cell with a size above 0.
int EdgeVisible(const TGridAxisDrawInfo& a, int lo, int hi, int step)
{
    const int start = step > 0 ? lo : hi;
    for (int i = start; i >= lo && i <= hi; i += step)
        if (a.CellSize(i) > 0) return i;
    return start;
}

} // namespace

bool TCustomGrid::CanGridAcceptKey(Word, TShiftState) { return true; }

unsigned TCustomGrid::DialogCode() const
{
    return DLGC_WANTARROWS | ((options_ & goTabs) ? DLGC_WANTTAB : 0u);
}

// ---- keys ----

bool TCustomGrid::tabStep(bool forward, TGridCoord& cell) const
{
    const int firstCol = std::min(fixedCols_, colCount_ - 1), firstRow = std::min(fixedRows_, rowCount_ - 1);
    TGridCoord c = cell;
    for (;;) {
        if (forward) {
            if (++c.X >= colCount_) {
                c.X = firstCol;
                if (++c.Y >= rowCount_) return false; // past the last cell: stay
            }
        } else {
            if (--c.X < firstCol) {
                c.X = colCount_ - 1;
                if (--c.Y < firstRow) return false;
            }
        }
        if (c == cell) return false;
        if (tabStops_[c.X] && colWidths_[c.X] > 0) {
            cell = c;
            return true;
        }
    }
}

void TCustomGrid::KeyDown(Word& key, TShiftState shift)
{
    TControl::KeyDown(key, shift);
    if (key == 0) return;
    if (!CanGridAcceptKey(key, shift)) {
        key = 0;
        return;
    }
    if (key == VK_ESCAPE) {
        if (gridState_ != gsNormal) {
            CancelGridState();
            key = 0;
        }
        return;
    }

    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int firstCol = std::min(fixedCols_, colCount_ - 1), firstRow = std::min(fixedRows_, rowCount_ - 1);
    const int lastCol = colCount_ - 1, lastRow = rowCount_ - 1;
    const int pageW = std::max(1, info.Horz.LastFullVisibleCell - topLeft_.X + 1);
    const int pageH = std::max(1, info.Vert.LastFullVisibleCell - topLeft_.Y + 1);
    const bool rowSelect = options_ & goRowSelect;
    TGridCoord cur = current_, tl = topLeft_;
    bool handled = true;
    bool moveAnchor = !(shift & ssShift) || !(options_ & goRangeSelect);

    if (shift & ssCtrl) {
        switch (key) {
        case VK_UP: --tl.Y; break;
        case VK_DOWN: ++tl.Y; break;
        case VK_LEFT:
            if (!rowSelect) cur.X -= pageW;
            tl.X -= pageW;
            break;
        case VK_RIGHT:
            if (!rowSelect) cur.X += pageW;
            tl.X += pageW;
            break;
        case VK_PRIOR: cur.Y = topLeft_.Y; break;
        case VK_NEXT: cur.Y = std::max(topLeft_.Y, info.Vert.LastFullVisibleCell); break;
        case VK_HOME:
            cur.X = EdgeVisible(info.Horz, firstCol, lastCol, 1);
            cur.Y = EdgeVisible(info.Vert, firstRow, lastRow, 1);
            break;
        case VK_END:
            cur.X = EdgeVisible(info.Horz, firstCol, lastCol, -1);
            cur.Y = EdgeVisible(info.Vert, firstRow, lastRow, -1);
            break;
        default: handled = false; break;
        }
    } else {
        switch (key) {
        case VK_UP: cur.Y = StepVisible(info.Vert, cur.Y, -1, firstRow, lastRow); break;
        case VK_DOWN: cur.Y = StepVisible(info.Vert, cur.Y, 1, firstRow, lastRow); break;
        case VK_LEFT:
            if (rowSelect) --tl.X;
            else cur.X = StepVisible(info.Horz, cur.X, -1, firstCol, lastCol);
            break;
        case VK_RIGHT:
            if (rowSelect) ++tl.X;
            else cur.X = StepVisible(info.Horz, cur.X, 1, firstCol, lastCol);
            break;
        case VK_NEXT:
            cur.Y += pageH;
            tl.Y += pageH;
            break;
        case VK_PRIOR:
            cur.Y -= pageH;
            tl.Y -= pageH;
            break;
        case VK_HOME:
            if (rowSelect) cur.Y = EdgeVisible(info.Vert, firstRow, lastRow, 1);
            else cur.X = EdgeVisible(info.Horz, firstCol, lastCol, 1);
            break;
        case VK_END:
            if (rowSelect) cur.Y = EdgeVisible(info.Vert, firstRow, lastRow, -1);
            else cur.X = EdgeVisible(info.Horz, firstCol, lastCol, -1);
            break;
        case VK_TAB:
            if ((shift & ssAlt) || !(options_ & goTabs)) {
                handled = false;
                break;
            }
            tabStep(!(shift & ssShift), cur);
            moveAnchor = true;
            break;
        case VK_F2:
            SetEditorMode(true);
            key = 0;
            return;
        default: handled = false; break;
        }
    }
    if (!handled) return;
    key = 0;
    cur.X = std::clamp(cur.X, firstCol, lastCol);
    cur.Y = std::clamp(cur.Y, firstRow, lastRow);
    if (!(tl == topLeft_)) MoveTopLeft(tl.X, tl.Y);
    if (!(cur == current_)) FocusCell(cur.X, cur.Y, moveAnchor);
}

void TCustomGrid::KeyPress(char& key)
{
    const auto ch = static_cast<unsigned char>(key);
    if ((options_ & goEditing) && !(options_ & goRowSelect) && (ch == 8 || ch >= 32)) {
        ShowEditorChar(key);
        key = 0;
        return;
    }
    DoKeyPress(key);
}

void TCustomGrid::DoKeyPress(char& key)
{
    TControl::KeyPress(key);
    if (key == '\r' && !(options_ & goAlwaysShowEditor)) {
        if (editorMode_)
            HideEditor();
        else
            ShowEditor();
        key = 0;
    }
}

void TCustomGrid::ShowEditorChar(char ch)
{
    ShowEditor();
    if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->TypeChar(ch);
}

// ---- mouse ----

void TCustomGrid::CalcSizingState(int x, int y, const TGridDrawInfo& info, TGridState& state, int& index,
                                  int& sizingPos, int& sizingOfs)
{
    state = gsNormal;
    index = -1;
    x = LayoutX(x);
    // Zones of max(7, line width) pixels centred on each line after a visible cell;
    // where zones overlap the nearest line wins, the later cell on a tie.
    auto scan = [&](const TGridAxisDrawInfo& a, int p, TGridState kind) {
        const int lw = a.EffectiveLineWidth;
        const int zone = std::max(7, lw);
        int best = -1, bestDist = 0, bestLine = 0;
        auto consider = [&](int cell, long long start) {
            const int size = a.CellSize(cell);
            if (size < 0) return;
            const long long line = start + size;
            const long long lo = line + lw / 2 - zone / 2;
            if (p < lo || p >= lo + zone) return;
            const int dist = static_cast<int>(std::abs(p - (line + lw / 2)));
            if (best < 0 || dist <= bestDist) {
                best = cell;
                bestDist = dist;
                bestLine = static_cast<int>(line);
            }
        };
        long long pos = 0;
        for (int i = 0; i < a.FixedCellCount; ++i) {
            consider(i, pos);
            pos += a.CellSpan(i);
        }
        for (int i = a.FirstGridCell; i < a.GridCellCount && pos < a.GridExtent; ++i) {
            consider(i, pos);
            pos += a.CellSpan(i);
        }
        if (best < 0) return false;
        state = kind;
        index = best;
        sizingPos = bestLine;
        sizingOfs = bestLine - p;
        return true;
    };
    if ((options_ & goColSizing) && y >= 0 && y < info.Vert.FixedBoundary && scan(info.Horz, x, gsColSizing))
        return;
    if ((options_ & goRowSizing) && x >= 0 && x < info.Horz.FixedBoundary) scan(info.Vert, y, gsRowSizing);
}

void TCustomGrid::startSelecting()
{
    gridState_ = gsSelecting;
    SetMouseCapture(true);
    SetTimer(ScrollTimerId, ScrollTimerInterval);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    lastMouse_ = {x, y};
    if (!GridFocused() && CanFocus()) {
        SetFocus();
        // Asked of the window, not the application: a window that is not active
        // keeps its focus widget too.
        QWidget* now = window()->focusWidget();
        if (now != this && !(inplaceEdit_ && (now == inplaceEdit_ || inplaceEdit_->isAncestorOf(now)))) {
            // The focus went elsewhere (a handler refused it): nothing starts.
            SetMouseCapture(false);
            return;
        }
    }
    if (button == mbLeft && !(shift & ssDouble)) {
        TGridDrawInfo info;
        CalcDrawInfo(info);
        TGridState state = gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(x, y, info, state, index, pos, ofs);
        if (state != gsNormal) {
            BeginSizing(state, index, pos, ofs);
        } else {
            const TGridCoord cell = MouseCoord(x, y);
            if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
                if ((options_ & goEditing) && cell == current_ && !(shift & ssShift)) {
                    ShowEditor();
                } else {
                    moveCurrent(cell.X, cell.Y, !(shift & ssShift), true);
                    UpdateEdit();
                    Click();
                }
                startSelecting();
            } else if ((options_ & goColMoving) && cell.X >= fixedCols_ && cell.Y >= 0 && cell.Y < fixedRows_) {
                BeginColumnMoving(cell.X);
            }
        }
    }
    TControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::BeginSizing(TGridState state, int index, int sizingPos, int sizingOfs)
{
    const int count = state == gsColSizing ? colCount_ : rowCount_;
    if ((state != gsColSizing && state != gsRowSizing) || index < 0 || index >= count)
        throw EInvalidGridOperation("Grid index out of range");
    gridState_ = state;
    sizingIndex_ = index;
    sizingOfs_ = sizingOfs;
    SetMouseCapture(true);
    ShowSizingLine(state, sizingPos);
}

void TCustomGrid::BeginColumnMoving(int index)
{
    if (index < 0 || index >= colCount_) throw EInvalidGridOperation("Grid index out of range");
    gridState_ = gsColMoving;
    moveIndex_ = movePos_ = index;
    SetMouseCapture(true);
    SetTimer(ScrollTimerId, ScrollTimerInterval);
}

void TCustomGrid::updateMovePos(int x, int y)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    // Beyond the cells the column lands at the nearest end of what is on screen.
    const int lastX = std::max(info.Horz.FixedBoundary, info.Horz.GridBoundary - 1);
    x = std::clamp(LayoutX(x), info.Horz.FixedBoundary, lastX);
    const TGridCoord cell = cellAt(x, std::clamp(y, 0, std::max(0, info.Vert.GridBoundary - 1)));
    if (cell.X < fixedCols_ || cell.X == movePos_) return;
    const TRect before = sizingLineRect();
    movePos_ = cell.X;
    if (!before.IsEmpty()) InvalidateRect(before);
    const TRect after = sizingLineRect();
    if (!after.IsEmpty()) InvalidateRect(after);
}

void TCustomGrid::updateSizingCursor(int x, int y)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    CalcSizingState(x, y, info, state, index, pos, ofs);
    if (state == gsColSizing)
        setCursor(CursorToQt(crHSplit));
    else if (state == gsRowSizing)
        setCursor(CursorToQt(crVSplit));
    else
        SetCursor(Cursor());
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    lastMouse_ = {x, y};
    switch (gridState_) {
    case gsSelecting: {
        const TGridCoord cell = MouseCoord(x, y);
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
            MoveColRow(cell.X, cell.Y, !(options_ & goRangeSelect), true);
        break;
    }
    case gsColSizing:
    case gsRowSizing:
        ShowSizingLine(gridState_, (gridState_ == gsColSizing ? LayoutX(x) : y) + sizingOfs_);
        break;
    case gsColMoving:
        updateMovePos(x, y);
        break;
    case gsNormal:
        updateSizingCursor(x, y);
        break;
    }
    TControl::MouseMove(shift, x, y);
}

void TCustomGrid::endSizing(int x, int y)
{
    const TGridState state = gridState_;
    const int pos = (state == gsColSizing ? LayoutX(x) : y) + sizingOfs_;
    HideSizingLine();
    gridState_ = gsNormal;
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const TGridAxisDrawInfo& a = state == gsColSizing ? info.Horz : info.Vert;
    const int size = pos - cellStart(a, sizingIndex_);
    if (size <= 1) return;
    if (state == gsColSizing)
        SetColWidths(sizingIndex_, size);
    else
        SetRowHeights(sizingIndex_, size);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    lastMouse_ = {x, y};
    const TGridState state = gridState_;
    if (state != gsNormal) {
        KillTimer(ScrollTimerId);
        SetMouseCapture(false);
    }
    switch (state) {
    case gsSelecting:
        MouseMove(shift, x, y);
        gridState_ = gsNormal;
        UpdateEdit();
        break;
    case gsColSizing:
    case gsRowSizing:
        endSizing(x, y);
        break;
    case gsColMoving: {
        const TRect mark = sizingLineRect();
        gridState_ = gsNormal;
        if (!mark.IsEmpty()) InvalidateRect(mark);
        if (movePos_ != moveIndex_) MoveColumn(moveIndex_, movePos_);
        break;
    }
    case gsNormal:
        break;
    }
    TControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::DblClick()
{
    // A double click on a data cell edits it.
    const TGridCoord cell = MouseCoord(lastMouse_.X, lastMouse_.Y);
    TControl::DblClick();
    if ((options_ & goEditing) && cell == current_ && cell.X >= fixedCols_ && cell.Y >= fixedRows_) ShowEditor();
}

void TCustomGrid::CancelGridState()
{
    const TRect mark = sizingLineRect();
    HideSizingLine();
    KillTimer(ScrollTimerId);
    gridState_ = gsNormal;
    if (!mark.IsEmpty()) InvalidateRect(mark);
    SetMouseCapture(false);
}

void TCustomGrid::CaptureCancelled()
{
    if (gridState_ != gsNormal) CancelGridState();
    TControl::CaptureCancelled();
}

bool TCustomGrid::DoMouseWheelDown(TShiftState, TPoint)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int next = StepVisible(info.Vert, current_.Y, 1, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    if (next != current_.Y) FocusCell(current_.X, next, true);
    return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState, TPoint)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int prior = StepVisible(info.Vert, current_.Y, -1, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    if (prior != current_.Y) FocusCell(current_.X, prior, true);
    return true;
}

// ---- timed scrolling ----

void TCustomGrid::TimerTick(int id)
{
    if (id != ScrollTimerId) {
        TControl::TimerTick(id);
        return;
    }
    if (gridState_ != gsSelecting && gridState_ != gsColMoving) {
        KillTimer(ScrollTimerId);
        return;
    }
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridScrollDirection dir = 0;
    const int x = LayoutX(lastMouse_.X);
    if (x < info.Horz.FixedBoundary) dir |= sdLeft;
    else if (x >= info.Horz.FullVisBoundary) dir |= sdRight;
    if (gridState_ == gsSelecting) {
        if (lastMouse_.Y < info.Vert.FixedBoundary) dir |= sdUp;
        else if (lastMouse_.Y >= info.Vert.FullVisBoundary) dir |= sdDown;
    }
    if (dir) TimedScroll(dir);
}

void TCustomGrid::TimedScroll(TGridScrollDirection direction)
{
    TGridCoord tl = topLeft_;
    if (direction & sdLeft) --tl.X;
    if (direction & sdRight) ++tl.X;
    if (direction & sdUp) --tl.Y;
    if (direction & sdDown) ++tl.Y;
    MoveTopLeft(tl.X, tl.Y);
    if (gridState_ == gsColMoving) {
        updateMovePos(lastMouse_.X, lastMouse_.Y);
        return;
    }
    if (gridState_ != gsSelecting) return;
    // The selection follows to the cell now at the edge the mouse is beyond.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord cell = current_;
    if (direction & sdLeft) cell.X = topLeft_.X;
    if (direction & sdRight) cell.X = std::max(topLeft_.X, info.Horz.LastFullVisibleCell);
    if (direction & sdUp) cell.Y = topLeft_.Y;
    if (direction & sdDown) cell.Y = std::max(topLeft_.Y, info.Vert.LastFullVisibleCell);
    cell.X = std::clamp(cell.X, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    cell.Y = std::clamp(cell.Y, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    if (!(cell == current_)) MoveColRow(cell.X, cell.Y, !(options_ & goRangeSelect), false);
}

// ---- column moving ----

void TCustomGrid::MoveColumn(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= colCount_ || toIndex >= colCount_)
        throw EInvalidGridOperation("Grid index out of range");
    if (fromIndex == toIndex) return;
    auto moveItem = [&](auto& v) {
        const typename std::decay_t<decltype(v)>::value_type item = v[fromIndex];
        v.erase(v.begin() + fromIndex);
        v.insert(v.begin() + toIndex, item);
    };
    moveItem(colWidths_);
    moveItem(tabStops_);
    // A cell index that stood on the moved column follows it; those between shift by one.
    auto adjust = [&](int& col) {
        if (col == fromIndex) col = toIndex;
        else if (fromIndex < toIndex && col > fromIndex && col <= toIndex) --col;
        else if (fromIndex > toIndex && col >= toIndex && col < fromIndex) ++col;
    };
    adjust(current_.X);
    if (!(options_ & goRowSelect)) adjust(anchor_.X);
    if (inplaceCol_ >= 0) adjust(inplaceCol_);
    ColumnMoved(fromIndex, toIndex);
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::ColumnMoved(int, int) {}

// ---- focus ----

void TCustomGrid::CheckFocusState()
{
    const bool focused = GridFocused();
    if (focused == focusState_) return;
    focusState_ = focused;
    Invalidate();
}

void TCustomGrid::FocusIn(TControl* previous)
{
    TControl::FocusIn(previous);
    focusState_ = GridFocused();
    Invalidate();
    if (previous != inplaceEdit_) {
        if (inplaceEdit_ && inplaceEdit_->Visible() && inplaceEdit_->CanFocus())
            inplaceEdit_->SetFocus();
        else if (editorMode_ || (options_ & goAlwaysShowEditor))
            UpdateEdit();
    }
}

void TCustomGrid::FocusOut(TControl* next)
{
    TControl::FocusOut(next);
    focusState_ = GridFocused();
    Invalidate();
}

} // namespace ui
