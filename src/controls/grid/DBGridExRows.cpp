// The grid's rows: as many data rows as the data link holds between the fixed rows and
// the footers, the current row following the current record, and the refresh after
// data and size changes.
#include <algorithm>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBGridExUtils.h"

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

    if (memTable_) {
        memTableRecalcRows();
        if (RowCount() != oldRowCount) Invalidate();
        return;
    }
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
    const int row = currentRecordRow();
    if (row != Row() && row >= titleOffset_ && row < RowCount()) {
        if (!options_.Contains(dgAlwaysShowEditor)) HideEditor();
        // In memory-table mode the rows scroll: the view follows the current one.
        MoveColRow(Col(), row, false, memTable_ != nullptr);
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

bool TCustomDBGridEx::dataRowHasRecord(int dataRow) const
{
    if (!dataLink_->Active() || dataRow < 0) return false;
    return dataRow < (memTable_ ? memTable_->MemTableRecordCount() : dataLink_->RecordCount());
}

bool TCustomDBGridEx::isCurrentDataRow(int dataRow) const
{
    return dataRow + titleOffset_ == currentRecordRow();
}

int TCustomDBGridEx::currentRecordRow() const
{
    if (!dataLink_->Active()) return Row();
    return titleOffset_ + (memTable_ ? memTable_->MemTableRecNo() - 1 : dataLink_->GetActiveRecord());
}

int TCustomDBGridEx::windowEdgeDistance(bool toFirst) const
{
    if (!memTable_) {
        const int active = dataLink_->GetActiveRecord();
        return toFirst ? -active : dataLink_->RecordCount() - active - 1;
    }
    // The rows on screen are the window.
    const int current = currentRecordRow();
    const int last = std::min(RowCount(), TopRow() + VisibleDataRowCount()) - 1;
    return (toFirst ? TopRow() : last) - current;
}

void TCustomDBGridEx::ForEachRecordOnScreen(const std::function<void(int row)>& fn)
{
    if (!memTable_) {
        ForEachWindowRecord(*dataLink_, [&](int index) { fn(titleOffset_ + index); });
        return;
    }
    if (!dataLink_->Active()) return;
    // The rows on screen, the one cut at the bottom included.
    const int last = std::min(RowCount() - 1, TopRow() + VisibleRowCount());
    for (int row = TopRow(); row <= last && dataRowHasRecord(row - titleOffset_); ++row) {
        const TDataRowRead read(*this, row - titleOffset_);
        fn(row);
    }
}

TCustomDBGridEx::TDataRowRead::TDataRowRead(TCustomDBGridEx& grid, int dataRow)
{
    if (grid.memTable_) {
        if (grid.memTable_->MemTableInstantReadEnter(dataRow + 1)) entered_ = grid.memTable_;
        return;
    }
    link_ = grid.dataLink_.get();
    saved_ = link_->GetActiveRecord();
    link_->SetActiveRecord(dataRow);
}

TCustomDBGridEx::TDataRowRead::~TDataRowRead()
{
    if (entered_) entered_->MemTableInstantReadLeave();
    if (link_) link_->SetActiveRecord(saved_);
}

} // namespace grid
