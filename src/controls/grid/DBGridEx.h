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

#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExDataLink.h"
#include "controls/grid/DBGridExFilter.h"
#include "controls/grid/DBGridExScrollBars.h"
#include "controls/grid/DBGridExSeams.h"
#include "controls/grid/DBGridExStyle.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Grids.h"

namespace grid {

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
    // Asks for a layout once the present locks are gone.
    void DeferLayout();

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
    ui::TFont& TitleFont() { return titleFont_; }
    const ui::TFont& TitleFont() const { return titleFont_; }
    ui::TFont& FooterFont() { return footerFont_; }
    const ui::TFont& FooterFont() const { return footerFont_; }
    ui::TColor GetFooterColor() const { return footerColor_; }
    ui::TCustomImageList* GetTitleImages() const { return titleImages_; }
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
    IDBGridExSumList& SumList() const { return *sumList_; }
    IDBGridExSelection& Selection() const { return *selection_; }

    // The text of the in-place editor, kept for the write into the field.
    const std::string& CurrentEditText() const { return currentEditText_; }
    // The in-place editor is in use with its most-recently-used list on.
    bool EditorMRUListInUse() const;

    // Clears the selected rows and the selection when dghClearSelection asks for it.
    void ClearSelection();

    // Removed components: columns forget image lists, list sources and fields that go.
    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    TCustomDBGridEx(ui::TControl* parent, const TDBGridExClasses& classes);

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
    // Selects the field's column; true when the request is served (the editor shown).
    bool FocusField(db::TField* Field);
    // The edit text for UpdateEditorData.
    void SetEditText(int ACol, int ARow, const std::string& Value) override;

private:
    friend class TGridDataLinkEx;

    void titleFontChanged(rtl::TObject* sender);
    void applyBaseOptions();
    std::unique_ptr<IDBGridExSumList> CreateSumList();
    std::unique_ptr<IDBGridExSelection> CreateSelection();

    std::uint8_t indicatorOffset_ = 1;
    std::uint8_t titleOffset_ = 1;
    std::uint8_t updateLock_ = 0;
    std::uint8_t layoutLock_ = 0;
    std::unique_ptr<TGridDataLinkEx> dataLink_;
    std::unique_ptr<TDBGridColumnsEx> columns_;
    std::unique_ptr<TColumnDefValuesEx> columnDefValues_;
    TColumnsExList visibleColumns_;
    TColumnsExList sortMarkedColumns_;
    std::unique_ptr<IDBGridExSumList> sumList_;
    std::unique_ptr<IDBGridExSelection> selection_;
    std::unique_ptr<TSTDBGridExFilter> stFilter_;
    std::unique_ptr<TDBGridExScrollBar> horzScrollBar_;
    std::unique_ptr<TDBGridExScrollBar> vertScrollBar_;
    ui::TFont titleFont_;
    ui::TFont footerFont_;
    ui::TColor footerColor_ = ui::clWindow;
    ui::TCustomImageList* titleImages_ = nullptr;
    TDBGridOptions options_ = {dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                               dgConfirmDelete, dgCancelOnExit};
    TDBGridExOptions optionsEx_ = {dghFixed3D, dghHighlightFocus, dghClearSelection, dghDialogFind};
    TDBGridExAllowedOperations allowedOperations_ = {alopInsertEx, alopUpdateEx, alopDeleteEx, alopAppendEx};
    TDBGridExSelectionTypes allowedSelections_ = {gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
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

    // ======== layout
private:
    // The layout routine; run by the end of the outermost layout bracket.
    void InternalLayout();
    bool inLayout_ = false;

    // ======== multi-level titles

    // ======== painting

    // ======== cell drawing

    // ======== data rows and scrolling
public:
    // The scroll bars follow the rows and columns.
    virtual void RefreshVertScrollBar();
    virtual void RefreshHorzScrollBar();
    // Whether the grid shows its own bar of that kind.
    using ui::TCustomGrid::ScrollBarShown;

    // ======== keyboard

    // ======== mouse

    // ======== cell areas, title buttons, tool tips
public:
    // The data link is active, updates are allowed (or a record is being inserted), and
    // the data set has records or records may be added.
    bool CanEditData() const;
    // Repaints one data column, or every column bound to the field.
    void InvalidateColumn(int DataCol);
    void InvalidateField(db::TField* Field);

protected:
    // Writes the editor's text into the selected column's field.
    void UpdateEditorData();

    // ======== footer values
public:
    // The text of footer row Row (0 is the first) of the column.
    virtual std::string GetFooterValue(int Row, TColumnEx* Column);
    // Fires OnGetFooterParams for a footer cell before it is drawn or measured.
    virtual void GetFooterParams(int DataCol, int Row, TColumnEx* Column, ui::TFont& AFont, ui::TColor& Background,
                                 rtl::TAlignment& Alignment, ui::TGridDrawState State, std::string& Text);

    // ======== optimal width and incremental search
public:
    // Fits the width of the column (and of the selected columns) to its content.
    void OptimizeColWidth(TColumnEx* Column);

    // ======== selection

    // ======== filter row
public:
    void StartFilterEdit(int DataCol);
    void StopFilterEdit();
    // Shows (or hides) the filter-row editor over its cell.
    void UpdateFilterEditor(bool Show);
};

class TDBGridEx : public TCustomDBGridEx {
public:
    using TCustomDBGridEx::TCustomDBGridEx;
};

} // namespace grid
