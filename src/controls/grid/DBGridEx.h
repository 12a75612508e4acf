#pragma once
// TCustomDBGridEx: the data-aware grid. It shows the records of one data set, a row per
// record and a column per TColumnEx, with an optional indicator column at the left,
// title rows, a filter row under the titles and footer rows at the bottom.
//
// Grid columns count the indicator column first (data column = grid column -
// IndicatorOffset); grid rows count the title and filter rows first (data row = grid
// row - TitleOffset).
//
// The class is written in sections, one per area of the grid; each section keeps its
// own public, protected and private members.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExDataLink.h"
#include "controls/grid/DBGridExFilter.h"
#include "controls/grid/DBGridExResources.h"
#include "controls/grid/DBGridExScrollBars.h"
#include "controls/grid/DBGridExSelection.h"
#include "controls/grid/DBGridExSeams.h"
#include "controls/grid/DBGridExStyle.h"
#include "controls/grid/DBGridExTitleTree.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemTableEx.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Hints.h"

namespace grid {

class TToolTipsWindow;

// The classes a grid makes its columns and column default values of; a descendant grid
// passes its own to the protected constructor.
struct TDBGridExClasses {
    rtl::TCollection::ItemFactory ColumnClass = rtl::TCollection::ItemClass<TDBGridColumnEx>();
    // Empty: TDBGridExColumnDefValuesEx.
    std::function<std::unique_ptr<TColumnDefValuesEx>(TCustomDBGridEx&)> ColumnDefValuesClass;
};

class TCustomDBGridEx : public ui::TCustomGrid {
public:
    explicit TCustomDBGridEx(ui::TControl* parent = nullptr);
    ~TCustomDBGridEx() override;

    // ======== grid object: binding, locks, column mapping, edit rules, properties, events
public:
    TGridDataLinkEx& DataLink() { return *dataLink_; }
    const TGridDataLinkEx& DataLink() const { return *dataLink_; }
    db::TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
    // Clears the selection, binds the link and hands the data set to the sum list.
    void SetDataSource(db::TDataSource* value);

    TDBGridColumnsEx& Columns() const { return *columns_; }
    // Copies the given columns into the grid's.
    void SetColumns(const TDBGridColumnsEx& value) { columns_->Assign(&value); }
    TColumnDefValuesEx& ColumnDefValues() const { return *columnDefValues_; }
    void SetColumnDefValues(const TColumnDefValuesEx& value) { columnDefValues_->Assign(&value); }
    // The visible columns in display order (kept by the layout).
    TColumnsExList& VisibleColumns() { return visibleColumns_; }
    // The sort-marked columns in sort order: the column with SortIndex i at i - 1.
    TColumnsExList& SortMarkedColumns() { return sortMarkedColumns_; }
    const TColumnsExList& SortMarkedColumns() const { return sortMarkedColumns_; }

    // 1 with dgIndicator, else 0.
    int IndicatorOffset() const { return indicatorOffset_; }
    // The fixed rows above the data rows: titles and the filter row.
    int TitleOffset() const { return titleOffset_; }
    int RawToDataColumn(int ACol) const { return ACol - indicatorOffset_; }
    int DataToRawColumn(int ACol) const { return ACol + indicatorOffset_; }
    // The data column of the current cell; -1 on the indicator.
    int SelectedIndex() const { return RawToDataColumn(Col()); }
    void SetSelectedIndex(int value);
    // The field of the selected column; none on the indicator.
    db::TField* SelectedField() const;
    // Appends every field of the data set, in its order, to List (none without a data set).
    void GetDataSetFields(std::vector<db::TField*>& List) const;

    // While the update lock is held the grid does not refresh after moves.
    void BeginUpdate();
    void EndUpdate();
    bool UpdateLocked() const { return updateLock_ > 0; }
    // Layout brackets: the end of the outermost one lays the grid out.
    void BeginLayout();
    void EndLayout();
    // The same end without the layout.
    void UnlockLayout();
    // Takes a layout lock only when no lock is held.
    bool AcquireLayoutLock();
    // Lays the grid out now, unless a lock is held.
    virtual void LayoutChanged();
    bool LayoutLocked() const { return layoutLock_ > 0; }
    // The layout routine is running.
    bool InLayout() const { return inLayout_; }
    // Asks for a layout once the present locks are gone (posts the deferred layout once,
    // while the window exists); holds and releases no lock itself.
    void DeferLayout();

    // A layout bracket held for a scope. End() lays the grid out (at the outermost
    // level), Defer() leaves the layout to the deferred one; a scope left otherwise (by a
    // failure) releases the bracket without a layout.
    class TLayoutLock {
    public:
        // Takes a bracket; with Adopt, takes over one the caller already holds.
        enum TAdopt { Adopt };
        explicit TLayoutLock(TCustomDBGridEx& grid) : grid_(&grid) { grid.BeginLayout(); }
        TLayoutLock(TCustomDBGridEx& grid, TAdopt) : grid_(&grid) {}
        ~TLayoutLock()
        {
            if (grid_) grid_->UnlockLayout();
        }
        TLayoutLock(const TLayoutLock&) = delete;
        TLayoutLock& operator=(const TLayoutLock&) = delete;
        void End() { std::exchange(grid_, nullptr)->EndLayout(); }
        void Defer()
        {
            TCustomDBGridEx* grid = std::exchange(grid_, nullptr);
            grid->UnlockLayout();
            grid->DeferLayout();
        }

    private:
        TCustomDBGridEx* grid_;
    };
    // The update lock held for a scope.
    class TUpdateLock {
    public:
        explicit TUpdateLock(TCustomDBGridEx& grid) : grid_(grid) { grid.BeginUpdate(); }
        ~TUpdateLock() { grid_.EndUpdate(); }
        TUpdateLock(const TUpdateLock&) = delete;
        TUpdateLock& operator=(const TUpdateLock&) = delete;

    private:
        TCustomDBGridEx& grid_;
    };

    bool IsLoading() const { return HasState(rtl::csLoading); }
    bool IsDesigning() const { return HasState(rtl::csDesigning); }
    // The grid window exists (it has been shown).
    using ui::TCustomGrid::HandleAllocated;
    // The grid or its in-place editor has the focus.
    using ui::TCustomGrid::GridFocused;

    // Nothing in the grid can be changed; a change repaints.
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // Memo fields show and edit their text; a change repaints.
    bool GetDrawMemoText() const { return drawMemoText_; }
    void SetDrawMemoText(bool value);
    bool GetFlat() const { return flat_; }
    void SetFlat(bool value);
    TDBGridOptions GetOptions() const { return options_; }
    // Maps the options onto the base grid's; dgRowSelect removes dgEditing and
    // dgAlwaysShowEditor.
    void SetOptions(TDBGridOptions value);
    TDBGridExOptions GetOptionsEx() const { return optionsEx_; }
    // Removing dghMultiSortMarking keeps only the first sort-marked column.
    void SetOptionsEx(TDBGridExOptions value);
    // The visible columns fill the client width.
    bool GetAutoFitColWidths() const { return autoFitColWidths_; }
    void SetAutoFitColWidths(bool value);
    bool GetUseMultiTitle() const { return useMultiTitle_; }
    void SetUseMultiTitle(bool value);
    TDBGridExAllowedOperations GetAllowedOperations() const { return allowedOperations_; }
    void SetAllowedOperations(TDBGridExAllowedOperations value) { allowedOperations_ = value; }
    TDBGridExSelectionTypes GetAllowedSelections() const { return allowedSelections_; }
    // A selection of a kind no longer allowed is cleared.
    void SetAllowedSelections(TDBGridExSelectionTypes value);
    TDBGridExEditActions GetEditActions() const { return editActions_; }
    void SetEditActions(TDBGridExEditActions value) { editActions_ = value; }
    ui::TFont& TitleFont() { return titleFont_; }
    const ui::TFont& TitleFont() const { return titleFont_; }
    // Copies the font; the titles are laid out again.
    void SetTitleFont(const ui::TFont& value) { titleFont_.Assign(value); }
    ui::TFont& FooterFont() { return footerFont_; }
    const ui::TFont& FooterFont() const { return footerFont_; }
    // Copies the font; with footer rows the grid is laid out again.
    void SetFooterFont(const ui::TFont& value) { footerFont_.Assign(value); }
    ui::TColor GetFooterColor() const { return footerColor_; }
    // With footer rows the grid repaints.
    void SetFooterColor(ui::TColor value);
    // Rows at the bottom of the grid, under a gap row that takes the room left over.
    int GetFooterRowCount() const { return footerRowCount_; }
    // A negative count is ignored.
    void SetFooterRowCount(int value);
    // Data columns that stay at the left while the rest scrolls; a negative count is ignored.
    int GetFrozenCols() const { return frozenCols_; }
    void SetFrozenCols(int value);
    // The width the visible columns fill at least with AutoFitColWidths.
    int GetMinAutoFitWidth() const { return minAutoFitWidth_; }
    void SetMinAutoFitWidth(int value);
    // Extra pixels and text lines of a data row (negative values become 0).
    int GetRowHeight() const { return rowHeight_; }
    void SetRowHeight(int value);
    int GetRowLines() const { return rowLines_; }
    void SetRowLines(int value);
    // Row heights may be dragged in the indicator column.
    bool GetRowSizingAllowed() const { return rowSizingAllowed_; }
    void SetRowSizingAllowed(bool value);
    // Sort in the grid rather than in the data set's query; only recorded here.
    bool GetSortLocal() const { return sortLocal_; }
    void SetSortLocal(bool value) { sortLocal_ = value; }
    // Extra pixels and text lines of the title row.
    int GetTitleHeight() const { return titleHeight_; }
    void SetTitleHeight(int value);
    int GetTitleLines() const { return titleLines_; }
    void SetTitleLines(int value);
    ui::TCustomImageList* GetTitleImages() const { return titleImages_; }
    // A change inside the list repaints the grid.
    void SetTitleImages(ui::TCustomImageList* value);
    // The pixels a multi-level title band adds below its text.
    int GetVTitleMargin() const { return vTitleMargin_; }
    void SetVTitleMargin(int value);
    TImeMode GetImeMode() const { return imeMode_; }
    void SetImeMode(TImeMode value) { imeMode_ = value; }
    const std::string& GetImeName() const { return imeName_; }
    void SetImeName(const std::string& value) { imeName_ = value; }
    // Default columns write their widths into their fields' DisplayWidth.
    bool GetDisplayWidthWriteThrough() const { return displayWidthWriteThrough_; }
    void SetDisplayWidthWriteThrough(bool value) { displayWidthWriteThrough_ = value; }
    // The style that decides the highlight colours; none: the grid's own rules. A change
    // lays the grid out again.
    TDBGridExStyle* GetStyle() const { return style_; }
    void SetStyle(TDBGridExStyle* value);
    TSTDBGridExFilter& STFilter() const { return *stFilter_; }
    void SetSTFilter(const TSTDBGridExFilter& value) { stFilter_->Assign(&value); }
    TDBGridExScrollBar& HorzScrollBar() const { return *horzScrollBar_; }
    void SetHorzScrollBar(const TDBGridExScrollBar& value) { horzScrollBar_->Assign(&value); }
    TDBGridExScrollBar& VertScrollBar() const { return *vertScrollBar_; }
    void SetVertScrollBar(const TDBGridExScrollBar& value) { vertScrollBar_->Assign(&value); }
    // The totals of the footers.
    TDBGridExSumList& SumList() const { return *sumList_; }
    // Takes the settings of another sum list.
    void SetSumList(const TDBGridExSumList& value) { sumList_->Assign(&value); }
    TDBGridExSelection& Selection() const { return static_cast<TDBGridExSelection&>(*selection_); }

    // Only properties that differ from their defaults are stored; FooterColor always is.
    bool IsAllowedOperationsStored() const { return allowedOperations_ != DefaultAllowedOperations; }
    bool IsAllowedSelectionsStored() const { return allowedSelections_ != DefaultAllowedSelections; }
    bool IsAutoFitColWidthsStored() const { return autoFitColWidths_; }
    bool IsColorStored() const { return Color() != ui::clWindow; }
    // The columns are written when they are the user's own.
    bool IsColumnsStored() const { return columns_->Customized(); }
    bool IsDefaultDrawingStored() const { return !DefaultDrawing(); }
    bool IsDrawMemoTextStored() const { return drawMemoText_; }
    bool IsEditActionsStored() const { return !editActions_.IsEmpty(); }
    bool IsFixedColorStored() const { return FixedColor() != ui::clBtnFace; }
    bool IsFlatStored() const { return flat_; }
    bool IsFooterColorStored() const { return true; }
    bool IsFooterRowCountStored() const { return footerRowCount_ != 0; }
    bool IsFrozenColsStored() const { return frozenCols_ != 0; }
    bool IsMinAutoFitWidthStored() const { return minAutoFitWidth_ != 0; }
    bool IsOptionsStored() const { return options_ != DefaultDBGridOptions; }
    bool IsOptionsExStored() const { return optionsEx_ != DefaultDBGridExOptions; }
    bool IsReadOnlyStored() const { return readOnly_; }
    bool IsRowHeightStored() const { return rowHeight_ != 0; }
    bool IsRowLinesStored() const { return rowLines_ != 0; }
    bool IsRowSizingAllowedStored() const { return rowSizingAllowed_; }
    bool IsSortLocalStored() const { return sortLocal_; }
    bool IsTitleHeightStored() const { return titleHeight_ != 0; }
    bool IsTitleLinesStored() const { return titleLines_ != 0; }
    bool IsUseMultiTitleStored() const { return useMultiTitle_; }
    bool IsVTitleMarginStored() const { return vTitleMargin_ != 10; }

    // The text of the in-place editor, kept for the write into the field.
    const std::string& CurrentEditText() const { return currentEditText_; }
    // The key a lookup cell's edit text stands for, and the text it was set for: written
    // instead of looking the text up again while the edit text is still that text.
    const rtl::Variant& EditKeyValue() const { return editKeyValue_; }
    const std::string& EditKeyText() const { return editKeyText_; }
    void SetEditKeyValue(const rtl::Variant& value, const std::string& ForText);
    // The in-place editor is in use with its most-recently-used list on.
    bool EditorMRUListInUse() const;
    // The grid's cell editor; none until it is first shown.
    TDBGridInplaceEdit* InplaceEdit() const;
    // Reloads the editor from its cell (with an open drop-down marked as closing).
    void InvalidateEditor() override;

    // The parameters handed to the cell hooks.
    TColCellParamsEx& CellParams() { return cellParams_; }

    // Clears the selected rows and the selection when dghClearSelection asks for it.
    void ClearSelection();
    // Sets the focus for a click; true when the grid or its editor holds it.
    virtual bool AcquireFocus();
    // dgAlwaysShowEditor, while the filter row is not being edited.
    virtual bool AlwaysShowEditor() const;
    // The main button of the cell editor was clicked: fires OnEditButtonClick.
    virtual void EditButtonClick();
    // Scales fonts and widths by M / D (with the grid's font, when the font scales).
    virtual void ChangeScale(int M, int D);

    // Removed components: columns forget image lists, list sources and fields that go.
    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

    TDBGridExClickEvent OnCellClick;
    TDBGridExClickEvent OnTitleClick;
    rtl::TNotifyEvent OnColEnter;
    rtl::TNotifyEvent OnColExit;
    rtl::TNotifyEvent OnColWidthsChanged;
    rtl::TNotifyEvent OnEditButtonClick;
    rtl::TNotifyEvent OnSortMarkingChanged;
    rtl::TNotifyEvent OnSumListAfterRecalcAll;
    rtl::TNotifyEvent OnSumListRecalcAll;
    rtl::TNotifyEvent OnApplyFilter;
    TMovedEvent OnColumnMoved;
    TDrawColumnExCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TGetCellExParamsEvent OnGetCellParams;
    TDrawFooterCellEvent OnDrawFooterCell;
    TGetFooterParamsEvent OnGetFooterParams;
    TGetBtnExParamsEvent OnGetBtnParams;
    TCheckTitleExBtnEvent OnCheckButton;
    TTitleExClickEvent OnTitleBtnClick;

protected:
    TCustomDBGridEx(ui::TControl* parent, const TDBGridExClasses& classes);

    // Where a shift-click selection of rows started.
    struct TSelectionAnchor {
        bool Set = false;
        db::TBookmark Bookmark;
        bool Selected = false;
    };
    TSelectionAnchor& SelectionAnchor() { return selectionAnchor_; }
    // A click takes the focus (always so for this grid).
    bool AcquireFocusOnClick() const { return acquireFocusOnClick_; }

    // The events' firing operations.
    virtual void CellClick(TColumnEx* Column);
    // Repaints the title and footers of the new current column, then fires OnColEnter.
    virtual void ColEnter();
    virtual void ColExit();
    virtual void DrawColumnCell(const ui::TRect& Rect, int DataCol, TColumnEx* Column, ui::TGridDrawState State);
    virtual void DrawDataCell(const ui::TRect& Rect, db::TField* Field, ui::TGridDrawState State);

    // The link's notices.
    virtual void LinkActive(bool Value);
    virtual void Scroll(int Distance);
    void RecordChanged(db::TField* Field);
    // After data or size changes: rows, scroll bars and editor brought up to date.
    virtual void RefreshLayout();
    // Fills the link's field map: the data set's visible fields for default columns, the
    // columns' field names for user-defined ones.
    virtual void DefineFieldMap();
    void InvalidateIndicator();
    // Selects the field's column; true when the request is served: the grid can take the
    // focus, takes it and shows the editor.
    bool FocusField(db::TField* Field);
    // The edit text for UpdateEditorData.
    void SetEditText(int ACol, int ARow, const std::string& Value) override;

    // The cell editor's hooks: whether it shows, may change the text and takes a key,
    // and its text, length limit and mask.
    ui::TInplaceEdit* CreateEditor() override;
    // Right to left the cell is drawn mirrored: the editor goes where the cell shows.
    ui::TRect InplaceEditRect() const override;
    bool CanEditShow() override;
    bool CanEditModify() override;
    bool CanEditAcceptKey(char Key) override;
    std::string GetEditText(int ACol, int ARow) override;
    int GetEditLimit() override;
    std::string GetEditMask(int ACol, int ARow) override;
    // A column dragged to another place moves its column object along.
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void Loaded() override;
    // The right button over a data column shows that column's popup menu.
    void DoContextPopup(ui::TPoint MousePos, bool& Handled) override;
    // The deferred layout.
    void WndProc(ui::TMessage& Message) override;
    void FontChanged() override;

private:
    friend class TGridDataLinkEx;
    // The cell editor writes its text (UpdateEditorData) before it steps a value.
    friend class TDBGridInplaceEdit;

    void titleFontChanged(rtl::TObject* sender);
    void footerFontChanged(rtl::TObject* sender);
    void titleImagesChanged(rtl::TObject* sender);
    void applyBaseOptions();
    std::unique_ptr<TDBGridExSumList> CreateSumList();
    std::unique_ptr<IDBGridExSelection> CreateSelection();
    // The column of a grid column; none on the indicator and outside the columns.
    TColumnEx* columnAt(int ACol) const;
    TColumnEx* selectedColumn() const { return columnAt(Col()); }
    // The text the cell editor would show for the column's field now.
    std::string editorTextOf(const TColumnEx& column) const;
    // Refreshes the filter-row editor unless its refresh is suspended.
    void refreshFilterEditor();

    std::uint8_t indicatorOffset_ = 1;
    std::uint8_t titleOffset_ = 1;
    std::uint8_t updateLock_ = 0;
    std::uint8_t layoutLock_ = 0;
    std::unique_ptr<TGridDataLinkEx> dataLink_;
    std::unique_ptr<TDBGridColumnsEx> columns_;
    std::unique_ptr<TColumnDefValuesEx> columnDefValues_;
    TColumnsExList visibleColumns_;
    TColumnsExList sortMarkedColumns_;
    std::unique_ptr<TDBGridExSumList> sumList_;
    std::unique_ptr<IDBGridExSelection> selection_;
    std::unique_ptr<TSTDBGridExFilter> stFilter_;
    std::unique_ptr<TDBGridExScrollBar> horzScrollBar_;
    std::unique_ptr<TDBGridExScrollBar> vertScrollBar_;
    ui::TFont titleFont_;
    ui::TFont footerFont_;
    ui::TColor footerColor_ = ui::clWindow;
    ui::TCustomImageList* titleImages_ = nullptr;
    TDBGridOptions options_ = DefaultDBGridOptions;
    TDBGridExOptions optionsEx_ = DefaultDBGridExOptions;
    TDBGridExAllowedOperations allowedOperations_ = DefaultAllowedOperations;
    TDBGridExSelectionTypes allowedSelections_ = DefaultAllowedSelections;
    TDBGridExEditActions editActions_;
    int footerRowCount_ = 0;
    int frozenCols_ = 0;
    int minAutoFitWidth_ = 0;
    int rowHeight_ = 0;
    int rowLines_ = 0;
    bool rowSizingAllowed_ = false;
    bool sortLocal_ = false;
    int titleHeight_ = 0;
    int titleLines_ = 0;
    int vTitleMargin_ = 10;
    bool readOnly_ = false;
    bool drawMemoText_ = false;
    bool flat_ = false;
    bool autoFitColWidths_ = false;
    bool useMultiTitle_ = false;
    TImeMode imeMode_ = imDontCare;
    std::string imeName_;
    bool displayWidthWriteThrough_ = true;
    TDBGridExStyle* style_ = nullptr;
    std::string currentEditText_;
    // The cell the edit text was typed into.
    ui::TGridCoord editTextCell_{-1, -1};
    rtl::Variant editKeyValue_ = rtl::Null();
    std::string editKeyText_;
    TColCellParamsEx cellParams_;
    TSelectionAnchor selectionAnchor_;
    bool acquireFocusOnClick_ = true;
    // Set while the grid copies its parent's font into the title and footer fonts.
    bool copyingParentFont_ = false;

    // ======== layout
public:
    // The width of the indicator column.
    static constexpr int IndicatorWidth = 11;
    // The private message of the deferred layout.
    static constexpr unsigned WM_DEFERLAYOUTEX = 0x464;
    // Data rows are tall enough for more than one line of text.
    bool RowsCanWrap() const { return rowsCanWrap_; }
    // The size of a cell's edit buttons.
    int EditButtonWidth() const;
    int EditButtonHeight() const { return editButtonHeight_; }
    // The pixels a cell keeps above and below its text: 4, or 2 when Flat.
    int FrameHeightAllowance() const { return frameHeightAllowance_; }
    // Every change of a column asks for a layout: multi-level titles depend on each
    // column's caption, width, marker and orientation.
    bool ColumnChangesNeedLayout() const { return useMultiTitle_ && options_.Contains(dgTitles); }

protected:
    // Widths dragged in the grid reach the columns (with auto-fit, their shares).
    void ColWidthsChanged() override;
    void CreateWnd() override;

private:
    // The layout routine; run by the end of the outermost layout bracket.
    void InternalLayout();
    void removeStaleDefaultColumns();
    void buildDefaultColumns();
    void placeFixedColumns();
    void measureRows();
    void measureTitles(bool afterWidths);
    void updateScrollBarStyle();
    void fitColumnWidths();
    void takeDraggedWidths();
    void spreadDraggedWidth(TColumnEx& column, int gridWidth);
    void updateEditButtonHeight();
    bool inLayout_ = false;
    bool rowsCanWrap_ = false;
    int editButtonHeight_ = 0;
    int frameHeightAllowance_ = 4;
    int titleRowHeight_ = 0;
    // The client width the columns were last fitted to.
    int fittedWidth_ = -1;

    // ======== multi-level titles
public:
    // The root of the header tree (text "Root").
    THeadTreeNode& TitleTreeRoot() const { return *titleTreeRoot_; }
    // The leaf of column Index; none before the tree is built.
    THeadTreeNode* TitleLeaf(int Index) const;
    // Where column Index's own part of its title cell (the rectangle given) starts: the
    // bands above its leaf belong to its groups. The cell's top without multi-level titles.
    int TitleLeafTop(int Index, const ui::TRect& cell) const;

protected:
    // Rebuilds the tree from the columns' captions.
    void BuildTitleTree();
    // Computes the band heights below the node; returns the height of its subtree.
    int MeasureTitleTree(THeadTreeNode* node);

private:
    std::unique_ptr<THeadTreeNode> titleTreeRoot_;
    std::vector<THeadTreeNode*> titleLeaves_ = std::vector<THeadTreeNode*>(1, nullptr);

    // ======== painting
public:
    // The grid reads right to left (its BiDiMode): its lines, cells and frames are mirrored.
    bool UseRightToLeftAlignment() const override;
    // Whether a cell gets a raised frame: fixed cells with dghFixed3D, footer cells with
    // dghFooter3D, data cells with dghData3D, frozen cells with dghFrozen3D (and the gap
    // row's indicator cell with dghFixed3D and dghData3D or dghFrozen3D); never a shown
    // filter cell.
    virtual bool Is3DCell(int ACol, int ARow, ui::TGridDrawState State);
    // The frame of a cell: raised edges, sunken when Pressed; without BottomLine or
    // RightLine that side is a plain line in the pen's colour. In the flat look only the
    // top and left sides get an edge, the others plain lines.
    void DrawCellFrame(ui::TCanvas& ACanvas, const ui::TRect& ARect, bool Pressed, bool BottomLine, bool RightLine);

protected:
    // The client area by areas: lines, then cells, then the room right of and below the
    // cells; nothing while the layout lock is held.
    void Paint() override;
    // The grid lines of one area, rows from FirstRow and columns from FirstCol: horizontal
    // and vertical ones in LineColor where asked, the gutters otherwise in FillColor.
    void PaintAreaLines(const ui::TGridDrawInfo& Info, bool DrawHorz, bool DrawVert, int FirstCol, int FirstRow,
                        const ui::TRect& Area, ui::TColor LineColor, ui::TColor FillColor);
    // Every cell of one area through DrawCell, on the area's colour; a cell whose drawing
    // fails is left empty.
    void PaintAreaCells(const ui::TGridDrawInfo& Info, int FirstCol, int FirstRow, const ui::TRect& Area,
                        ui::TColor AreaColor, ui::TGridDrawState AreaState);
    // Switches the canvas's right-to-left mapping over the client width.
    void SetRightToLeftMapping(bool RightToLeft);
    // The flat look of a 3-D grid: a one-pixel sunken border (none without a single border).
    void CalcNonClientSize(ui::TRect& client) override;
    void PaintNonClient(ui::TCanvas& canvas) override;

private:
    // An external scroll bar hands its notices to the grid's scroll handling.
    friend class TDBGridExScrollBar;
    // The top of the first footer row on screen; -1 when none is.
    int footerTop(const ui::TGridDrawInfo& info) const;
    void paintRowFrame();
    // The program-wide resources held while the grid lives.
    TDBGridExResourcesUse resourcesUse_;
    // The geometry of the paint under way.
    ui::TGridDrawInfo paintInfo_;

    // ======== cell drawing
public:
    // Draws the data cell of Column for the current record into Rect with the canvas's
    // brush and font, as the grid does by default (for OnDrawColumnCell handlers).
    void DefaultDrawColumnCell(const ui::TRect& Rect, int DataCol, TColumnEx* Column, ui::TGridDrawState State);
    // The grid row whose indicator shows the current record; -1 before it was drawn.
    int IndicatorRow() const { return indicatorRow_; }

protected:
    void DrawCell(int ACol, int ARow, const ui::TRect& ARect, ui::TGridDrawState AState) override;
    // The colours of a selected or highlighted data cell, decided by the style when the
    // grid has one; true when they were set. A highlighted cell of the current row may
    // gain gdSelected.
    virtual bool GetDataCellHighlight(ui::TFont& AFont, ui::TColor& Background, ui::TGridDrawState& State, int ACol,
                                      int ARow);
    // The colours of a title, indicator, filter or footer cell that is selected
    // (Highlight), decided by the style when the grid has one; true when they were set.
    virtual bool GetFixedCellHighlight(ui::TFont& AFont, ui::TColor& Background, bool Highlight,
                                       ui::TGridDrawState State, const TCellArea& Area);
    // Fires OnGetCellParams.
    virtual void GetCellParams(TColumnEx* Column, ui::TFont& AFont, ui::TColor& Background,
                               ui::TGridDrawState State);
    // A data cell's text; in a right-to-left grid placed in the mirrored cell.
    void WriteCellText(const ui::TRect& ARect, int DX, int DY, const std::string& Text, rtl::TAlignment Alignment,
                       ui::TTextLayout Layout, bool WordWrap, bool EndEllipsis);

private:
    // The parts of DrawCell, by area.
    void drawIndicatorCell(int ARow, const ui::TRect& rect, ui::TGridDrawState state, const TCellArea& area,
                           int inset);
    void drawTitleCell(int ACol, ui::TRect& rect, ui::TGridDrawState state, const TCellArea& area, int dx, int dy,
                       bool& pressed);
    void drawTitleBands(int ACol, const ui::TRect& leafFrame);
    void drawDataCell(int ACol, int ARow, const ui::TRect& ARect, const ui::TRect& rect, ui::TGridDrawState state,
                      int dx, int dy);
    void drawFooterCell(int ACol, const ui::TRect& rect, ui::TGridDrawState state, const TCellArea& area, int dx,
                        int dy);
    // Text, image or check box of a column's cell in the canvas's brush and font; an image
    // beside the text stands in a strip of stripColor, the text stripGap pixels after it.
    void drawCellContent(const ui::TRect& rect, TColumnEx& column, const TColCellParamsEx& params, int dx, int dy,
                         ui::TColor stripColor, int stripGap);
    void drawCheckBox(const ui::TRect& rect, TCheckBoxState state);
    // The column's always shown edit buttons in the strip at the cell's right.
    void drawEditButtons(const ui::TRect& strip, const ui::TRect& cell, TColumnEx& column, ui::TColor background);
    void drawIncSearchPrefix(const ui::TRect& rect, const TColCellParamsEx& params, ui::TGridDrawState state, int dx,
                             int dy);
    // The grid is its form's active control (a grid on no form: it has the focus).
    bool isActiveControl() const;
    int indicatorRow_ = -1;

    // ======== data rows and scrolling
public:
    // The scroll bars follow the rows and columns.
    virtual void RefreshVertScrollBar();
    virtual void RefreshHorzScrollBar();
    // Whether the grid shows its own bar of that kind.
    using ui::TCustomGrid::ScrollBarShown;
    // Lays the rows out around as many data rows as the data link holds.
    virtual void RecalcDataRows();
    // The current row follows the data set's current record.
    virtual void SyncCurrentRow();
    // The data rows on screen (at least 1): the page of paging and of the scroll bar.
    int VisibleDataRowCount() const;
    // The rows between the fixed rows and the footers.
    int DataRowCount() const;
    // Repaints the footer rows.
    void InvalidateFooters();
    // Reads each record shown on the data rows on screen in turn, top to bottom, without
    // moving, and calls fn with its grid row.
    void ForEachRecordOnScreen(const std::function<void(int row)>& fn);

    // The window timer of the automatic scrolling while a selection is dragged beyond the
    // data rows (the base grid's timed scrolling timer).
    static constexpr int AutoScrollTimerId = ScrollTimerId;

protected:
    void Resize() override;
    // The vertical bar shows where the current record stands, not the rows (which are
    // the data link's window): always true.
    bool GetVertScrollInfo(TScrollBarInfo& info) const override;
    // Vertical requests move the data set; horizontal ones scroll the columns.
    void ScrollMessage(ui::TScrollBarKind kind, ui::TScrollCode code, int& pos) override;
    // A notch moves one record.
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    // The external horizontal bar and the filter-row editor follow the first column.
    void TopLeftChanged() override;

private:
    int dataLineWidth() const;
    // A data row shows a record (the rows under the records are empty), the current one.
    bool dataRowHasRecord(int dataRow) const;
    bool isCurrentDataRow(int dataRow) const;
    // The grid row of the data set's current record.
    int currentRecordRow() const;
    // How far the current record is from the first or the last record on screen.
    int windowEdgeDistance(bool toFirst) const;
    // Makes the record of a data row the one the fields read while it lives (without
    // moving the data set): a record of the data link's window, or in memory-table mode
    // the record of that number.
    class TDataRowRead {
    public:
        TDataRowRead(TCustomDBGridEx& grid, int dataRow);
        ~TDataRowRead();
        TDataRowRead(const TDataRowRead&) = delete;
        TDataRowRead& operator=(const TDataRowRead&) = delete;

    private:
        db::IMemTableEx* entered_ = nullptr;
        db::TDataLink* link_ = nullptr;
        int saved_ = 0;
    };
    void horizontalScroll(ui::TScrollCode code, int& pos);
    bool wheelMove(ui::TShiftState shift, int distance);
    // The rectangle of the data cells on screen: from the first scrolling data cell to the
    // last column and the last data row.
    ui::TRect dataAreaBox() const;
    // How far the mouse (movePoint_) lies outside the data area, 0 where inside: x read
    // where the cells are drawn (mirrored right to left), y not at all while columns are
    // dragged.
    ui::TPoint outsideDataArea() const;
    // The pause before the next automatic step: the further out, the shorter.
    int autoScrollPause(ui::TPoint outside) const;
    // Scrolls one column towards dx's side; the column at that edge of the view afterwards.
    int scrollColumnToward(int dx);
    // Starts, re-times or stops the automatic scrolling for the mouse where it is now.
    void updateAutoScroll();
    void autoScrollTick();
    // What the vertical bar shows, and whether the records all fit on screen.
    struct TVertBarState {
        int Min = 0;
        int Max = 1;
        int Page = 2;
        int Position = 0;
        bool Fits = true;
    };
    TVertBarState vertBarState() const;
    // A tracked thumb moved the record: the position notice of its release is ignored.
    bool thumbTracked_ = false;

    // ======== memory-table mode: one row per record of a data set that numbers its records
public:
    // The data set's own record numbering, while the grid uses it; none otherwise.
    db::IMemTableEx* MemTable() const { return memTable_; }
    // Whether the grid may use a data set's own record numbering.
    bool GetMemTableSupport() const { return memTableSupport_; }
    void SetMemTableSupport(bool value);
    // The grid holds the interface and the data set shows its records as a tree.
    bool MemTableTreeMode() const;
    // The first visible column shows the records' tree nodes in tree mode.
    bool ShowsTreeNodes(const TColumnEx* column) const;
    // The width the nodes of record recNo take at the left of their cell: a step per
    // level; 0 outside tree mode.
    int TreeNodeWidth(int recNo) const;
    static constexpr int TreeLevelWidth = 18;
    // Paints the node glyphs of record recNo at the left of rect on the background.
    void PaintTreeNodes(ui::TCanvas& canvas, const ui::TRect& rect, int recNo, ui::TColor background) const;

private:
    // Holds the data set's record numbering when the grid may and can use it.
    void evaluateMemTable();
    // The row count follows the record count, with more records fetched while the rows
    // do not fill the grid.
    void memTableRecalcRows();
    void fetchRecordsToFill();
    void memTableScroll();
    TVertBarState memTableBarState() const;
    // Scroll requests and the wheel move the top row (the wheel with Shift: the record).
    void memTableScrollMessage(ui::TScrollCode code, int& pos);
    bool memTableWheel(ui::TShiftState shift, int direction);
    // A press on a node's glyph expands or collapses it; true when it did.
    bool memTableNodePress(ui::TMouseButton button, int x, const ui::TGridCoord& cell);
    // The keypad's *, + and - go to the tree; true when they did.
    bool memTableTreeKey(ui::Word key);
    // The character is one of the tree's keys, which never opens the cell editor.
    bool treeKeyCharacter(char key) const;
    db::IMemTableEx* memTable_ = nullptr;
    const db::TDataSet* memTableDataSet_ = nullptr;
    bool memTableSupport_ = true;
    // Set while records are fetched, which changes the rows.
    bool fetchingRecords_ = false;

    // ======== keyboard
public:
    // Moves the current column to ACol; with Direction +1 or -1 hidden columns are passed
    // over that way (nothing moves when none is left). Select extends a rectangle.
    void MoveCol(int ACol, int Direction, bool Select);
    // Moves the current record by Distance (with ToEnd: to the first or last record),
    // selecting records, or with RectangleOff false a rectangle of cells, on the way.
    void MoveRecords(bool Select, int Distance, bool RectangleOff, bool ToEnd);
    // Down and Up: an unchanged new record is dropped instead; past the last record a
    // new one is appended when the grid may.
    void NextRow(bool Select);
    void PriorRow(bool Select);
    // Tab and Shift+Tab: the next or previous column with a tab stop, along the records.
    void Tab(bool GoForward);
    // Asks before deleting (with dgConfirmDelete); true to go on.
    virtual bool ConfirmDelete();
    // Copies the selected column's value of the record above into the current record.
    void CopyValueFromAbove();

protected:
    void KeyDown(ui::Word& Key, ui::TShiftState Shift) override;
    // Releasing Ctrl applies a multi-column sort marking made meanwhile.
    void KeyUp(ui::Word& Key, ui::TShiftState Shift) override;
    // The character path: check and image cells step on Space, a search takes what it
    // types, anything else goes to the base grid (and so to the cell editor).
    void KeyPress(char& Key) override;
    // The key-press step: Enter writes the editor's text, a printable character may
    // start a search.
    void DoKeyPress(char& Key) override;

private:
    // The steps of KeyDown.
    bool filterRowKey(ui::Word key, ui::TShiftState shift);
    bool shortcutKey(ui::Word key, ui::TShiftState shift);
    bool plainKey(ui::Word key, ui::TShiftState shift);
    bool ctrlKey(ui::Word key, ui::TShiftState shift);
    void deleteRecords();
    void insertRecord();
    // A typed character goes to the search rather than to the cell editor.
    bool searchTakesCharacter(char key) const;
    // The move of MoveRecords in a rectangle, and one record step of it.
    void moveRectangle(bool select, int distance, bool toEnd);
    bool moveSelectingStep(bool select, int direction);
    // The data set's current record against another one, as the records are shown:
    // <0 above it, 0 the same, >0 below.
    int compareWithCurrent(const db::TBookmark& bookmark) const;
    // Whether the column (the current one) is of the image-list or check-box kind.
    static bool isCheckOrImage(const TColumnEx* column);
    bool checkOrImageColumn() const { return isCheckOrImage(selectedColumn()); }
    // Set at every key: Ctrl is held or dghClearSelection is off.
    bool toggleSelection_ = false;
    bool inColExit_ = false;

    // ======== mouse
public:
    // The title button held down: its grid column (-1 for none), and whether the held
    // mouse is over it (the button shows pressed).
    int PressedTitleColumn() const { return pressedTitleColumn_; }
    bool TitleButtonPressed() const { return titleButtonPressed_; }
    // What the mouse does while a button is held: nothing, selecting records, columns or
    // a rectangle of cells, or sizing a column from a title.
    // clang-format off
    enum TMouseMode : std::uint8_t { mmNone = 0, mmRecords = 1, mmColumns = 2, mmRectangle = 3, mmTitleSizing = 6 };
    // clang-format on
    TMouseMode MouseMode() const { return mouseMode_; }
    // A left press on the selection waits to see whether the pointer drags the selection
    // away (DragMode automatic with dgMultiSelect) or the release makes it a click.
    bool SelectionDragPending() const { return selectionDragPending_; }

protected:
    // With dgMultiSelect a press goes to the selection handling before any drag.
    bool AutoDragPress(ui::TShiftState Shift, int X, int Y) override;
    // A drag of the grid carries the selection as the copy's text.
    void DoStartDrag(ui::TDragObject& DragObject) override;
    void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
    void MouseMove(ui::TShiftState Shift, int X, int Y) override;
    void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
    // A double click on a sizing edge fits the column instead (in the press that follows).
    void DblClick() override;
    // Losing the mouse releases a held title button and ends any title sizing.
    void CaptureCancelled() override;

private:
    // The parts of MouseDown, each true when the press was taken.
    bool doubleClickPress(ui::TShiftState shift, int x, int y);
    bool sizingPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    bool columnSelectPress(ui::TShiftState shift, const ui::TGridCoord& cell);
    bool fixedRowsPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y, const ui::TGridCoord& cell);
    void dataPress(ui::TMouseButton button, ui::TShiftState shift, int x, int y, const ui::TGridCoord& cell);
    // Step 14 and 15 of a data press: a rectangle or the records selected by the press.
    bool rectanglePress(ui::TShiftState shift, int oldCol, const db::TBookmark& oldBookmark);
    void recordPress(ui::TMouseButton button, ui::TShiftState shift, const ui::TGridCoord& cell, int oldRow);
    void titleButtonMove(int x, int y);
    void selectingMove(int x, int y);
    void columnsMove(ui::TShiftState shift, int x, int y);
    // x in the layout (LayoutX).
    void titleSizingMove(int x);
    bool titleButtonRelease(ui::TShiftState shift, int x, int y);
    void clickRelease(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void releaseTitleButton();
    void endTitleSizing();
    // Where the press started a column sizing of the grid's own: the column and its left edge.
    void beginTitleSizing(int column, int linePos, int offset);
    // The press lies on a multi-level title's own band (always outside multi-level titles).
    bool inTitleLeaf(int ACol, int y) const;
    // The cell of a data row that holds a record (the rows under the records are empty).
    bool onRecordRow(const ui::TGridCoord& cell) const;
    int pressedTitleColumn_ = -1;
    bool titleButtonPressed_ = false;
    TMouseMode mouseMode_ = mmNone;
    // Set by a press the grid handles itself.
    bool mouseHeld_ = false;
    bool recordDrag_ = false;
    bool cellDrag_ = false;
    // The image-list or check-box cell the left button went down on.
    ui::TGridCoord checkClickCell_{-1, -1};
    bool doubleClicked_ = false;
    ui::TPoint downPoint_;
    ui::TPoint movePoint_;
    // The column a column drag last reached.
    int columnDragLast_ = -1;
    // The column a title sizing sizes, its left edge and the pointer's distance from its line.
    int sizingColumn_ = -1;
    int sizingLeft_ = 0;
    int sizingOffset_ = 0;
    // A row sizing or column sizing ended with the release.
    bool sizingEnded_ = false;
    bool selectionDragPending_ = false;

    // ======== cell areas, title buttons, tool tips
public:
    // The area a cell lies in and its place inside it.
    TCellArea GetCellType(int ACol, int ARow) const;
    // The title rows (1 with dgTitles) and the rows between them and the data (the filter row).
    virtual int TitleRowCount() const;
    virtual int SubTitleRowCount() const;
    // A selection of that kind can be made (none always can).
    bool SelectionTypeAllowed(TDBGridExSelectionType SelectionType) const;
    // Gives the base grid every column's width and tab stop.
    virtual void ApplyColumnAttributes();
    // The data link is active, updates are allowed (or a record is being inserted), and
    // the data set has records or records may be added.
    bool CanEditData() const;
    // Repaints one data column, or every column bound to the field.
    void InvalidateColumn(int DataCol);
    void InvalidateField(db::TField* Field);
    // The sort-marked columns again, from their titles' SortIndex.
    void RebuildSortedColumns();
    // Whether a press at (X, Y) starts a column sizing in the title rows: the zone
    // round each data column's right line; ACol is the grid column sized.
    bool InTitleSizingZone(int X, int Y, int& ACol, int& LinePos);
    // The pointer the grid shows at a client point.
    ui::TCursor CursorAt(int X, int Y);
    // Ctrl was held at the last title click: the sort marking waits for its release.
    bool SortMarkingPending() const { return sortByCtrl_; }

    // Writes the editor's text into the selected column's field, by the column's kind.
    void UpdateEditorData();

protected:
    // The title notifications: OnTitleClick, OnTitleBtnClick and OnCheckButton.
    virtual void TitleClick(TColumnEx* Column);
    virtual void TitleBtnClick(int ACol, TColumnEx* Column);
    virtual void CheckTitleButton(int ACol, bool& Enabled);
    // After a title click changed the sort markers: OnSortMarkingChanged, else the data
    // service sorts the data set (only with dghAutoSortMarking).
    virtual void SortMarkingChanged();
    // Narrows the base grid's sizing: row sizing only in the indicator column.
    void CalcSizingState(int x, int y, const ui::TGridDrawInfo& info, ui::TGridState& state, int& index,
                         int& sizingPos, int& sizingOfs) override;
    // Tool tips of cut-off texts, the titles' hints.
    bool WantsHints() const override { return true; }
    int HintShowPause(ui::TPoint p) override;
    bool ShowHintAt(ui::THintInfo& info) override;
    // Leaving the grid drops an untouched new record (dgCancelOnExit) or writes the
    // editor's text.
    void DoExit() override;
    // Where no column stops Tab, Tab and Shift+Tab go to the form's next or previous
    // control, as without dgTabs.
    unsigned DialogCode() const override;

private:
    // Tab stops at the column: it is shown, not read-only, and its field can be changed.
    bool columnTabStop(const TColumnEx& column) const;
    // The same for a grid column, asked of the columns now (a column's change does not
    // lay the grid out again).
    bool tabStopAt(int ACol) const;
    bool anyTabStop() const;
    void writePickListText(TColumnEx& column, const std::string& text);
    void writeKeyPickListText(TColumnEx& column, const std::string& text);
    void writeLookupText(TColumnEx& column, const std::string& text);
    // The text of a cell for its tool tip, the rectangle it is measured in and its font;
    // false when the cell has no tool tip.
    bool toolTipText(int ACol, int ARow, std::string& text, ui::TRect& rect, ui::TFont& font, bool& wrap);
    // The focus left the grid and its editor.
    void gridLeft();
    void editorExit(rtl::TObject* sender);
    // The sizing a press at the point starts: in a title's zone, else the base grid's.
    struct TSizingAt {
        ui::TGridState State = ui::gsNormal;
        int Index = -1;
        int LinePos = 0;
        bool Title = false;
    };
    TSizingAt sizingAt(int X, int Y);
    // Ctrl was held at the last title click.
    bool sortByCtrl_ = false;
    // Made on first use, owned by the grid as a component.
    TToolTipsWindow* toolTipsWindow_ = nullptr;

    // ======== footer values
public:
    // The text of footer row Row (0 is the first) of the column: its total, its field's
    // value in the current record or its fixed text. A total over a field the data set
    // lacks is "0"; a field value of such a field raises the data set's error.
    virtual std::string GetFooterValue(int Row, TColumnEx* Column);
    // Fires OnGetFooterParams for a footer cell before it is drawn or measured.
    virtual void GetFooterParams(int DataCol, int Row, TColumnEx* Column, ui::TFont& AFont, ui::TColor& Background,
                                 rtl::TAlignment& Alignment, ui::TGridDrawState State, std::string& Text);

protected:
    // While the grid takes its colour from its parent, the footers take it too.
    void ColorChanged() override;

private:
    // The sum list's notices: totals changed, a full recalculation starts and ends.
    void sumListChanged(rtl::TObject* Sender);
    void sumListRecalcAll(rtl::TObject* Sender);
    void sumListAfterRecalcAll(rtl::TObject* Sender);
    // The rows follow the data set once a recalculation that moved it is over (the
    // data-set notice that came during the walk was held back).
    bool refreshAfterRecalc_ = false;

    // ======== optimal width and incremental search
public:
    // Fits the width of the column (and of the selected columns) to its content.
    void OptimizeColWidth(TColumnEx* Column);
    // Fits the widths of the columns to their content.
    void OptimizeColWidths(TColumnsExList& Columns);
    // A search typed into the current column runs.
    bool IncSearchActive() const { return incSearchActive_; }
    const std::string& IncSearchText() const { return incSearchText_; }
    // Adds Text to the search and moves to the first match.
    void StartIncSearch(const std::string& Text, int TimeOut, TIncSearchDirection Direction);
    void StopIncSearch();
    // The running search's time-out in milliseconds; -1: none.
    int IncSearchTimeOut() const { return incSearchTimeOut_; }
    // The window timer that ends a search.
    static constexpr int IncSearchTimerId = 2;
    // Whether the find shortcut opens the find dialog modally.
    virtual bool FindDialogModal() const { return true; }

    // A walk over the records that leaves the view as it was: the data set's controls stay
    // quiet and the window position is saved. Its end, also by a failure, restores the
    // position unless Keep() was called (a match stays current), then lets the controls
    // speak again; a walk of the search does so without ending the search.
    class TRecordWalk {
    public:
        TRecordWalk(TCustomDBGridEx& grid, db::TDataSet& dataSet, bool bySearch);
        ~TRecordWalk() noexcept(false);
        TRecordWalk(const TRecordWalk&) = delete;
        TRecordWalk& operator=(const TRecordWalk&) = delete;
        void Keep() { keep_ = true; }

    private:
        TCustomDBGridEx& grid_;
        db::TDataSet& dataSet_;
        bool bySearch_;
        bool keep_ = false;
        int unwinding_;
    };

protected:
    // Notes the record in the middle of the rows on screen and the current record's
    // distance from it; RestoreWindowPosition brings both back to their rows.
    void SaveWindowPosition();
    void RestoreWindowPosition();
    // Timer 2 ends the search; timer 1 scrolls while a selection is dragged.
    void TimerTick(int id) override;

private:
    // The widths the column's title, its data on the current record and its footer row
    // need.
    int titleWidthNeeded(ui::TCanvas& canvas, TColumnEx& column);
    int dataWidthNeeded(ui::TCanvas& canvas, TColumnEx& column);
    int footerWidthNeeded(ui::TCanvas& canvas, TColumnEx& column, int row);
    // The first characters of the selected column's text on the current record, as many
    // as text has, when they equal text with case ignored.
    bool incSearchMatch(const std::string& text, std::string& shown) const;
    // Puts the record at the bookmark back on row middleRow of the data set's window.
    void placeRecordOnRow(const db::TBookmark& bookmark, int middleRow);

    bool incSearchActive_ = false;
    std::string incSearchText_;
    // Set while the search itself moves the data set, so that the move does not end it.
    bool incSearchLocked_ = false;
    int incSearchTimeOut_ = -1;
    // The saved window position: the middle record, its row in the data set's window, and
    // the current record's distance from it. No bookmark: nothing to restore.
    db::TBookmark savedMiddle_;
    int savedMiddleRow_ = 0;
    int savedOffset_ = 0;

    // ======== selection
public:
    // The selected records, in bookmark order.
    TBookmarkListEx& SelectedRows() const { return *selectedRows_; }

private:
    std::unique_ptr<TBookmarkListEx> selectedRows_;

    // ======== filter row
public:
    // Opens the filter editor over the filter cell of data column DataCol (when the row is
    // shown and the column has a filter cell), after posting a pending edit and closing
    // the editor of another column.
    void StartFilterEdit(int DataCol);
    // Closes the filter editor, storing its text, unless the filter settings are locked.
    // A text that does not read raises and leaves the editor open with it.
    void StopFilterEdit();
    // Places the filter editor over its cell and, with Show, shows it with its whole text
    // selected; closes it when it cannot show (a selection exists).
    void UpdateFilterEditor(bool Show);
    // The filter row's editor is open, on data column FilterEditColumn.
    bool FilterEditing() const { return filterEditing_; }
    int FilterEditColumn() const { return filterEditColumn_; }
    // The filter editor; none before it was first opened.
    TInplaceFilterEditEx* FilterEditor() const { return filterEditor_.get(); }
    // A column's filter condition changed: its cell repaints and the open editor on it
    // shows the condition's text.
    void FilterSettingsChanged(TColumnEx& Column);
    // Stores the open editor's text, has the filter applied (OnApplyFilter, else
    // DefaultApplyFilter), keeps the first visible column, shows the editor again and
    // recalculates the footers' sums.
    void ApplyFilter();
    // The column is visible and shows its filter cell.
    bool HasFilterCell(int DataCol) const;
    // FixedColor with each of red, green and blue raised by an eighth, at most 255.
    ui::TColor FilterRowColor() const;

protected:
    virtual TInplaceFilterEditEx* CreateFilterEditor();
    // The editor takes the column's condition: with a list source its list (picked only
    // from the list when the filter has a KeyField) and its current key, else its text.
    virtual void InitFilterEditor(int DataCol);
    // The editor's text (and key, with a list source) becomes the column's condition.
    virtual void StoreFilterText(int DataCol);
    // The data service applies the filter while the layout is locked.
    virtual void DefaultApplyFilter();
    // Filter editing is on and nothing is selected.
    virtual bool CanShowFilterEditor();
    // Draws a cell of the filter row.
    virtual void DrawFilterCell(int ACol, int ARow, const ui::TRect& Rect, ui::TGridDrawState State);
    // A press on a filter cell with a filter opens its editor there (a left press puts the
    // caret where it was made); a press elsewhere in the filter row ends filter editing.
    // True when the press was taken.
    bool FilterRowMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
    // The grid taking the focus ends filter editing.
    void FocusIn(ui::TControl* Previous) override;
    void CancelMode(ui::TControl* Sender) override;

private:
    struct TFilterEditorDeleter {
        void operator()(TInplaceFilterEditEx* editor) const;
    };
    // Stores the text, hides the editor and gives the focus back to the grid.
    void closeFilterEditor();
    // The next data column with a filter cell after (or before) DataCol, wrapping around;
    // DataCol itself when no other has one.
    int nextFilterColumn(int DataCol, bool forward) const;
    void filterEditKeyDown(rtl::TObject* Sender, ui::Word& Key, ui::TShiftState Shift);
    void filterEditKeyPress(rtl::TObject* Sender, char& Key);
    bool filterEditing_ = false;
    bool closingFilterEditor_ = false;
    int filterEditColumn_ = -1;
    std::unique_ptr<TInplaceFilterEditEx, TFilterEditorDeleter> filterEditor_;
};

class TDBGridEx : public TCustomDBGridEx {
public:
    using TCustomDBGridEx::TCustomDBGridEx;
};

} // namespace grid
