// The base grid: matrix, geometry, view, selection, scroll bars and the edit slot.
// Painting is in GridsPaint.cpp, keys and mouse in GridsInput.cpp.
#include "platform/ui/Grids.h"

#include <algorithm>
#include <climits>

#include "platform/ui/Application.h"
#include "platform/ui/InplaceEdit.h"
#include "platform/ui/Metrics.h"

namespace ui {

namespace {

[[noreturn]] void IndexOutOfRange()
{
    throw EInvalidGridOperation("Grid index out of range");
}

int CellSizeWithin(int size)
{
    return std::clamp(size, -1, MaxCellSize);
}

// A sum of spans along an axis as a position.
int Saturated(long long position)
{
    return static_cast<int>(std::clamp<long long>(position, INT_MIN, INT_MAX));
}

} // namespace

// ---- axis info ----

int TGridAxisDrawInfo::CellSize(int index) const
{
    if (Sizes && index >= 0 && index < static_cast<int>(Sizes->size())) return (*Sizes)[index];
    return DefaultSize;
}

int TGridAxisDrawInfo::CellSpan(int index) const
{
    const int size = CellSize(index);
    return size < 0 ? 0 : size + EffectiveLineWidth;
}

// ---- construction ----

TCustomGrid::TCustomGrid(TControl* parent) : TControl(parent)
{
    colWidths_.assign(colCount_, defaultColWidth_);
    rowHeights_.assign(rowCount_, defaultRowHeight_);
    tabStops_.assign(colCount_, true);
    EraseBackground = false;
    // OnClick fires when the current cell moves, by mouse or keys, not on every release.
    ClickOnRelease = false;
    SetColor(clWindow);
    SetTabStop(true);
    SetBorderStyle(bsSingle);

    horzBar_ = new TScrollBar(this, sbHorizontal);
    vertBar_ = new TScrollBar(this, sbVertical);
    for (TScrollBar* bar : {horzBar_, vertBar_}) {
        bar->Hide();
        bar->SetTabStop(false);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    horzBar_->OnScroll = TScrollEvent::FromFunction([this](TObject*, TScrollCode code, int& pos) {
        barScroll(sbHorizontal, code, pos);
    });
    vertBar_->OnScroll = TScrollEvent::FromFunction([this](TObject*, TScrollCode code, int& pos) {
        barScroll(sbVertical, code, pos);
    });
    SetBounds(Left(), Top(), 320, 120);
    UpdateScrollRange();
}

TCustomGrid::~TCustomGrid() = default;

// ---- matrix ----

void TCustomGrid::changeSize(int newCols, int newRows)
{
    newCols = std::max(1, newCols);
    newRows = std::max(1, newRows);
    const int oldCols = colCount_, oldRows = rowCount_;
    if (newCols == oldCols && newRows == oldRows) return;
    colCount_ = newCols;
    rowCount_ = newRows;
    colWidths_.resize(newCols, defaultColWidth_);
    tabStops_.resize(newCols, true);
    rowHeights_.resize(newRows, defaultRowHeight_);
    fixedCols_ = std::min(fixedCols_, colCount_);
    fixedRows_ = std::min(fixedRows_, rowCount_);
    // The current cell, the anchor and the view stay inside the new matrix.
    auto clampCol = [&](int c) { return std::clamp(c, std::min(fixedCols_, colCount_ - 1), colCount_ - 1); };
    auto clampRow = [&](int r) { return std::clamp(r, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1); };
    current_ = {clampCol(current_.X), clampRow(current_.Y)};
    anchor_ = {clampCol(anchor_.X), clampRow(anchor_.Y)};
    if (options_ & goRowSelect) anchor_.X = colCount_ - 1;
    topLeft_ = {std::max(fixedCols_, std::min(topLeft_.X, colCount_ - 1)),
                std::max(fixedRows_, std::min(topLeft_.Y, rowCount_ - 1))};
    SizeChanged(oldCols, oldRows);
    const TGridCoord maxTL = MaxTopLeft();
    topLeft_ = {std::min(topLeft_.X, maxTL.X), std::min(topLeft_.Y, maxTL.Y)};
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::SetColCount(int v) { changeSize(v, rowCount_); }
void TCustomGrid::SetRowCount(int v) { changeSize(colCount_, v); }

void TCustomGrid::SetFixedCols(int v)
{
    if (v < 0 || v > colCount_) throw EInvalidGridOperation("Fixed column count must not exceed column count");
    if (v == fixedCols_) return;
    fixedCols_ = v;
    const int first = std::min(fixedCols_, colCount_ - 1);
    if (current_.X < first) current_.X = first;
    if (anchor_.X < first) anchor_.X = first;
    topLeft_.X = std::max(topLeft_.X, fixedCols_);
    if (options_ & goRowSelect) anchor_.X = colCount_ - 1;
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::SetFixedRows(int v)
{
    if (v < 0 || v > rowCount_) throw EInvalidGridOperation("Fixed row count must not exceed row count");
    if (v == fixedRows_) return;
    fixedRows_ = v;
    const int first = std::min(fixedRows_, rowCount_ - 1);
    if (current_.Y < first) current_.Y = first;
    if (anchor_.Y < first) anchor_.Y = first;
    topLeft_.Y = std::max(topLeft_.Y, fixedRows_);
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::SizeChanged(int, int) {}

// ---- sizes ----

void TCustomGrid::SetDefaultColWidth(int v)
{
    v = CellSizeWithin(v);
    defaultColWidth_ = v;
    colWidths_.assign(colCount_, v);
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v)
{
    v = CellSizeWithin(v);
    defaultRowHeight_ = v;
    rowHeights_.assign(rowCount_, v);
    RowHeightsChanged();
}

int TCustomGrid::ColWidths(int col) const
{
    if (col < 0 || col >= colCount_) IndexOutOfRange();
    return colWidths_[col];
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= colCount_) IndexOutOfRange();
    width = CellSizeWithin(width);
    if (colWidths_[col] == width) return;
    colWidths_[col] = width;
    ColWidthsChanged();
}

int TCustomGrid::RowHeights(int row) const
{
    if (row < 0 || row >= rowCount_) IndexOutOfRange();
    return rowHeights_[row];
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= rowCount_) IndexOutOfRange();
    height = CellSizeWithin(height);
    if (rowHeights_[row] == height) return;
    rowHeights_[row] = height;
    RowHeightsChanged();
}

bool TCustomGrid::TabStops(int col) const
{
    if (col < 0 || col >= colCount_) IndexOutOfRange();
    return tabStops_[col];
}

void TCustomGrid::SetTabStops(int col, bool v)
{
    if (col < 0 || col >= colCount_) IndexOutOfRange();
    tabStops_[col] = v;
}

void TCustomGrid::SetGridLineWidth(int v)
{
    v = std::clamp(v, 0, MaxCellSize);
    if (v == gridLineWidth_) return;
    gridLineWidth_ = v;
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

int TCustomGrid::GridWidth() const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    long long w = 0;
    for (int i = 0; i < colCount_; ++i) w += info.Horz.CellSpan(i);
    return Saturated(w);
}

int TCustomGrid::GridHeight() const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    long long h = 0;
    for (int i = 0; i < rowCount_; ++i) h += info.Vert.CellSpan(i);
    return Saturated(h);
}

void TCustomGrid::ColWidthsChanged()
{
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged()
{
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

// ---- options ----

void TCustomGrid::SetOptions(TGridOptions v)
{
    if (v == options_) return;
    const TGridOptions old = options_;
    options_ = v;
    if (!(v & goEditing)) HideEditor();
    if (v & goRowSelect) {
        HideEditor();
        anchor_.X = colCount_ - 1;
    } else if (old & goRowSelect) {
        anchor_.X = current_.X;
    }
    if (!(v & goRangeSelect)) anchor_ = (v & goRowSelect) ? TGridCoord{colCount_ - 1, current_.Y} : current_;
    if ((v & goAlwaysShowEditor) && (v & goEditing)) ShowEditor();
    Invalidate();
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::SetScrollBars(TScrollStyle v)
{
    if (v == scrollBars_) return;
    scrollBars_ = v;
    UpdateScrollRange();
}

void TCustomGrid::SetFixedColor(TColor c)
{
    if (c == fixedColor_) return;
    fixedColor_ = c;
    Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool v)
{
    if (v == defaultDrawing_) return;
    defaultDrawing_ = v;
    Invalidate();
}

// ---- geometry ----

void TCustomGrid::calcAxis(TGridAxisDrawInfo& a, bool cols) const
{
    const TGridOptions lines = cols ? (goFixedVertLine | goVertLine) : (goFixedHorzLine | goHorzLine);
    a.EffectiveLineWidth = (options_ & lines) ? gridLineWidth_ : 0;
    a.Sizes = cols ? &colWidths_ : &rowHeights_;
    a.DefaultSize = cols ? defaultColWidth_ : defaultRowHeight_;
    a.FixedCellCount = cols ? fixedCols_ : fixedRows_;
    a.FirstGridCell = cols ? topLeft_.X : topLeft_.Y;
    a.GridCellCount = cols ? colCount_ : rowCount_;
    a.GridExtent = cols ? ClientWidth() : ClientHeight();

    long long pos = 0;
    for (int i = 0; i < a.FixedCellCount; ++i) pos += a.CellSpan(i);
    a.FixedBoundary = Saturated(pos);
    a.FullVisBoundary = a.FixedBoundary;
    a.LastFullVisibleCell = a.FirstGridCell - 1;
    bool full = true;
    for (int i = a.FirstGridCell; i < a.GridCellCount && pos < a.GridExtent; ++i) {
        pos += a.CellSpan(i);
        if (full && pos <= a.GridExtent) {
            a.LastFullVisibleCell = i;
            a.FullVisBoundary = Saturated(pos);
        } else {
            full = false;
        }
    }
    a.GridBoundary = Saturated(std::min<long long>(pos, a.GridExtent));
}

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& info) const
{
    calcAxis(info.Horz, true);
    calcAxis(info.Vert, false);
}

int TCustomGrid::axisMaxFirst(const TGridAxisDrawInfo& a) const
{
    if (a.FixedCellCount >= a.GridCellCount) return a.FixedCellCount;
    int room = a.GridExtent - a.FixedBoundary;
    int i = a.GridCellCount - 1;
    while (i >= a.FixedCellCount) {
        const int span = a.CellSpan(i);
        if (span > room) break;
        room -= span;
        --i;
    }
    // The last cell alone may be larger than the room: it still leads the view.
    return std::clamp(i + 1, a.FixedCellCount, a.GridCellCount - 1);
}

TGridCoord TCustomGrid::MaxTopLeft() const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    return {axisMaxFirst(info.Horz), axisMaxFirst(info.Vert)};
}

int TCustomGrid::VisibleColCount() const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (info.Horz.FirstGridCell >= colCount_) return 0;
    return std::max(1, info.Horz.LastFullVisibleCell - info.Horz.FirstGridCell + 1);
}

int TCustomGrid::VisibleRowCount() const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (info.Vert.FirstGridCell >= rowCount_) return 0;
    return std::max(1, info.Vert.LastFullVisibleCell - info.Vert.FirstGridCell + 1);
}

int TCustomGrid::coordFromPos(const TGridAxisDrawInfo& a, int pos) const
{
    if (pos < 0 || pos >= a.GridExtent) return -1;
    long long end = 0;
    if (pos < a.FixedBoundary) {
        for (int i = 0; i < a.FixedCellCount; ++i) {
            end += a.CellSpan(i);
            if (pos < end) return i;
        }
        return -1;
    }
    end = a.FixedBoundary;
    for (int i = a.FirstGridCell; i < a.GridCellCount && end < a.GridExtent; ++i) {
        end += a.CellSpan(i);
        if (pos < end) return i;
    }
    return -1;
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const
{
    return cellAt(LayoutX(x), y);
}

TGridCoord TCustomGrid::cellAt(int layoutX, int y) const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord c{coordFromPos(info.Horz, layoutX), coordFromPos(info.Vert, y)};
    if (c.X < 0 || c.Y < 0) return {-1, -1};
    return c;
}

TRect TCustomGrid::LayoutRect(const TRect& r) const
{
    if (!UseRightToLeftAlignment() || r.IsEmpty()) return r;
    return {ClientWidth() - r.Right, r.Top, ClientWidth() - r.Left, r.Bottom};
}

int TCustomGrid::cellStart(const TGridAxisDrawInfo& a, int index) const
{
    long long pos = 0;
    if (index < a.FixedCellCount) {
        for (int i = 0; i < index; ++i) pos += a.CellSpan(i);
        return Saturated(pos);
    }
    pos = a.FixedBoundary;
    for (int i = a.FirstGridCell; i < index; ++i) pos += a.CellSpan(i);
    return Saturated(pos);
}

// The pixel span [from, to) of cells first..last on one axis, cut at the client edge;
// false when none of it is on screen.
bool TCustomGrid::axisRange(const TGridAxisDrawInfo& a, int first, int last, int& from, int& to) const
{
    if (first > last) std::swap(first, last);
    if (first < 0 || last >= a.GridCellCount) return false;
    const bool firstHidden = first >= a.FixedCellCount && first < a.FirstGridCell;
    const bool lastHidden = last >= a.FixedCellCount && last < a.FirstGridCell;
    if (firstHidden && lastHidden) return false;
    // Cells scrolled away under the fixed ones start where the scrolling part starts.
    from = firstHidden ? a.FixedBoundary : cellStart(a, first);
    if (lastHidden)
        to = a.FixedBoundary - a.EffectiveLineWidth;
    else
        to = Saturated(static_cast<long long>(cellStart(a, last)) + std::max(0, a.CellSize(last)));
    to = std::min(to, a.GridExtent);
    return from < a.GridExtent && to > from;
}

TRect TCustomGrid::BoxRect(int left, int top, int right, int bottom) const
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TRect r;
    if (!axisRange(info.Horz, left, right, r.Left, r.Right)) return {};
    if (!axisRange(info.Vert, top, bottom, r.Top, r.Bottom)) return {};
    return r;
}

TRect TCustomGrid::CellRect(int col, int row) const { return BoxRect(col, row, col, row); }

// ---- repainting ----

void TCustomGrid::invalidateBox(const TGridRect& g)
{
    TRect r = BoxRect(g.Left, g.Top, g.Right, g.Bottom);
    if (r.IsEmpty()) return;
    // The lines after the cells and a focus frame drawn over them.
    r.Right += std::max(1, gridLineWidth_);
    r.Bottom += std::max(1, gridLineWidth_);
    InvalidateRect(r);
}

void TCustomGrid::InvalidateCell(int col, int row) { invalidateBox({col, row, col, row}); }
void TCustomGrid::InvalidateRow(int row) { invalidateBox({0, row, colCount_ - 1, row}); }
void TCustomGrid::InvalidateCol(int col) { invalidateBox({col, 0, col, rowCount_ - 1}); }

// ---- current cell and selection ----

TGridRect TCustomGrid::Selection() const
{
    TGridRect r{std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y),
                std::max(anchor_.X, current_.X), std::max(anchor_.Y, current_.Y)};
    if (options_ & goRowSelect) {
        r.Left = std::min(fixedCols_, colCount_ - 1);
        r.Right = colCount_ - 1;
    }
    return r;
}

void TCustomGrid::SetSelection(const TGridRect& r)
{
    const TGridRect oldSel = Selection();
    anchor_ = {std::clamp(r.Left, 0, colCount_ - 1), std::clamp(r.Top, 0, rowCount_ - 1)};
    moveCurrent(r.Right, r.Bottom, false, true);
    selectionMoved(oldSel);
}

void TCustomGrid::selectionMoved(const TGridRect& oldSel)
{
    const TGridRect now = Selection();
    if (now == oldSel) {
        InvalidateCell(current_.X, current_.Y);
        return;
    }
    invalidateBox(oldSel);
    invalidateBox(now);
}

void TCustomGrid::moveCurrent(int col, int row, bool moveAnchor, bool show)
{
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) IndexOutOfRange();
    const TGridRect oldSel = Selection();
    const TGridCoord oldCurrent = current_;
    current_ = {col, row};
    if (!(options_ & goAlwaysShowEditor) && !(current_ == oldCurrent)) HideEditor();
    if (moveAnchor || !(options_ & goRangeSelect)) {
        anchor_ = current_;
        if (options_ & goRowSelect) anchor_.X = colCount_ - 1;
    }
    if (show) ClampInView(current_.X, current_.Y);
    selectionMoved(oldSel);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
}

void TCustomGrid::MoveColRow(int col, int row, bool moveAnchor, bool show)
{
    moveCurrent(col, row, moveAnchor, show);
    UpdateEdit();
}

void TCustomGrid::FocusCell(int col, int row, bool moveAnchor)
{
    col = std::clamp(col, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    row = std::clamp(row, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    moveCurrent(col, row, moveAnchor, true);
    UpdateEdit();
    Click();
}

// ---- view ----

void TCustomGrid::MoveTopLeft(int left, int top)
{
    const TGridCoord maxTL = MaxTopLeft();
    left = std::clamp(left, fixedCols_, std::max(fixedCols_, maxTL.X));
    top = std::clamp(top, fixedRows_, std::max(fixedRows_, maxTL.Y));
    if (left == topLeft_.X && top == topLeft_.Y) return;
    topLeft_ = {left, top};
    Invalidate();
    UpdateScrollPos();
    TopLeftChanged();
}

void TCustomGrid::ClampInView(int col, int row)
{
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord tl = topLeft_;
    auto clampAxis = [](const TGridAxisDrawInfo& a, int cell, int& first) {
        if (cell < a.FixedCellCount) return;
        if (cell < first) {
            first = cell;
            return;
        }
        if (cell <= a.LastFullVisibleCell) return;
        // The first cell from which `cell` ends inside the client area.
        long long room = static_cast<long long>(a.GridExtent) - a.FixedBoundary - a.CellSpan(cell);
        int i = cell;
        while (i - 1 >= a.FixedCellCount && a.CellSpan(i - 1) <= room) {
            room -= a.CellSpan(i - 1);
            --i;
        }
        first = std::max(first, i);
    };
    clampAxis(info.Horz, col, tl.X);
    clampAxis(info.Vert, row, tl.Y);
    MoveTopLeft(tl.X, tl.Y);
}

void TCustomGrid::TopLeftChanged()
{
    if (editorMode_ && inplaceEdit_) inplaceEdit_->UpdateLoc(InplaceEditRect());
}

// ---- scroll bars ----

void TCustomGrid::SetScrollBarParams(TScrollBar* bar, int min, int max, int page, int position)
{
    max = std::max(min, max);
    // Unchanged values leave the bar as it is (and unpainted).
    if (bar->Min() == min && bar->Max() == max && bar->PageSize() == std::clamp(page, 0, max - min + 1)) {
        const int maxPosition = bar->PageSize() > 0 ? std::max(min, max - bar->PageSize() + 1) : max;
        if (bar->Position() == std::clamp(position, min, maxPosition)) return;
    }
    bar->SetPageSize(0);
    bar->SetParams(position, min, max);
    bar->SetPageSize(page);
    bar->SetPosition(position);
}

void TCustomGrid::SetScrollBarShown(TScrollBarKind kind, bool shown)
{
    bool& flag = kind == sbVertical ? vertShown_ : horzShown_;
    if (flag == shown) return;
    flag = shown;
    RecalcNonClient();
    placeBars();
}

void TCustomGrid::placeBars()
{
    const int w = ClientWidth(), h = ClientHeight();
    vertBar_->SetBounds(w, 0, Metrics().VScrollWidth, h);
    horzBar_->SetBounds(0, h, w, Metrics().HScrollHeight);
    vertBar_->SetVisible(vertShown_);
    horzBar_->SetVisible(horzShown_);
}

void TCustomGrid::UpdateScrollRange()
{
    if (updatingScroll_) return;
    updatingScroll_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{updatingScroll_};
    TScrollBarInfo own;
    // Showing one bar narrows the client area, which may call for the other bar.
    for (int pass = 0; pass < 3; ++pass) {
        const TGridCoord maxTL = MaxTopLeft();
        const bool ownVert = GetVertScrollInfo(own);
        const bool wantH = (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && maxTL.X > fixedCols_;
        const bool wantV = ownVert ? own.Shown
                                   : (scrollBars_ == ssVertical || scrollBars_ == ssBoth) && maxTL.Y > fixedRows_;
        if (wantH == horzShown_ && wantV == vertShown_) break;
        SetScrollBarShown(sbHorizontal, wantH);
        SetScrollBarShown(sbVertical, wantV);
    }
    const TGridCoord maxTL = MaxTopLeft();
    if (topLeft_.X > maxTL.X || topLeft_.Y > maxTL.Y)
        MoveTopLeft(std::min(topLeft_.X, maxTL.X), std::min(topLeft_.Y, maxTL.Y));
    // Positions count scrolling cells; the page is what shows at the far end, so
    // the bar's largest position (max - page + 1) is the largest first cell.
    const int scrollCols = colCount_ - fixedCols_;
    const int scrollRows = rowCount_ - fixedRows_;
    SetScrollBarParams(horzBar_, 0, std::max(0, scrollCols - 1), colCount_ - maxTL.X, topLeft_.X - fixedCols_);
    if (GetVertScrollInfo(own))
        SetScrollBarParams(vertBar_, own.Min, own.Max, own.Page, own.Position);
    else
        SetScrollBarParams(vertBar_, 0, std::max(0, scrollRows - 1), rowCount_ - maxTL.Y, topLeft_.Y - fixedRows_);
}

void TCustomGrid::UpdateScrollPos()
{
    horzBar_->SetPosition(topLeft_.X - fixedCols_);
    TScrollBarInfo own;
    vertBar_->SetPosition(GetVertScrollInfo(own) ? own.Position : topLeft_.Y - fixedRows_);
}

void TCustomGrid::barScroll(TScrollBarKind kind, TScrollCode code, int& pos)
{
    const int requested = pos;
    ScrollMessage(kind, code, pos);
    // While the thumb is dragged without tracking it stays where the mouse holds it.
    if (code == scTrack && pos == requested && !(options_ & goThumbTracking)) return;
    pos = ScrollBarControl(kind)->Position();
}

void TCustomGrid::ScrollMessage(TScrollBarKind kind, TScrollCode code, int& pos)
{
    const bool vert = kind == sbVertical;
    const int fixed = vert ? fixedRows_ : fixedCols_;
    const int first = vert ? topLeft_.Y : topLeft_.X;
    const int page = std::max(1, vert ? VisibleRowCount() : VisibleColCount());
    const TGridCoord maxTL = MaxTopLeft();
    int target = first;
    switch (code) {
    case scLineUp: target = first - 1; break;
    case scLineDown: target = first + 1; break;
    case scPageUp: target = first - page; break;
    case scPageDown: target = first + page; break;
    case scTop: target = fixed; break;
    case scBottom: target = vert ? maxTL.Y : maxTL.X; break;
    case scTrack:
        if (!(options_ & goThumbTracking)) return;
        target = fixed + pos;
        break;
    case scPosition: target = fixed + pos; break;
    case scEndScroll: return;
    }
    if (vert)
        MoveTopLeft(topLeft_.X, target);
    else
        MoveTopLeft(target, topLeft_.Y);
    pos = (vert ? topLeft_.Y : topLeft_.X) - fixed;
}

// ---- frame and size ----

QRegion TCustomGrid::InvalidatedArea() const
{
    QRegion area = TControl::InvalidatedArea();
    for (const TScrollBar* bar : {horzBar_, vertBar_})
        if (bar && bar->isVisibleTo(this)) area -= bar->geometry();
    return area;
}

void TCustomGrid::CalcNonClientSize(TRect& client)
{
    TControl::CalcNonClientSize(client);
    ExcludeScrollBars(client);
}

void TCustomGrid::ExcludeScrollBars(TRect& client) const
{
    if (vertShown_) client.Right = std::max(client.Left, client.Right - Metrics().VScrollWidth);
    if (horzShown_) client.Bottom = std::max(client.Top, client.Bottom - Metrics().HScrollHeight);
}

void TCustomGrid::PaintNonClient(TCanvas& canvas)
{
    TControl::PaintNonClient(canvas);
    PaintScrollBarCorner(canvas);
}

void TCustomGrid::PaintScrollBarCorner(TCanvas& canvas)
{
    if (vertShown_ && horzShown_) {
        // The square where the two bars meet.
        const TPoint off = ClientOffset();
        const int l = off.X + ClientWidth(), t = off.Y + ClientHeight();
        canvas.Brush().SetColor(clBtnFace);
        canvas.FillRect(Bounds(l, t, Metrics().VScrollWidth, Metrics().HScrollHeight));
    }
}

void TCustomGrid::Resize()
{
    TControl::Resize();
    if (!horzBar_) return; // still constructing
    placeBars();
    UpdateScrollRange();
    if (editorMode_ && inplaceEdit_ && inplaceEdit_->Visible())
        inplaceEdit_->UpdateLoc(InplaceEditRect());
}

void TCustomGrid::showEvent(QShowEvent* e)
{
    if (!windowCreated_) {
        windowCreated_ = true;
        Guarded([this] { CreateWnd(); });
    }
    TControl::showEvent(e);
}

void TCustomGrid::CreateWnd() { UpdateScrollRange(); }

// ---- the in-place edit ----

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow()
{
    return (options_ & goEditing) && !(options_ & goRowSelect) && editorMode_
           && ((options_ & goAlwaysShowEditor) || GridFocused());
}

bool TCustomGrid::CanEditModify() { return (options_ & goEditing) != 0; }
bool TCustomGrid::CanEditAcceptKey(char) { return true; }
std::string TCustomGrid::GetEditText(int, int) { return {}; }
void TCustomGrid::SetEditText(int, int, const std::string&) {}
int TCustomGrid::GetEditLimit() { return 0; }
std::string TCustomGrid::GetEditMask(int, int) { return {}; }

bool TCustomGrid::GridFocused() const
{
    return hasFocus() || (inplaceEdit_ && inplaceEdit_->Focused());
}

void TCustomGrid::UpdateEdit()
{
    if (!CanEditShow()) {
        if (inplaceEdit_ && inplaceEdit_->Visible()) hideEdit();
        return;
    }
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        inplaceEdit_->Hide();
    }
    if (inplaceCol_ != current_.X || inplaceRow_ != current_.Y) {
        UpdateText();
        inplaceCol_ = current_.X;
        inplaceRow_ = current_.Y;
        inplaceEdit_->UpdateContents();
        inplaceEdit_->SelectAll();
    }
    const bool hadFocus = hasFocus();
    inplaceEdit_->Move(InplaceEditRect());
    if (hadFocus && inplaceEdit_->Visible() && inplaceEdit_->CanFocus()) inplaceEdit_->SetFocus();
}

void TCustomGrid::UpdateText()
{
    if (!inplaceEdit_ || inplaceCol_ < 0 || inplaceRow_ < 0) return;
    if (inplaceCol_ >= colCount_ || inplaceRow_ >= rowCount_) return;
    SetEditText(inplaceCol_, inplaceRow_, inplaceEdit_->Text());
}

void TCustomGrid::hideEdit()
{
    if (!inplaceEdit_ || !inplaceEdit_->Visible()) return;
    const bool hadFocus = inplaceEdit_->Focused();
    UpdateText();
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    inplaceEdit_->Hide();
    if (hadFocus && CanFocus()) SetFocus();
}

void TCustomGrid::ShowEditor()
{
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor()
{
    editorMode_ = false;
    hideEdit();
}

void TCustomGrid::SetEditorMode(bool v)
{
    if (!v) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (inplaceEdit_ && inplaceEdit_->Visible()) inplaceEdit_->Deselect();
}

void TCustomGrid::InvalidateEditor()
{
    inplaceCol_ = -1;
    inplaceRow_ = -1;
    UpdateEdit();
}

} // namespace ui
