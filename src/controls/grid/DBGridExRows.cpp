// The grid's rows: as many data rows as the data link holds between the fixed rows and
// the footers, the current row following the current record, and the refresh after
// data and size changes.
#include <algorithm>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"

namespace grid {

int TCustomDBGridEx::dataLineWidth() const
{
    return options_.Contains(dgRowLines) ? GridLineWidth() : 0;
}

void TCustomDBGridEx::RecalcDataRows()
{
    if (!dataLink_) return;
    const int oldRowCount = RowCount();
    const int fixedRows = titleOffset_;
    if (RowCount() < fixedRows + 1) SetRowCount(fixedRows + 1);
    SetFixedRows(fixedRows);

    const int line = dataLineWidth();
    const int rowSpan = DefaultRowHeight() + line;
    const bool titles = options_.Contains(dgTitles);
    int used = titles ? titleRowHeight_ + line : 0;
    used += (fixedRows - TitleRowCount()) * rowSpan;
    if (footerRowCount_ > 0) used += footerRowCount_ * rowSpan + line;

    SetDefaultRowHeight(DefaultRowHeight());
    if (titles) SetRowHeights(0, titleRowHeight_);

    SetTopRow(fixedRows);
    int dataRows = 1;
    if (dataLink_->Active() && HandleAllocated()) {
        dataLink_->SetBufferCount(std::max(1, (ClientHeight() - used) / rowSpan));
        // An empty data set still shows one (empty) data row.
        dataRows = std::max(1, dataLink_->RecordCount());
    }
    used += dataRows * rowSpan;
    const bool footers = footerRowCount_ > 0 && HandleAllocated();
    SetRowCount(fixedRows + dataRows + (footers ? 1 + footerRowCount_ : 0));
    // The gap row takes what the rows leave, so that the footers stand at the bottom.
    if (footers) SetRowHeights(fixedRows + dataRows, std::max(0, ClientHeight() - used));
    if (dataLink_->Active() && HandleAllocated()) SyncCurrentRow();
    if (RowCount() != oldRowCount) Invalidate();
}

void TCustomDBGridEx::SyncCurrentRow()
{
    if (!incSearchLocked_) StopIncSearch();
    if (!HandleAllocated() || IsLoading()) return;
    if (!dataLink_->Active()) {
        // No record is current: the cell stays on the first data row, never on a footer.
        if (Row() != titleOffset_ && titleOffset_ < RowCount()) MoveColRow(Col(), titleOffset_, false, false);
        return;
    }
    const int row = dataLink_->GetActiveRecord() + titleOffset_;
    if (row != Row() && row < RowCount()) {
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        MoveColRow(Col(), row, false, false);
        InvalidateEditor();
    }
    const TColumnEx* column = selectedColumn();
    const TDBGridInplaceEdit* editor = InplaceEdit();
    if (column && editor && editor->Visible() && editorTextOf(*column) != editor->Text()) InvalidateEditor();
}

int TCustomDBGridEx::VisibleDataRowCount() const
{
    const int footerRows = footerRowCount_ > 0 ? footerRowCount_ + 1 : 0;
    return std::max(1, VisibleRowCount() - footerRows);
}

int TCustomDBGridEx::DataRowCount() const
{
    const int footerRows = footerRowCount_ > 0 ? footerRowCount_ + 1 : 0;
    return RowCount() - titleOffset_ - footerRows;
}

void TCustomDBGridEx::InvalidateFooters()
{
    for (int row = std::max(0, RowCount() - footerRowCount_); row < RowCount(); ++row) InvalidateRow(row);
}

void TCustomDBGridEx::RefreshLayout()
{
    if (!HandleAllocated() || !sumList_ || sumList_->Recalculating()) return;
    if (IsDesigning() && sumList_->Active()) sumList_->RecalcAll();
    RecalcDataRows();
    const bool barShown = ScrollBarShown(ui::sbVertical);
    RefreshVertScrollBar();
    if (barShown != ScrollBarShown(ui::sbVertical) && autoFitColWidths_ && !IsDesigning()) DeferLayout();
    UpdateScrollPos();
    InvalidateEditor();
    Invalidate();
}

void TCustomDBGridEx::Resize()
{
    ui::TCustomGrid::Resize();
    // New room: the columns fit it again, and the rows fill it.
    if (autoFitColWidths_ && !IsDesigning() && HandleAllocated() && fittedWidth_ != ClientWidth()) LayoutChanged();
    else RefreshLayout();
}

void TCustomDBGridEx::SetMemTableSupport(bool value)
{
    if (value == memTableSupport_) return;
    memTableSupport_ = value;
    evaluateMemTable();
}

void TCustomDBGridEx::evaluateMemTable()
{
    memTable_ = nullptr;
    memTableDataSet_ = nullptr;
    db::TDataSet* dataSet = dataLink_ ? dataLink_->DataSet() : nullptr;
    if (!memTableSupport_ || !dataSet || footerRowCount_ > 0 || dataSet->HasState(rtl::csDestroying)) return;
    memTable_ = dynamic_cast<IMemTableEx*>(dataSet);
    if (memTable_) memTableDataSet_ = dataSet;
}

} // namespace grid
