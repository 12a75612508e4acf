#pragma once
// The base grid: a matrix of cells, the first FixedCols columns and FixedRows rows
// fixed at the left and top, the rest scrolling under them. It keeps the geometry
// (widths, heights, lines, the first visible cell), the current cell with its
// selection box, the grid states of sizing and moving columns and rows, default key
// and mouse handling, the scroll bars, the paint loop that calls DrawCell for every
// visible cell, and the slot of the in-place edit.
//
// Coordinates: cells are (column, row); pixels are client coordinates. A column of
// width -1 is hidden together with its grid line; width 0 leaves only the line.
// Descendants change behaviour through the protected virtual hooks; the data grid
// replaces the paint loop, the key and mouse handling and the scroll bars.
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/ui/Control.h"
#include "platform/ui/StdControls.h"

namespace ui {

class TInplaceEdit;

// A grid operation with bad arguments (an index outside the grid, a fixed count too large).
class EInvalidGridOperation : public rtl::Exception {
    using rtl::Exception::Exception;
};

using TGridOptions = unsigned;
enum : unsigned {
    goFixedVertLine = 1u << 0,     // lines between fixed columns
    goFixedHorzLine = 1u << 1,     // lines between fixed rows
    goVertLine = 1u << 2,          // lines between scrolling columns
    goHorzLine = 1u << 3,          // lines between scrolling rows
    goRangeSelect = 1u << 4,       // Shift and dragging extend the selection box
    goDrawFocusSelected = 1u << 5, // the current cell is drawn highlighted too
    goRowSizing = 1u << 6,         // row heights are dragged in the fixed columns
    goColSizing = 1u << 7,         // column widths are dragged in the fixed rows
    goColMoving = 1u << 8,         // columns are dragged by their fixed cells
    goEditing = 1u << 9,           // the in-place edit may be shown
    goTabs = 1u << 10,             // Tab moves between cells with tab stops
    goRowSelect = 1u << 11,        // whole rows are selected; no editing
    goAlwaysShowEditor = 1u << 12, // the in-place edit stays shown on the current cell
    goThumbTracking = 1u << 13,    // the view follows the thumb while it is dragged
};

// clang-format off
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsColMoving };

using TGridDrawState = unsigned;
enum : unsigned { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

using TGridScrollDirection = unsigned;
enum : unsigned { sdLeft = 1u << 0, sdRight = 1u << 1, sdUp = 1u << 2, sdDown = 1u << 3 };
// clang-format on

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A box of cells; both corners are inside it.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// The largest width or height of a cell, and width of a grid line: one cell with its line
// stays far within int, and the sums along an axis are taken in 64 bits and given back
// saturated.
inline constexpr int MaxCellSize = 1 << 24;

// One axis of the grid as the paint sees it, computed from the client size.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;  // the grid line width when lines are on for this axis, else 0
    int FixedBoundary = 0;       // where the fixed cells end, lines included
    int GridBoundary = 0;        // where the last visible cell ends, at most GridExtent
    int GridExtent = 0;          // the client width or height
    int LastFullVisibleCell = 0; // the last scrolling cell that is wholly visible
    int FullVisBoundary = 0;     // where that cell ends, line included
    int FixedCellCount = 0;
    int FirstGridCell = 0; // LeftCol or TopRow
    int GridCellCount = 0; // ColCount or RowCount
    // The width or height of a cell without its line (-1 for a hidden one). The sizes
    // are the grid's own; the info is valid until the grid's layout changes.
    int CellSize(int index) const;
    // What a cell takes on the axis: its size plus the line, 0 when hidden.
    int CellSpan(int index) const;

    const std::vector<int>* Sizes = nullptr;
    int DefaultSize = 0;
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

class TCustomGrid : public TControl {
public:
    explicit TCustomGrid(TControl* parent = nullptr);
    ~TCustomGrid() override;

    // ---- the cell matrix. Counts are at least 1 (a smaller value gives 1); fixed
    // counts lie between 0 and the count (all columns may be fixed).
    int ColCount() const { return colCount_; }
    void SetColCount(int v);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int v);
    int FixedCols() const { return fixedCols_; }
    // Throws EInvalidGridOperation outside 0 .. ColCount.
    void SetFixedCols(int v);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int v);

    // ---- sizes. Setting a default resets every column or row to it.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int v);
    // Index outside the grid: EInvalidGridOperation. Widths below -1 read as -1, above
    // MaxCellSize as MaxCellSize.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    bool TabStops(int col) const;
    void SetTabStops(int col, bool v);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int v);
    // The whole width of the columns and the height of the rows, lines included.
    int GridWidth() const;
    int GridHeight() const;

    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions v);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor c);
    // Off: cells are not filled nor framed before and after DrawCell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool v);

    // ---- the current cell, the selection and the view
    int Col() const { return current_.X; }
    // A descendant may let some columns be reached differently (frozen columns).
    virtual void SetCol(int v) { MoveColRow(v, current_.Y, true, true); }
    int Row() const { return current_.Y; }
    void SetRow(int v) { MoveColRow(current_.X, v, true, true); }
    // Makes (col, row) current. With moveAnchor the selection shrinks to it, else it
    // stretches from the anchor (range selection only); with show the view scrolls
    // to it. EInvalidGridOperation for a cell outside the grid.
    void MoveColRow(int col, int row, bool moveAnchor, bool show);
    // The box between the anchor and the current cell; whole rows with goRowSelect.
    TGridRect Selection() const;
    // Anchor at (Left, Top), current cell at (Right, Bottom).
    void SetSelection(const TGridRect& r);
    int LeftCol() const { return topLeft_.X; }
    // Kept between FixedCols and the last column that can still lead the view.
    void SetLeftCol(int v) { MoveTopLeft(v, topLeft_.Y); }
    int TopRow() const { return topLeft_.Y; }
    void SetTopRow(int v) { MoveTopLeft(topLeft_.X, v); }
    // Scrolling cells wholly visible now (at least 1 while there is any).
    int VisibleColCount() const;
    int VisibleRowCount() const;
    TGridState GridState() const { return gridState_; }

    // ---- geometry
    void CalcDrawInfo(TGridDrawInfo& info) const;
    // The pixels of a cell without its lines, cut at the client edge; an empty
    // (all-zero) rectangle when it is not on screen.
    TRect CellRect(int col, int row) const;
    // The pixels of a box of cells (corners in any order), cut like CellRect.
    TRect BoxRect(int left, int top, int right, int bottom) const;
    // The cell under a client point; -1 in a coordinate outside the cells. A point on
    // a grid line belongs to the cell before the line. A grid reading right to left is
    // hit where it is drawn: mirrored.
    TGridCoord MouseCoord(int x, int y) const;
    // The grid is drawn mirrored (reading right to left); the base grid never is, whatever
    // its BiDiMode.
    bool UseRightToLeftAlignment() const override { return false; }
    // The x of a client pixel in the grid's layout, where cells run from the left: the
    // mirrored pixel when the grid reads right to left. Applied twice it gives x back.
    int LayoutX(int x) const { return UseRightToLeftAlignment() ? ClientWidth() - 1 - x : x; }
    // A rectangle of the layout where it shows on screen (mirrored likewise).
    TRect LayoutRect(const TRect& r) const;

    // ---- repainting
    void InvalidateCell(int col, int row);
    void InvalidateRow(int row);
    void InvalidateCol(int col);
    void InvalidateGrid() { Invalidate(); }

    // ---- the in-place edit
    bool EditorMode() const { return editorMode_; }
    // True shows the edit on the current cell when CanEditShow allows it (caret at
    // the end); false hides it.
    void SetEditorMode(bool v);
    TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }
    void ShowEditor();
    void HideEditor();
    // Moves the edit to the current cell and reloads its text, mask and limit.
    virtual void InvalidateEditor();
    // The edit's text goes to SetEditText (the edit calls this after each change).
    void UpdateText();

protected:
    friend class TInplaceEdit;

    // ---- drawing
    void Paint() override;
    // Draws one cell; rect excludes the lines. The default draws nothing.
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    // The line gutters of one area (cells from firstCol/firstRow, within area):
    // horizontal and vertical lines in lineColor where asked, else in fillColor.
    void PaintLines(const TGridDrawInfo& info, bool horzLines, bool vertLines, int firstCol, int firstRow,
                    const TRect& area, TColor lineColor, TColor fillColor);
    // Every cell of one area: filled (default drawing), DrawCell, then the raised edge
    // of fixed cells and the focus frame (default drawing).
    void PaintCells(const TGridDrawInfo& info, int firstCol, int firstRow, const TRect& area, TColor color,
                    TGridDrawState areaState);
    // Calls paintCell for every cell of one area that needs painting: rows from firstRow
    // and columns from firstCol laid out from the area's top left, cut at its edges; cells
    // of width or height 0, cells outside the clip and the current cell while the in-place
    // edit covers it are passed over. The state is areaState, plus gdFocused on the current
    // cell of a focused grid and gdSelected inside the selection.
    using TPaintCellFunc = std::function<void(int col, int row, const TRect& rect, TGridDrawState state)>;
    void ForEachPaintCell(const TGridDrawInfo& info, int firstCol, int firstRow, const TRect& area,
                          TGridDrawState areaState, const TPaintCellFunc& paintCell);
    // The marks of a column or row sizing or a column move in progress, over everything.
    void PaintGridStateMarks();
    // The colour of the lines between data cells (silver, grey on a silver grid).
    TColor DataLineColor() const;

    // ---- sizing and moving
    // Whether the client point (x, y) starts a column or row sizing: state, the index
    // sized, the line's position and the point's offset from it, both in the layout
    // (LayoutX). The zone is max(7, line width) pixels centred on the line after the
    // cell, in the fixed rows for columns (goColSizing) and the fixed columns for rows
    // (goRowSizing).
    virtual void CalcSizingState(int x, int y, const TGridDrawInfo& info, TGridState& state, int& index,
                                 int& sizingPos, int& sizingOfs);
    // The column dragged from fromIndex to toIndex (widths and tab stops moved along).
    virtual void ColumnMoved(int fromIndex, int toIndex);
    // Moves a column with its width and tab stop; the current cell follows it.
    void MoveColumn(int fromIndex, int toIndex);
    // Starts sizing column or row index (gsColSizing or gsRowSizing) as a press on its line
    // does: the mouse is captured and the sizing line shows at sizingPos (the line's first
    // pixel in the layout), the pointer standing sizingOfs pixels before it; the release
    // (MouseUp) applies it.
    void BeginSizing(TGridState state, int index, int sizingPos, int sizingOfs);
    // Starts moving column index (gsColMoving) as a press on its fixed cell does; the
    // release over another column moves it there.
    void BeginColumnMoving(int index);
    // The column or row being sized and the pointer's distance from its line.
    int SizingIndex() const { return sizingIndex_; }
    int SizingOffset() const { return sizingOfs_; }
    // The column being moved, -1 when none is.
    int MovingIndex() const { return gridState_ == gsColMoving ? moveIndex_ : -1; }
    // Ends a sizing or moving in progress without applying it.
    void CancelGridState();
    // The line shown while sizing (a column's right edge or a row's bottom edge, in the
    // layout); -1 none.
    int SizingLinePos() const { return sizingLineShown_ ? sizingPos_ : -1; }
    void ShowSizingLine(TGridState kind, int pos);
    void HideSizingLine();
    // Where a moved column would land while dragging (-1 when not moving).
    int MovingTarget() const { return gridState_ == gsColMoving ? movePos_ : -1; }

    // ---- notifications
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    // LeftCol or TopRow changed; the default moves the in-place edit along.
    virtual void TopLeftChanged();
    virtual void SizeChanged(int oldColCount, int oldRowCount);

    // ---- view and current cell
    // Scrolls to (left, top), kept inside the scrolling range.
    void MoveTopLeft(int left, int top);
    // Makes the cell current (clamped into the grid), scrolls it into view, repaints
    // the selection and moves the edit.
    void FocusCell(int col, int row, bool moveAnchor);
    // Scrolls the least so that the cell is wholly visible.
    void ClampInView(int col, int row);
    // The largest LeftCol and TopRow for the client size.
    TGridCoord MaxTopLeft() const;
    // A dragged selection held outside the cells: one step towards it.
    virtual void TimedScroll(TGridScrollDirection direction);

    // ---- keys and mouse
    // False refuses a key before the default key handling.
    virtual bool CanGridAcceptKey(Word key, TShiftState shift);
    // Arrows, pages, Home/End (with Ctrl: the view and the grid's corners), Tab
    // between tab stops (goTabs), F2 edits, Esc ends a sizing or moving; Shift
    // extends the selection with goRangeSelect. Hidden columns and rows are skipped.
    void KeyDown(Word& key, TShiftState shift) override;
    // The character path (what a typed character does first): with goEditing a
    // printable character or Backspace opens the edit and goes into it
    // (ShowEditorChar), where it passes DoKeyPress; any other goes to DoKeyPress.
    void KeyPress(char& key) override;
    // The key-press step: OnKeyPress, then Enter shows or hides the edit (unless it is
    // always shown). The edit runs it for every character typed into it.
    virtual void DoKeyPress(char& key);
    void ShowEditorChar(char ch);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    unsigned DialogCode() const override;
    void TimerTick(int id) override;
    void CaptureCancelled() override;
    void FocusIn(TControl* previous) override;
    void FocusOut(TControl* next) override;
    // The grid or its edit has the focus.
    bool GridFocused() const;
    // The grid or its edit gained or lost the focus: when GridFocused changed since the
    // last check the grid repaints (the look of its selection depends on it).
    virtual void CheckFocusState();

    // ---- the in-place edit's hooks
    virtual TInplaceEdit* CreateEditor();
    // Where the edit lies: over the current cell (an empty rectangle hides it).
    virtual TRect InplaceEditRect() const { return CellRect(current_.X, current_.Y); }
    // The default: goEditing without goRowSelect, the editor mode on, and the edit
    // always shown or the grid focused.
    virtual bool CanEditShow();
    virtual bool CanEditModify();
    virtual bool CanEditAcceptKey(char key);
    virtual std::string GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const std::string& value);
    // The longest text the edit takes (0: no limit).
    virtual int GetEditLimit();
    virtual std::string GetEditMask(int col, int row);
    // Shows or moves the edit when CanEditShow allows it, else hides it.
    void UpdateEdit();

    // ---- scroll bars. The bars stand outside the client area; a shown bar takes
    // room from it. Positions count scrolling cells from 0; the page is the number of
    // cells on screen at the far end, so the largest position is the largest LeftCol
    // or TopRow less the fixed cells.
    virtual void UpdateScrollRange();
    virtual void UpdateScrollPos();
    // A scroll notice of a bar; pos is where the bar is to stand afterwards.
    virtual void ScrollMessage(TScrollBarKind kind, TScrollCode code, int& pos);
    // A vertical bar that does not follow the rows (a grid whose rows are a window of a
    // data set scrolls the data set): whether it shows, and its range, page and position.
    struct TScrollBarInfo {
        bool Shown = false;
        int Min = 0, Max = 0, Page = 0, Position = 0;
    };
    // True when info sets the vertical bar instead of the rows; the default: false.
    virtual bool GetVertScrollInfo(TScrollBarInfo& info) const
    {
        (void)info;
        return false;
    }
    TScrollBar* ScrollBarControl(TScrollBarKind kind) const { return kind == sbVertical ? vertBar_ : horzBar_; }
    bool ScrollBarShown(TScrollBarKind kind) const { return kind == sbVertical ? vertShown_ : horzShown_; }
    // Shows or hides a bar and gives its room to the client area or takes it.
    void SetScrollBarShown(TScrollBarKind kind, bool shown);
    // Sets a bar's range, page and position at once.
    static void SetScrollBarParams(TScrollBar* bar, int min, int max, int page, int position);

    // ---- window
    // Runs once, when the grid is first shown: what needs the finished window.
    // The default brings the scroll bars up to date.
    virtual void CreateWnd();
    // Whether the grid has been shown (its window exists).
    bool HandleAllocated() const { return windowCreated_; }
    void showEvent(QShowEvent* e) override;

    // ---- frame and size
    // Everything but the shown scroll bars: a bar paints itself when its values change.
    QRegion InvalidatedArea() const override;
    void CalcNonClientSize(TRect& client) override;
    void PaintNonClient(TCanvas& canvas) override;
    // The room the shown bars take from the client rectangle, and the square where the
    // two bars meet (for descendants that draw their own border).
    void ExcludeScrollBars(TRect& client) const;
    void PaintScrollBarCorner(TCanvas& canvas);
    void Resize() override;

    // The timer of timed scrolling and its interval (tests shorten it).
    static constexpr int ScrollTimerId = 1;
    int ScrollTimerInterval = 60;

private:
    std::vector<int>& sizesOf(bool cols) { return cols ? colWidths_ : rowHeights_; }
    void calcAxis(TGridAxisDrawInfo& a, bool cols) const;
    int axisMaxFirst(const TGridAxisDrawInfo& a) const;
    int coordFromPos(const TGridAxisDrawInfo& a, int pos) const;
    // The cell at a point of the layout (x already mirrored back).
    TGridCoord cellAt(int layoutX, int y) const;
    bool axisRange(const TGridAxisDrawInfo& a, int first, int last, int& from, int& to) const;
    int cellStart(const TGridAxisDrawInfo& a, int index) const;
    void changeSize(int newCols, int newRows);
    void moveCurrent(int col, int row, bool moveAnchor, bool show);
    void invalidateBox(const TGridRect& r);
    void selectionMoved(const TGridRect& oldSel);
    void hideEdit();
    void placeBars();
    void barScroll(TScrollBarKind kind, TScrollCode code, int& pos);
    void scrollTimerTick();
    void startSelecting();
    void stepFocus(int dCol, int dRow, TShiftState shift, bool extend);
    bool tabStep(bool forward, TGridCoord& cell) const;
    void endSizing(int x, int y);
    void updateMovePos(int x, int y);
    void updateSizingCursor(int x, int y);
    TRect sizingLineRect() const;

    int colCount_ = 5, rowCount_ = 5;
    int fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    std::vector<int> colWidths_, rowHeights_;
    std::vector<bool> tabStops_;
    TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TScrollStyle scrollBars_ = ssBoth;
    TColor fixedColor_ = clBtnFace;
    bool defaultDrawing_ = true;

    TGridCoord current_{1, 1}, anchor_{1, 1}, topLeft_{1, 1};

    TGridState gridState_ = gsNormal;
    int sizingIndex_ = 0, sizingPos_ = 0, sizingOfs_ = 0;
    bool sizingLineShown_ = false;
    TGridState sizingLineKind_ = gsNormal;
    int moveIndex_ = 0, movePos_ = 0;
    TPoint lastMouse_;

    TInplaceEdit* inplaceEdit_ = nullptr;
    bool editorMode_ = false;
    // GridFocused at the last CheckFocusState.
    bool focusState_ = false;
    int inplaceCol_ = -1, inplaceRow_ = -1;

    TScrollBar* horzBar_ = nullptr;
    TScrollBar* vertBar_ = nullptr;
    bool horzShown_ = false, vertShown_ = false;
    bool updatingScroll_ = false;
    bool windowCreated_ = false;
};

} // namespace ui
