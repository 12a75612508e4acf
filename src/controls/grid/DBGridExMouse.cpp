// The grid's mouse: presses that move the current record and column, title buttons and
// the sort marking of their clicks, selecting records, rectangles of cells and columns by
// clicking and dragging, dragging the selection away, check boxes toggled by a click,
// column sizing from the titles, and the title and cell click events.
#include <algorithm>
#include <cstdlib>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSetScopes.h"
#include "platform/rtl/Stream.h"

namespace grid {

bool TCustomDBGridEx::onRecordRow(const ui::TGridCoord& cell) const
{
    return cell.Y >= titleOffset_ && dataRowHasRecord(cell.Y - titleOffset_);
}

bool TCustomDBGridEx::inTitleLeaf(int ACol, int y) const
{
    if (!options_.Contains(dgTitles)) return true;
    return y >= TitleLeafTop(RawToDataColumn(ACol), CellRect(ACol, 0));
}

// ---- presses

void TCustomDBGridEx::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y)
{
    checkClickCell_ = {-1, -1};
    downPoint_ = movePoint_ = {X, Y};
    sizingEnded_ = false;
    doubleClicked_ = Shift & ui::ssDouble;
    if (!AcquireFocus()) return;
    // (Before the capture: the press goes on to the filter editor.)
    if (FilterRowMouseDown(Button, Shift, X, Y)) {
        ui::TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    // A press holds the mouse until its release.
    if (Button != ui::mbMiddle) SetMouseCapture(true);
    const ui::TGridCoord cell = MouseCoord(X, Y);
    if (doubleClicked_ && Button == ui::mbLeft) {
        doubleClickPress(Shift, X, Y);
        ui::TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (sizingPress(Button, Shift, X, Y)) return;
    if (columnSelectPress(Shift, cell)) {
        ui::TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (fixedRowsPress(Button, Shift, X, Y, cell)) return;
    if (cell.X < 0 || cell.Y < titleOffset_ || !onRecordRow(cell)) {
        ui::TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (memTable_ && memTableNodePress(Button, X, cell)) {
        ui::TControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    dataPress(Button, Shift, X, Y, cell);
    ui::TControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomDBGridEx::doubleClickPress(ui::TShiftState shift, int x, int y)
{
    if (optionsEx_.Contains(dghDblClickOptimizeColWidth)) {
        const TSizingAt sizing = sizingAt(x, y);
        if (TColumnEx* column = sizing.State == ui::gsColSizing ? columnAt(sizing.Index) : nullptr) {
            OptimizeColWidth(column);
            return true;
        }
    }
    const ui::TGridCoord cell = MouseCoord(x, y);
    TColumnEx* column = columnAt(cell.X);
    if (onRecordRow(cell) && isCheckOrImage(column) && column->GetDblClickNextVal())
        column->SetNextFieldValue(shift & ui::ssShift ? -1.0 : 1.0);
    return false;
}

void TCustomDBGridEx::DblClick()
{
    // A double click on a sizing edge fits the column (the press that follows does it).
    if (optionsEx_.Contains(dghDblClickOptimizeColWidth)
        && sizingAt(downPoint_.X, downPoint_.Y).State == ui::gsColSizing)
        return;
    ui::TControl::DblClick();
    const ui::TGridCoord cell = MouseCoord(downPoint_.X, downPoint_.Y);
    if (options_.Contains(dgEditing) && cell.X == Col() && cell.Y == Row() && onRecordRow(cell)) ShowEditor();
}

bool TCustomDBGridEx::sizingPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    const TSizingAt sizing = sizingAt(x, y);
    if (sizing.State == ui::gsNormal) return false;
    dataLink_->UpdateData();
    const bool own = sizing.Title || optionsEx_.Contains(dghTraceColSizing);
    if (sizing.State == ui::gsColSizing && button == ui::mbLeft && own) {
        beginTitleSizing(sizing.Index, sizing.LinePos, sizing.LinePos - LayoutX(x));
        ui::TControl::MouseDown(button, shift, x, y);
        return true;
    }
    // The base grid drags the sizing line (also for the right button).
    ui::TCustomGrid::MouseDown(ui::mbLeft, shift, x, y);
    return true;
}

void TCustomDBGridEx::beginTitleSizing(int column, int linePos, int offset)
{
    mouseMode_ = mmTitleSizing;
    sizingColumn_ = column;
    sizingLeft_ = linePos - std::max(0, ColWidths(column));
    sizingOffset_ = offset;
    if (!optionsEx_.Contains(dghTraceColSizing)) ShowSizingLine(ui::gsColSizing, linePos);
}

bool TCustomDBGridEx::columnSelectPress(ui::TShiftState shift, const ui::TGridCoord& cell)
{
    TColumnEx* column = columnAt(cell.X);
    if (!column || CursorAt(downPoint_.X, downPoint_.Y) != crDBGridExDown) return false;
    mouseMode_ = mmColumns;
    mouseHeld_ = true;
    columnDragLast_ = cell.X;
    TDBGridExSelectionCols& columns = Selection().Columns();
    if (shift & ui::ssCtrl) {
        columns.Toggle(column);
    } else if (shift & ui::ssShift) {
        columns.ExtendTo(column);
    } else {
        Invalidate();
        columns.Select(column, false);
    }
    return true;
}

bool TCustomDBGridEx::fixedRowsPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y,
                                     const ui::TGridCoord& cell)
{
    if (cell.Y < 0 || cell.Y >= FixedRows() || cell.X < 0) return false;
    TColumnEx* column = columnAt(cell.X);
    const bool onTitle = cell.Y < TitleRowCount() && column && !IsDesigning() && inTitleLeaf(cell.X, y);
    if (onTitle && button == ui::mbLeft && column->Title()->GetTitleButton()) {
        bool enabled = true;
        CheckTitleButton(RawToDataColumn(cell.X), enabled);
        if (enabled) {
            mouseHeld_ = true;
            pressedTitleColumn_ = cell.X;
            titleButtonPressed_ = true;
            InvalidateCell(cell.X, 0);
            ui::TControl::MouseDown(button, shift, x, y);
            return true;
        }
    }
    if (!IsDesigning() && !options_.Contains(dgColumnResize)) {
        ui::TControl::MouseDown(button, shift, x, y);
        return true;
    }
    // The indicator's title selects everything, or drops what is selected.
    if (cell.X == 0 && indicatorOffset_ > 0 && cell.Y == 0 && options_.Contains(dgMultiSelect)
        && dataLink_->Active() && SelectionTypeAllowed(gstAll)) {
        if (selection_->SelectionType() != gstNon) Selection().Clear();
        else Selection().SelectAll();
        InvalidateEditor();
    }
    dataLink_->UpdateData();
    // A right press on a title moves the column as a left one does.
    if (button == ui::mbRight && onTitle) button = ui::mbLeft;
    ui::TCustomGrid::MouseDown(button, shift, x, y);
    return true;
}

void TCustomDBGridEx::dataPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y,
                                const ui::TGridCoord& cell)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    const bool dataColumn = cell.X >= indicatorOffset_;
    const bool multiSelect = options_.Contains(dgMultiSelect);
    const bool rowSelect = options_.Contains(dgRowSelect);
    TUpdateLock lock(*this);
    dataLink_->UpdateData();
    HideEditor();
    const int oldCol = Col();
    const int oldRow = Row();
    const db::TBookmark oldBookmark = dataSet.GetBookmark();
    // Shift extends a record selection from where the current record is; a rectangle
    // extends to the cell pressed, which the move makes current.
    const bool rectangleWanted = dataColumn && !rowSelect && SelectionTypeAllowed(gstRectangle);
    const bool extendRecords = (shift & ui::ssShift) && multiSelect && !rectangleWanted;
    if (cell.Y != Row() && !extendRecords) {
        // A data set that numbers its records goes straight to the row's record.
        if (memTable_) memTable_->MemTableSetRecNo(cell.Y - titleOffset_ + 1);
        else dataSet.MoveBy(cell.Y - Row());
    }
    if (dataColumn) MoveCol(cell.X, 0, false);
    if (!MouseCapture()) return;
    // A press on the selection leaves it as it is until the pointer drags it away or the
    // release makes the press a click.
    if (button == ui::mbLeft && !(shift & ui::ssShift) && dataColumn && DragMode() == ui::dmAutomatic && multiSelect
        && selection_->IsCellSelected(SelectedIndex(), dataSet.GetBookmark())) {
        selectionDragPending_ = true;
        BeginDrag(false);
        return;
    }

    bool rectangleStarted = false;
    if (!(multiSelect && rowSelect)) {
        mouseHeld_ = true;
        cellDrag_ = true;
        if (!(shift & (ui::ssCtrl | ui::ssShift)) && optionsEx_.Contains(dghClearSelection)) {
            const bool keep =
                button == ui::mbRight && selection_->IsCellSelected(SelectedIndex(), dataSet.GetBookmark());
            if (!keep) ClearSelection();
        }
        if (rectangleWanted && button == ui::mbLeft && !dataSet.IsEmpty()) {
            rectanglePress(shift, oldCol, oldBookmark);
            rectangleStarted = true;
        }
    }
    if (!rectangleStarted && SelectionTypeAllowed(gstRecordBookmarks)) recordPress(button, shift, cell, oldRow);

    if (button != ui::mbLeft) return;
    if (AlwaysShowEditor() || (cell.X == oldCol && cell.Y == oldRow)) ShowEditor();
    TColumnEx* column = columnAt(cell.X);
    if (column && column->GetAlwaysShowEditButton()) {
        // One click moves to the cell and presses its button.
        const ui::TRect rect = CellRect(cell.X, cell.Y);
        TDBGridInplaceEdit* editor = InplaceEdit();
        const int lx = LayoutX(x);
        if (lx >= rect.Right - column->EditButtonsWidth() && lx < rect.Right && editor && editor->Visible())
            editor->PressButtonAt(ClientToScreen({x, y}));
    }
    if (isCheckOrImage(column)) checkClickCell_ = cell;
}

bool TCustomDBGridEx::rectanglePress(ui::TShiftState shift, int oldCol, const db::TBookmark& oldBookmark)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    TDBGridExSelectionRect& rect = Selection().Rect();
    if (!(shift & ui::ssShift)) {
        rect.Select(SelectedIndex(), dataSet.GetBookmark(), false);
    } else {
        if (selection_->SelectionType() != gstRectangle) rect.Select(RawToDataColumn(oldCol), oldBookmark, false);
        rect.Select(SelectedIndex(), dataSet.GetBookmark(), true);
    }
    mouseMode_ = mmRectangle;
    return true;
}

void TCustomDBGridEx::recordPress(ui::TMouseButton button, ui::TShiftState shift, const ui::TGridCoord& cell,
                                  int oldRow)
{
    TBookmarkListEx& rows = SelectedRows();
    const bool ctrl = shift & ui::ssCtrl;
    const bool clearing = optionsEx_.Contains(dghClearSelection);
    if (!(shift & ui::ssShift) || cell.Y == oldRow) {
        if (button == ui::mbLeft && !ctrl && clearing) {
            ClearSelection();
            rows.SetCurrentRowSelected(true);
        } else if (button == ui::mbLeft) {
            rows.SetCurrentRowSelected(!rows.CurrentRowSelected());
        }
    } else {
        toggleSelection_ = ctrl || !clearing;
        MoveRecords(true, cell.Y - Row(), true, false);
    }
    recordDrag_ = true;
    if (!MouseCapture()) return;
    mouseHeld_ = true;
    selectionAnchor_ = {true, dataLink_->DataSet()->GetBookmark(), !rows.CurrentRowSelected()};
    toggleSelection_ = ctrl || !clearing;
    mouseMode_ = mmRecords;
}

// ---- moves

void TCustomDBGridEx::MouseMove(ui::TShiftState Shift, int X, int Y)
{
    movePoint_ = {X, Y};
    if (mouseHeld_ && pressedTitleColumn_ >= 0) {
        titleButtonMove(X, Y);
        if (GridState() == ui::gsColMoving) ui::TCustomGrid::MouseMove(Shift, X, Y);
        else ui::TControl::MouseMove(Shift, X, Y);
        return;
    }
    if (mouseHeld_ && (recordDrag_ || cellDrag_ || mouseMode_ == mmRectangle)) {
        selectingMove(X, Y);
        ui::TControl::MouseMove(Shift, X, Y);
        return;
    }
    if (mouseMode_ == mmColumns) {
        columnsMove(Shift, X, Y);
        ui::TControl::MouseMove(Shift, X, Y);
        return;
    }
    if (mouseMode_ == mmTitleSizing) {
        titleSizingMove(LayoutX(X));
        ui::TControl::MouseMove(Shift, X, Y);
        return;
    }
    ui::TCustomGrid::MouseMove(Shift, X, Y);
    if (GridState() == ui::gsNormal) setCursor(ui::CursorToQt(CursorAt(X, Y)));
}

void TCustomDBGridEx::titleButtonMove(int x, int y)
{
    const int col = pressedTitleColumn_;
    const ui::TGridCoord cell = MouseCoord(x, y);
    const bool over = ClientRect().Contains({x, y}) && cell.X == col && cell.Y == 0 && inTitleLeaf(col, y);
    if (over != titleButtonPressed_) {
        titleButtonPressed_ = over;
        InvalidateRow(0);
    }
    // Dragged sideways, the button gives way to moving its column.
    if (std::abs(x - downPoint_.X) > 3 && options_.Contains(dgColumnResize)) {
        releaseTitleButton();
        SetMouseCapture(false);
        BeginColumnMoving(col);
    }
}

void TCustomDBGridEx::selectingMove(int x, int y)
{
    const ui::TRect client = ClientRect();
    const int cx = std::clamp(x, 0, std::max(0, client.Right - 1));
    const int cy = std::clamp(y, 0, std::max(0, client.Bottom - 1));
    const ui::TPoint outside = outsideDataArea();
    const ui::TGridCoord cell = MouseCoord(cx, cy);
    if (outside.Y == 0 && onRecordRow(cell) && cell.Y != Row()) {
        // The whole way to the row under the pointer, not one record per move: the window
        // system merges the moves of a quick hand, and a release must find the selection
        // reaching the record it is over.
        const int distance = cell.Y - Row();
        if (mouseMode_ == mmRectangle) MoveRecords(true, distance, false, false);
        else MoveRecords(recordDrag_, distance, true, false);
    }
    if (outside.X == 0 && cell.X >= indicatorOffset_ && cell.X != Col() && !options_.Contains(dgRowSelect))
        MoveCol(cell.X, cell.X > Col() ? 1 : -1, mouseMode_ == mmRectangle);
    updateAutoScroll();
}

void TCustomDBGridEx::columnsMove(ui::TShiftState, int x, int y)
{
    const ui::TGridCoord cell = MouseCoord(x, std::clamp(y, 0, std::max(0, ClientHeight() - 1)));
    if (outsideDataArea().X == 0 && cell.X >= indicatorOffset_ && cell.X != columnDragLast_) {
        columnDragLast_ = cell.X;
        // The anchor's own state decides: a Ctrl-deselected anchor deselects the way.
        if (TColumnEx* column = columnAt(cell.X)) Selection().Columns().ExtendTo(column);
    }
    updateAutoScroll();
}

void TCustomDBGridEx::titleSizingMove(int x)
{
    const int line = x + sizingOffset_;
    if (!optionsEx_.Contains(dghTraceColSizing)) {
        ShowSizingLine(ui::gsColSizing, line);
        return;
    }
    const int width = line - sizingLeft_;
    if (width <= 1 || sizingColumn_ < 0 || sizingColumn_ >= ColCount()) return;
    if (autoFitColWidths_ && !IsDesigning()) {
        // The columns to the right keep at least their minimum widths.
        int room = ClientWidth() - sizingLeft_ - width - GridLineWidth();
        for (int c = sizingColumn_ + 1; c < ColCount(); ++c) {
            const TColumnEx* column = columnAt(c);
            if (column && column->GetVisible()) room -= std::max(column->GetMinWidth(), 0) + GridLineWidth();
        }
        if (room < 0) return;
    }
    SetColWidths(sizingColumn_, width);
}

// ---- releases

void TCustomDBGridEx::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y)
{
    movePoint_ = {X, Y};
    if (mouseMode_ == mmTitleSizing) {
        if (!optionsEx_.Contains(dghTraceColSizing)) {
            HideSizingLine();
            const int width = LayoutX(X) + sizingOffset_ - sizingLeft_;
            if (width > 1 && sizingColumn_ >= 0 && sizingColumn_ < ColCount()) SetColWidths(sizingColumn_, width);
        }
        mouseMode_ = mmNone;
        sizingColumn_ = -1;
        mouseHeld_ = false;
        SetMouseCapture(false);
        ui::TControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (selectionDragPending_) {
        // The selection was pressed but not dragged.
        selectionDragPending_ = false;
        if ((Shift & ui::ssCtrl) && options_.Contains(dgRowSelect))
            SelectedRows().SetCurrentRowSelected(!SelectedRows().CurrentRowSelected());
        else if (optionsEx_.Contains(dghClearSelection))
            ClearSelection();
    }
    // A press that lost the mouse on the way (Esc, another control taking it) clicks nothing.
    const bool pressKept = MouseCapture();
    const bool selectingMode = mouseMode_ != mmNone || recordDrag_ || cellDrag_;
    mouseMode_ = mmNone;
    selectionAnchor_.Set = false;
    if (mouseHeld_ && pressedTitleColumn_ >= 0) titleButtonRelease(Shift, X, Y);
    if (recordDrag_ || cellDrag_) pressedTitleColumn_ = -1;
    if (selectingMode) KillTimer(AutoScrollTimerId);
    recordDrag_ = cellDrag_ = mouseHeld_ = false;
    columnDragLast_ = -1;

    const ui::TGridState state = GridState();
    // A column dragged to another place is no click on its title.
    const bool columnMoved = state == ui::gsColMoving && MovingTarget() != MovingIndex();
    ui::TCustomGrid::MouseUp(state == ui::gsColMoving ? ui::mbLeft : Button, Shift, X, Y);
    if (state == ui::gsRowSizing) {
        // The first data row of another height gives every data row its height.
        for (int row = titleOffset_; row < RowCount(); ++row)
            if (RowHeights(row) != DefaultRowHeight()) {
                const int height = RowHeights(row);
                SetRowLines(0);
                SetRowHeight(height);
                break;
            }
        RefreshVertScrollBar();
    }
    sizingEnded_ = state == ui::gsRowSizing || state == ui::gsColSizing;
    if (!sizingEnded_ && !columnMoved && pressKept) clickRelease(Button, Shift, X, Y);
    SetMouseCapture(false);
}

bool TCustomDBGridEx::titleButtonRelease(ui::TShiftState shift, int x, int y)
{
    const int col = pressedTitleColumn_;
    const ui::TGridCoord cell = MouseCoord(x, y);
    const bool hit = ClientRect().Contains({x, y}) && cell.X == col && cell.Y >= 0 && cell.Y < TitleRowCount()
                     && inTitleLeaf(col, y);
    releaseTitleButton();
    TColumnEx* column = columnAt(col);
    if (!hit || !column) return false;
    const bool ctrl = shift & ui::ssCtrl;
    TitleBtnClick(RawToDataColumn(col), column);
    sortByCtrl_ = ctrl;
    if (optionsEx_.Contains(dghAutoSortMarking)) column->Title()->SetNextSortMarkerValue(ctrl);
    if (!ctrl) SortMarkingChanged();
    return true;
}

void TCustomDBGridEx::releaseTitleButton()
{
    const int col = pressedTitleColumn_;
    pressedTitleColumn_ = -1;
    titleButtonPressed_ = false;
    mouseHeld_ = false;
    if (col >= 0 && col < ColCount()) InvalidateRow(0);
}

void TCustomDBGridEx::clickRelease(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    const ui::TGridCoord cell = MouseCoord(x, y);
    const ui::TGridCoord checkCell = checkClickCell_;
    checkClickCell_ = {-1, -1};
    const TDBGridInplaceEdit* editor = InplaceEdit();
    if (editor && editor->Visible() && editor->BoundsRect().Contains({x, y})) return;
    TColumnEx* column = columnAt(cell.X);
    if (button == ui::mbLeft && column) {
        if (cell.Y >= 0 && cell.Y < TitleRowCount()) TitleClick(column);
        else if (onRecordRow(cell)) CellClick(column);
    }
    // A check box steps when press and release fall on the same cell.
    if (cell == checkCell && !doubleClicked_ && isCheckOrImage(column) && !column->GetDblClickNextVal()
        && column->CanModify(false))
        column->SetNextFieldValue(shift & ui::ssShift ? -1.0 : 1.0);
}

void TCustomDBGridEx::endTitleSizing()
{
    if (mouseMode_ != mmTitleSizing) return;
    HideSizingLine();
    mouseMode_ = mmNone;
    sizingColumn_ = -1;
}

bool TCustomDBGridEx::AutoDragPress(ui::TShiftState Shift, int X, int Y)
{
    if (options_.Contains(dgMultiSelect) && !IsDesigning()) return false;
    return ui::TCustomGrid::AutoDragPress(Shift, X, Y);
}

void TCustomDBGridEx::DoStartDrag(ui::TDragObject& DragObject)
{
    selectionDragPending_ = false;
    if (dataLink_->Active() && selection_->SelectionType() != gstNon) {
        const db::TDisableControlsScope quiet(*dataLink_->DataSet());
        rtl::TMemoryStream text;
        WriteGridToExportStream<TDBGridExExportAsText>(*this, text, false);
        DragObject.SetText(text.ToString());
    }
    ui::TCustomGrid::DoStartDrag(DragObject);
}

void TCustomDBGridEx::CaptureCancelled()
{
    selectionDragPending_ = false;
    KillTimer(AutoScrollTimerId);
    releaseTitleButton();
    endTitleSizing();
    mouseMode_ = mmNone;
    recordDrag_ = cellDrag_ = false;
    ui::TCustomGrid::CaptureCancelled();
}

} // namespace grid
