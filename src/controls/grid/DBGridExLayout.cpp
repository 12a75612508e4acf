// The grid's layout: which columns exist and which are fixed, row and title heights,
// widths and tab stops, automatic fitting of the widths; the widths dragged in the grid,
// window creation, the link's activation and scrolling; cell areas; the property setters.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "controls/editors/ButtonPainting.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/InplaceEdit.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// The sample text of line heights.
constexpr const char* SampleText = "Wg";

int SampleHeight(const ui::TFont& font)
{
    ui::TCanvas canvas;
    canvas.Font().Assign(font);
    return canvas.TextHeight(SampleText);
}

} // namespace

// ---- the layout routine

void TCustomDBGridEx::InternalLayout()
{
    // At the program's end (the shared style letting go of the grid) there is nothing left
    // to measure with.
    if (IsLoading() || ui::ApplicationGoingAway()) return;
    RemovePostedMessage(WM_DEFERLAYOUTEX);
    inLayout_ = true;
    struct TDone {
        bool& flag;
        ~TDone() { flag = false; }
    } done{inLayout_};

    removeStaleDefaultColumns();
    indicatorOffset_ = options_.Contains(dgIndicator) ? 1 : 0;
    dataLink_->ClearMapping();
    if (dataLink_->Active()) DefineFieldMap();
    // Every column looks its field up by name again.
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->ForgetField();
    buildDefaultColumns();
    placeFixedColumns();
    measureRows();
    measureTitles(false);
    updateScrollBarStyle();
    ApplyColumnAttributes();
    fitColumnWidths();
    measureTitles(true);
    ApplyColumnAttributes();

    const int leftCol = LeftCol();
    RecalcDataRows();
    if (options_.Contains(dgRowSelect)) SetLeftCol(leftCol);
    SyncCurrentRow();
    Invalidate();
    if (selection_->SelectionType() == gstColumns) selection_->RefreshColumns();
    refreshFilterEditor();
}

void TCustomDBGridEx::removeStaleDefaultColumns()
{
    // Columns built from fields followed by a stored one: the built ones go.
    bool builtSeen = false;
    bool stale = false;
    for (int i = 0; i < columns_->Count() && !stale; ++i) {
        if (columns_->Items(i)->IsDefaultColumn()) builtSeen = true;
        else stale = builtSeen;
    }
    if (!stale) return;
    for (int i = columns_->Count() - 1; i >= 0; --i)
        if (columns_->Items(i)->IsDefaultColumn()) columns_->Delete(i);
}

void TCustomDBGridEx::buildDefaultColumns()
{
    if (columns_->Customized()) return;
    if (!dataLink_->Active() && dataLink_->DefaultFields()) {
        columns_->Clear();
        return;
    }
    auto inFieldMap = [this](const db::TField* field) {
        for (int i = 0; i < dataLink_->FieldCount(); ++i)
            if (dataLink_->Fields(i) == field) return true;
        return false;
    };
    for (int i = columns_->Count() - 1; i >= 0; --i) {
        const db::TField* field = columns_->Items(i)->Field();
        if (!field || !inFieldMap(field)) columns_->Delete(i);
    }
    int positions = dataLink_->FieldCount();
    if (positions == 0 && columns_->Count() == 0) positions = 1;
    // Columns keep their objects and move to their fields' places; the collection's own
    // move is used, so that no field moves along.
    for (int i = 0; i < positions; ++i) {
        db::TField* field = dataLink_->Fields(i);
        int found = -1;
        for (int j = i; j < columns_->Count() && field && found < 0; ++j)
            if (columns_->Items(j)->Field() == field) found = j;
        TColumnEx* column = found >= 0 ? columns_->Items(found) : columns_->AddDefault();
        if (found < 0 && field) column->SetField(field);
        if (column->GetIndex() != i) column->rtl::TCollectionItem::SetIndex(i);
    }
}

void TCustomDBGridEx::placeFixedColumns()
{
    visibleColumns_.Clear();
    const int count = columns_->Count();
    for (int i = 0; i < count; ++i)
        if (columns_->Items(i)->GetVisible()) visibleColumns_.Add(columns_->Items(i));
    // Hidden columns among the frozen ones, and those right after them, do not count as
    // frozen columns: the frozen part still shows FrozenCols columns.
    int hidden = 0;
    const int frozen = std::min(frozenCols_, count);
    for (int i = 0; i < frozen; ++i)
        if (!columns_->Items(i)->GetVisible()) ++hidden;
    for (int i = frozen; i < count && !columns_->Items(i)->GetVisible(); ++i) ++hidden;
    if (visibleColumns_.Count() == 0) --hidden;

    SetColCount(DataToRawColumn(count));
    const bool defaultsOnly = !dataLink_->Active() && !columns_->Customized();
    const int fixed = indicatorOffset_ + (defaultsOnly ? 0 : frozenCols_) + hidden;
    // At least one column scrolls.
    SetFixedCols(std::clamp(fixed, 0, ColCount() - 1));
    titleOffset_ = static_cast<std::uint8_t>(TitleRowCount() + SubTitleRowCount());
}

void TCustomDBGridEx::measureRows()
{
    ui::TCanvas canvas;
    canvas.Font().Assign(Font());
    const int extra = (flat_ ? 1 : 3) + (options_.Contains(dgRowLines) ? GridLineWidth() : 0);
    const int textHeight = canvas.TextHeight(SampleText);
    const ui::TTextMetric metric = canvas.TextMetrics();
    int height = rowHeight_ < 1 && rowLines_ < 1 ? textHeight + extra
                                                 : (metric.Height + metric.ExternalLeading) * rowLines_ + rowHeight_;
    if (optionsEx_.Contains(dghFitRowHeightToText) && textHeight > 0) {
        // Whole lines: a remainder of more than half a line counts as a line.
        const int room = height - extra;
        int lines = room / textHeight;
        if (!(room % textHeight <= textHeight / 2 && lines > 0)) ++lines;
        lines = std::max(lines, 1);
        height = lines * textHeight + extra;
        rowLines_ = lines;
        rowHeight_ = extra;
    }
    SetDefaultRowHeight(height);
    updateEditButtonHeight();
    rowsCanWrap_ = metric.Height + metric.InternalLeading + metric.ExternalLeading + frameHeightAllowance_ < height;
}

void TCustomDBGridEx::updateEditButtonHeight()
{
    const int width = EditButtonWidth();
    const bool lowRows = DefaultRowHeight() < rtl::Round(width * 3 / 2.0);
    editButtonHeight_ = lowRows ? editors::DefaultEditButtonHeight(width, flat_) : DefaultRowHeight();
}

int TCustomDBGridEx::EditButtonWidth() const
{
    return flat_ ? editors::GetDefaultFlatButtonWidth() : ui::Metrics().VScrollWidth;
}

void TCustomDBGridEx::measureTitles(bool afterWidths)
{
    if (!options_.Contains(dgTitles)) return;
    // The title font whose "Wg" is tallest (the grid's TitleFont without columns).
    const ui::TFont* tallest = &titleFont_;
    int tallestHeight = columns_->Count() == 0 ? SampleHeight(titleFont_) : 0;
    for (int i = 0; i < columns_->Count(); ++i) {
        const ui::TFont& font = columns_->Items(i)->Title()->GetFont();
        const int height = SampleHeight(font);
        if (height > tallestHeight) {
            tallest = &font;
            tallestHeight = height;
        }
    }
    int height = tallestHeight + frameHeightAllowance_;
    if (afterWidths) {
        if (titleHeight_ == 0 && titleLines_ == 0 && !useMultiTitle_) return;
        if (titleHeight_ != 0 || titleLines_ != 0) {
            ui::TCanvas canvas;
            canvas.Font().Assign(*tallest);
            const ui::TTextMetric metric = canvas.TextMetrics();
            height = titleLines_ * metric.Height + metric.ExternalLeading + 2 + titleHeight_
                     + (options_.Contains(dgRowLines) ? 1 : 0);
        }
        if (useMultiTitle_) {
            BuildTitleTree();
            height = MeasureTitleTree(titleTreeRoot_.get()) - (optionsEx_.Contains(dghFixed3D) ? 1 : 3);
        }
    }
    titleRowHeight_ = height;
    if (RowCount() > 0) SetRowHeights(0, titleRowHeight_);
}

void TCustomDBGridEx::updateScrollBarStyle()
{
    const bool horizontal = (!autoFitColWidths_ || IsDesigning()) && horzScrollBar_->GetVisible()
                            && !horzScrollBar_->GetExtScrollBar();
    SetScrollBars(horizontal ? ui::ssHorizontal : ui::ssNone);
}

void TCustomDBGridEx::fitColumnWidths()
{
    if (!autoFitColWidths_ || IsDesigning() || !HandleAllocated()) return;
    fittedWidth_ = ClientWidth();
    for (TColumnEx* column : visibleColumns_) column->SetClamped(false);
    auto free = [](const TColumnEx* column) { return column->GetAutoFitColWidth() && !column->GetClamped(); };
    int space = 0;
    for (int pass = 0; pass < visibleColumns_.Count(); ++pass) {
        RefreshVertScrollBar();
        int shares = 0;
        int fixedWidth = 0;
        for (const TColumnEx* column : visibleColumns_) {
            if (free(column)) shares += column->GetInitWidth();
            else fixedWidth += column->GetWidth();
        }
        space = std::max(std::max(ClientWidth(), minAutoFitWidth_) - fixedWidth, 0);
        if (options_.Contains(dgIndicator)) space -= IndicatorWidth;
        if (options_.Contains(dgColLines)) space -= visibleColumns_.Count();
        if (options_.Contains(dgIndicator) && options_.Contains(dgColLines)) space -= 1;
        space = std::max(space, 0);
        bool clamped = false;
        for (TColumnEx* column : visibleColumns_) {
            if (!free(column)) continue;
            const int width = MulDivOr(column->GetInitWidth(), space, shares, 0);
            column->SetWidth(width);
            if (column->GetWidth() != width) {
                column->SetClamped(true);
                clamped = true;
            }
        }
        if (!clamped) break;
    }
    // Rounding: the rightmost free column takes what is left over.
    int sum = 0;
    TColumnEx* rightmost = nullptr;
    for (TColumnEx* column : visibleColumns_)
        if (free(column)) {
            sum += column->GetWidth();
            rightmost = column;
        }
    if (rightmost && sum != space) rightmost->SetWidth(std::max(0, rightmost->GetWidth() + space - sum));
}

// ---- widths dragged in the grid

void TCustomDBGridEx::ColWidthsChanged()
{
    // The layout's own transfer of the widths.
    if (inLayout_) {
        ui::TCustomGrid::ColWidthsChanged();
        return;
    }
    {
        stFilter_->BeginUpdate();
        struct TResume {
            TSTDBGridExFilter& filter;
            ~TResume() { filter.EndUpdate(); }
        } resume{*stFilter_};
        if ((dataLink_->Active() || columns_->Customized()) && AcquireLayoutLock()) {
            TLayoutLock lock(*this, TLayoutLock::Adopt);
            ui::TCustomGrid::ColWidthsChanged();
            takeDraggedWidths();
            lock.End();
        } else {
            ui::TCustomGrid::ColWidthsChanged();
        }
        InvalidateEditor();
        if (OnColWidthsChanged) OnColWidthsChanged(this);
        RefreshHorzScrollBar();
    }
    refreshFilterEditor();
}

void TCustomDBGridEx::takeDraggedWidths()
{
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEx* column = columns_->Items(i);
        const int rawCol = DataToRawColumn(i);
        if (rawCol >= ColCount()) break;
        // A hidden column keeps its -1 or 0.
        if (!column->GetVisible()) continue;
        const int gridWidth = ColWidths(rawCol);
        const int clamped = column->ClampWidth(gridWidth);
        if (clamped != gridWidth) {
            inLayout_ = true;
            SetColWidths(rawCol, clamped);
            inLayout_ = false;
        }
        if (clamped != column->GetWidth()) spreadDraggedWidth(*column, clamped);
    }
}

void TCustomDBGridEx::spreadDraggedWidth(TColumnEx& column, int gridWidth)
{
    const int oldWidth = column.GetWidth();
    if (!autoFitColWidths_ || IsDesigning()) {
        column.SetWidth(gridWidth);
        return;
    }
    const int index = visibleColumns_.IndexOf(&column);
    if (!optionsEx_.Contains(dghResizeWholeRightPart)) {
        if (!column.GetAutoFitColWidth()) {
            column.SetWidth(gridWidth);
            return;
        }
        // The last column ends at the client's edge: its width comes back as it was.
        if (index < 0 || index == visibleColumns_.Count() - 1) return;
        const int oldInit = column.GetInitWidth();
        const int newInit = MulDivOr(oldInit, gridWidth, oldWidth, oldInit);
        column.SetInitWidth(newInit);
        TColumnEx* next = visibleColumns_.Items(index + 1);
        next->SetInitWidth(std::max(0, next->GetInitWidth() + oldInit - newInit));
        return;
    }
    // The change is spread over the auto-fit columns to the right.
    int rightWidth = 0;
    std::vector<TColumnEx*> right;
    for (int i = index + 1; index >= 0 && i < visibleColumns_.Count(); ++i) {
        TColumnEx* other = visibleColumns_.Items(i);
        if (!other->GetAutoFitColWidth()) continue;
        right.push_back(other);
        rightWidth += other->GetWidth();
    }
    const int change = gridWidth - oldWidth;
    for (TColumnEx* other : right)
        other->SetInitWidth(std::max(1, MulDivOr(rightWidth - change, other->GetInitWidth(), rightWidth, 1)));
    if (column.GetAutoFitColWidth())
        column.SetInitWidth(MulDivOr(column.GetInitWidth(), gridWidth, oldWidth, column.GetInitWidth()));
    else
        column.SetWidth(gridWidth);
}

// ---- window, link and scrolling

void TCustomDBGridEx::CreateWnd()
{
    {
        TUpdateLock lock(*this);
        ui::TCustomGrid::CreateWnd();
    }
    updateEditButtonHeight();
    if (!autoFitColWidths_) {
        RecalcDataRows();
        SyncCurrentRow();
    } else {
        LayoutChanged();
    }
    RefreshVertScrollBar();
    RefreshHorzScrollBar();
}

void TCustomDBGridEx::LinkActive(bool Value)
{
    if (!Value) HideEditor();
    selection_->SetLinkActive(Value);
    const db::TDataSource* source = GetDataSource();
    sumList_->SetDataSet(source ? source->GetDataSet() : nullptr);
    if (memTable_) RecalcDataRows();
    LayoutChanged();
    if (Value && AlwaysShowEditor()) ShowEditor();
    RefreshVertScrollBar();
    RefreshHorzScrollBar();
    evaluateMemTable();
}

void TCustomDBGridEx::Scroll(int Distance)
{
    if (memTable_) {
        memTableScroll();
        return;
    }
    // Rows are repainted across the client width, their lower line included.
    auto invalidateRows = [this](int first, int last) {
        const ui::TRect rows = BoxRect(0, first, ColCount() - 1, last);
        if (!rows.IsEmpty()) InvalidateRect({0, rows.Top, ClientWidth(), rows.Bottom + GridLineWidth()});
    };
    if (HandleAllocated()) {
        const int oldRowIndex = Row();
        if (dataLink_->GetActiveRecord() >= DataRowCount()) RecalcDataRows();
        const bool barShown = ScrollBarShown(ui::sbVertical);
        RefreshVertScrollBar();
        if (barShown != ScrollBarShown(ui::sbVertical) && autoFitColWidths_ && !IsDesigning()) DeferLayout();
        const int newRow = dataLink_->GetActiveRecord() + titleOffset_;
        if (dataLink_->Active() && newRow != Row() && newRow < RowCount()) MoveColRow(Col(), newRow, false, false);
        if (oldRowIndex < RowCount()) invalidateRows(oldRowIndex, oldRowIndex);
        invalidateRows(Row(), Row());

        if (Distance != 0) {
            HideEditor();
            if (std::abs(Distance) > VisibleDataRowCount()) {
                Invalidate();
                if (options_.Contains(dgAlwaysShowEditor)) ShowEditor();
                return;
            }
            if (options_.Contains(dgIndicator) && oldRowIndex < RowCount()) InvalidateCell(0, oldRowIndex);
            // The data rows moved: their band is painted again, the footers stay.
            const int firstData = titleOffset_;
            const int lastData = footerRowCount_ > 0 ? RowCount() - footerRowCount_ - 2 : RowCount() - 1;
            invalidateRows(firstData, std::max(firstData, lastData));
            if (options_.Contains(dgIndicator)) InvalidateCell(0, Row());
            if (options_.Contains(dgAlwaysShowEditor)) ShowEditor();
        }
    }
    InvalidateFooters();
    if (!UpdateLocked() && HandleAllocated()) Update();
}

// ---- cell areas

int TCustomDBGridEx::TitleRowCount() const
{
    return options_.Contains(dgTitles) ? 1 : 0;
}

int TCustomDBGridEx::SubTitleRowCount() const
{
    return stFilter_ && stFilter_->GetVisible() ? 1 : 0;
}

TCellArea TCustomDBGridEx::GetCellType(int ACol, int ARow) const
{
    TCellArea area;
    if (ACol < indicatorOffset_) {
        area.ColKind = cckIndicator;
        area.Col = ACol;
    } else {
        area.ColKind = cckData;
        area.Col = RawToDataColumn(ACol);
    }
    const int titleRows = TitleRowCount();
    const int subTitleRows = SubTitleRowCount();
    const int lastDataRow = footerRowCount_ > 0 ? RowCount() - footerRowCount_ - 2 : RowCount() - 1;
    if (ARow < titleRows) {
        area.RowKind = crkTitle;
        area.Row = ARow;
    } else if (ARow < titleRows + subTitleRows) {
        area.RowKind = crkSubTitle;
        area.Row = ARow - titleRows;
    } else if (ARow >= titleOffset_ && ARow <= lastDataRow) {
        area.RowKind = crkData;
        area.Row = ARow - titleOffset_;
    } else if (footerRowCount_ > 0 && ARow == lastDataRow + 1) {
        area.RowKind = crkAboveFooter;
        area.Row = 0;
    } else if (footerRowCount_ > 0 && ARow > lastDataRow + 1 && ARow < RowCount()) {
        area.RowKind = crkFooter;
        area.Row = ARow - (lastDataRow + 1);
    } else {
        RaiseGridError(msg::GetCellTypeAlgorithmError);
    }
    return area;
}

bool TCustomDBGridEx::SelectionTypeAllowed(TDBGridExSelectionType SelectionType) const
{
    if (SelectionType == gstNon) return true;
    if (!options_.Contains(dgMultiSelect) || !allowedSelections_.Contains(SelectionType)) return false;
    const bool cellKind = SelectionType == gstRectangle || SelectionType == gstColumns;
    return !(cellKind && options_.Contains(dgRowSelect));
}

bool TCustomDBGridEx::columnTabStop(const TColumnEx& column) const
{
    if (!column.GetVisible() || column.GetReadOnly() || !dataLink_->Active()) return false;
    const db::TField* field = column.Field();
    if (!field || field->Calculated()) return false;
    if (!field->Lookup()) return !field->GetReadOnly();
    // A lookup field is read-only when all its key fields are.
    for (const std::string& name : db::SplitFieldNames(field->GetKeyFields()))
        if (const db::TField* key = field->DataSet()->FindField(name); key && !key->GetReadOnly()) return true;
    return false;
}

void TCustomDBGridEx::ApplyColumnAttributes()
{
    const bool colLines = options_.Contains(dgColLines);
    for (int i = 0; i < columns_->Count(); ++i) {
        const int rawCol = DataToRawColumn(i);
        if (rawCol >= ColCount()) break;
        TColumnEx* column = columns_->Items(i);
        SetTabStops(rawCol, columnTabStop(*column));
        SetColWidths(rawCol, column->GetVisible() ? column->GetWidth() : (colLines ? -1 : 0));
    }
    if (options_.Contains(dgIndicator) && ColCount() > 0) SetColWidths(0, IndicatorWidth);
}

// ---- property setters

void TCustomDBGridEx::SetReadOnly(bool value)
{
    if (value == readOnly_) return;
    readOnly_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetDrawMemoText(bool value)
{
    if (value == drawMemoText_) return;
    drawMemoText_ = value;
    Invalidate();
}

void TCustomDBGridEx::SetFlat(bool value)
{
    if (value == flat_) return;
    flat_ = value;
    frameHeightAllowance_ = flat_ ? 2 : 4;
    RecalcNonClient();
    LayoutChanged();
}

void TCustomDBGridEx::applyBaseOptions()
{
    ui::TGridOptions base = 0;
    if (options_.Contains(dgColLines)) base |= ui::goFixedVertLine | ui::goVertLine;
    if (options_.Contains(dgRowLines)) base |= ui::goFixedHorzLine | ui::goHorzLine;
    if (options_.Contains(dgColumnResize) || IsDesigning()) base |= ui::goColSizing;
    if (options_.Contains(dgColumnResize)) base |= ui::goColMoving;
    if (options_.Contains(dgTabs)) base |= ui::goTabs;
    if (options_.Contains(dgEditing)) base |= ui::goEditing;
    if (options_.Contains(dgAlwaysShowEditor)) base |= ui::goAlwaysShowEditor;
    if (options_.Contains(dgRowSelect)) base |= ui::goRowSelect;
    if (rowSizingAllowed_) base |= ui::goRowSizing;
    ui::TCustomGrid::SetOptions(base);
}

void TCustomDBGridEx::SetOptions(TDBGridOptions value)
{
    if (value.Contains(dgRowSelect)) value.Exclude(dgEditing).Exclude(dgAlwaysShowEditor);
    if (value == options_) return;
    const TDBGridOptions changed = (value - options_) | (options_ - value);
    const bool multiSelectRemoved = options_.Contains(dgMultiSelect) && !value.Contains(dgMultiSelect);
    options_ = value;
    applyBaseOptions();
    if (multiSelectRemoved) ClearSelection();
    const TDBGridOptions layoutOptions = {dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines,
                                          dgRowLines, dgRowSelect, dgAlwaysShowSelection};
    if (!(changed & layoutOptions).IsEmpty()) LayoutChanged();
    if (InplaceEditor() && InplaceEditor()->Visible()) InvalidateEditor();
}

void TCustomDBGridEx::SetOptionsEx(TDBGridExOptions value)
{
    if (value == optionsEx_) return;
    const bool multiSortRemoved = optionsEx_.Contains(dghMultiSortMarking) && !value.Contains(dghMultiSortMarking);
    optionsEx_ = value;
    if (multiSortRemoved) {
        // The first sorted column keeps its marker; the others lose theirs.
        std::vector<TColumnEx*> rest(sortMarkedColumns_.begin(), sortMarkedColumns_.end());
        if (!rest.empty()) rest.erase(rest.begin());
        for (TColumnEx* column : rest) column->Title()->SetSortMarker(smNoneEx);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetAutoFitColWidths(bool value)
{
    if (value == autoFitColWidths_) return;
    autoFitColWidths_ = value;
    if (IsDesigning()) return;
    if (value) {
        if (!IsLoading())
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetInitWidth(columns_->Items(i)->GetWidth());
        SetScrollBars(ui::ssNone);
    } else {
        InUpdateBracket(columns_.get(), [this] {
            for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->SetWidth(columns_->Items(i)->GetInitWidth());
        });
        SetScrollBars(ui::ssHorizontal);
    }
    LayoutChanged();
}

void TCustomDBGridEx::SetUseMultiTitle(bool value)
{
    if (value == useMultiTitle_) return;
    useMultiTitle_ = value;
    LayoutChanged();
}

void TCustomDBGridEx::SetStyle(TDBGridExStyle* value)
{
    if (value == style_) return;
    if (style_) style_->RemoveGrid(this);
    style_ = value;
    if (style_) style_->AddGrid(this);
    LayoutChanged();
}

void TCustomDBGridEx::SetAllowedSelections(TDBGridExSelectionTypes value)
{
    if (value == allowedSelections_) return;
    allowedSelections_ = value;
    if (!SelectionTypeAllowed(selection_->SelectionType())) selection_->Clear();
}

void TCustomDBGridEx::SetFooterRowCount(int value)
{
    if (value < 0 || value == footerRowCount_) return;
    footerRowCount_ = value;
    evaluateMemTable();
    LayoutChanged();
}

void TCustomDBGridEx::SetFooterColor(ui::TColor value)
{
    if (!IsLoading()) SetParentColor(false);
    if (value == footerColor_) return;
    footerColor_ = value;
    if (footerRowCount_ >= 1) Invalidate();
}

void TCustomDBGridEx::SetFrozenCols(int value)
{
    if (value < 0 || value == frozenCols_) return;
    frozenCols_ = value;
    LayoutChanged();
}

namespace {

// Stores a layout value; true when it changed.
bool Store(int& field, int value)
{
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

void TCustomDBGridEx::SetMinAutoFitWidth(int value)
{
    if (Store(minAutoFitWidth_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetRowHeight(int value)
{
    if (Store(rowHeight_, std::max(0, value))) LayoutChanged();
}

void TCustomDBGridEx::SetRowLines(int value)
{
    if (Store(rowLines_, std::max(0, value))) LayoutChanged();
}

void TCustomDBGridEx::SetTitleHeight(int value)
{
    if (Store(titleHeight_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetTitleLines(int value)
{
    if (Store(titleLines_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetVTitleMargin(int value)
{
    if (Store(vTitleMargin_, value)) LayoutChanged();
}

void TCustomDBGridEx::SetRowSizingAllowed(bool value)
{
    if (value == rowSizingAllowed_) return;
    rowSizingAllowed_ = value;
    applyBaseOptions();
}

void TCustomDBGridEx::SetTitleImages(ui::TCustomImageList* value)
{
    if (value == titleImages_) return;
    const rtl::Delegate<void(rtl::TObject*)> listener{this, &TCustomDBGridEx::titleImagesChanged};
    if (titleImages_ && !titleImages_->HasState(rtl::csDestroying)) titleImages_->ChangeListeners().Remove(listener);
    titleImages_ = value;
    if (value) {
        value->ChangeListeners().Add(listener);
        FreeNotification(value);
    }
    LayoutChanged();
}

void TCustomDBGridEx::titleImagesChanged(rtl::TObject* sender)
{
    if (titleImages_ && sender == static_cast<rtl::TObject*>(titleImages_)) Invalidate();
}

void TCustomDBGridEx::titleFontChanged(rtl::TObject*)
{
    if (!IsLoading() && !copyingParentFont_) SetParentFont(false);
    if (options_.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEx::footerFontChanged(rtl::TObject*)
{
    if (!IsLoading() && !copyingParentFont_) SetParentFont(false);
    if (footerRowCount_ >= 1) LayoutChanged();
}

void TCustomDBGridEx::FontChanged()
{
    ui::TCustomGrid::FontChanged();
    // Still following the parent: the title and footer fonts follow too, laid out once.
    if (ParentFont()) {
        TUpdateLock lock(*this);
        copyingParentFont_ = true;
        titleFont_.Assign(Font());
        footerFont_.Assign(Font());
        copyingParentFont_ = false;
    }
    LayoutChanged();
}

void TCustomDBGridEx::refreshFilterEditor()
{
    if (stFilter_->UpdateCount() == 0) UpdateFilterEditor(filterEditing_);
}

} // namespace grid
