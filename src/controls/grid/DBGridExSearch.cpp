// Walks over the records that leave the view as it was: fitting column widths to their
// content, and the incremental search typed into the current column.
#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// The width a text takes, wrapped at boxWidth when wrap is on.
int TextWidthIn(ui::TCanvas& canvas, const std::string& text, bool wrap, int boxWidth)
{
    if (!wrap) return TextWidthCalc(canvas, text);
    ui::TRect r{0, 0, std::max(1, boxWidth), 0};
    canvas.DrawText(text, r, ui::DT_CALCRECT | ui::DT_NOPREFIX | ui::DT_WORDBREAK);
    return r.Width();
}

} // namespace

// ---- window position

void TCustomDBGridEx::SaveWindowPosition()
{
    savedMiddle_.clear();
    db::TDataSet* dataSet = dataLink_->DataSet();
    const int count = dataLink_->RecordCount();
    // The upper of the two middle records for an even count; none without records.
    const int middle = count / 2 - (count + 1) % 2;
    if (!dataSet || !dataLink_->Active() || middle < 0) return;
    const int current = dataLink_->GetActiveRecord();
    savedOffset_ = current - middle;
    // Read where it stands, without moving (which would post a record being edited).
    dataLink_->SetActiveRecord(middle);
    savedMiddle_ = dataSet->GetBookmark();
    dataLink_->SetActiveRecord(current);
    savedMiddleRow_ = dataSet->GetActiveRecord() - savedOffset_;
}

void TCustomDBGridEx::RestoreWindowPosition()
{
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataSet || savedMiddle_.empty() || !dataSet->BookmarkValid(savedMiddle_)) return;
    placeRecordOnRow(savedMiddle_, savedMiddleRow_);
    dataSet->MoveBy(savedOffset_);
}

void TCustomDBGridEx::placeRecordOnRow(const db::TBookmark& bookmark, int middleRow)
{
    db::TDataSet& dataSet = *dataLink_->DataSet();
    dataSet.GotoBookmark(bookmark);
    // A jump centres a record it brings into the window, which for an even window is not
    // always the row it came from: the window scrolls past its edge until the record
    // stands there again (as far as the records allow), and the cursor comes back to it.
    const int row = dataSet.GetActiveRecord();
    if (row == middleRow) return;
    int moved = 0;
    if (row > middleRow) {
        moved += dataSet.MoveBy(dataSet.WindowRecordCount() - 1 - row);
        moved += dataSet.MoveBy(row - middleRow);
    } else {
        moved += dataSet.MoveBy(-row);
        moved += dataSet.MoveBy(row - middleRow);
    }
    dataSet.MoveBy(-moved);
}

TCustomDBGridEx::TRecordWalk::TRecordWalk(TCustomDBGridEx& grid, db::TDataSet& dataSet, bool bySearch)
    : grid_(grid), dataSet_(dataSet), bySearch_(bySearch), unwinding_(std::uncaught_exceptions())
{
    dataSet_.DisableControls();
    try {
        grid_.SaveWindowPosition();
    } catch (...) {
        dataSet_.EnableControls();
        throw;
    }
}

TCustomDBGridEx::TRecordWalk::~TRecordWalk() noexcept(false)
{
    // A failing walk's error travels on; otherwise the first error of the end does.
    const bool failing = std::uncaught_exceptions() > unwinding_;
    std::exception_ptr error;
    if (!keep_) {
        try {
            grid_.RestoreWindowPosition();
        } catch (...) {
            if (!failing) error = std::current_exception();
        }
    }
    const bool locked = grid_.incSearchLocked_;
    grid_.incSearchLocked_ = locked || bySearch_;
    try {
        dataSet_.EnableControls();
    } catch (...) {
        if (!failing && !error) error = std::current_exception();
    }
    grid_.incSearchLocked_ = locked;
    if (error) std::rethrow_exception(error);
}

// ---- optimal widths

void TCustomDBGridEx::OptimizeColWidth(TColumnEx* Column)
{
    TColumnsExList list;
    if (Selection().SelectionType() == gstColumns) {
        for (TColumnEx* column : Selection().Columns()) list.Add(column);
    } else if (Selection().SelectionType() == gstAll) {
        for (int i = 0; i < columns_->Count(); ++i) list.Add(columns_->Items(i));
    }
    if (Column && !list.Contains(Column)) list.Add(Column);
    OptimizeColWidths(list);
}

void TCustomDBGridEx::OptimizeColWidths(TColumnsExList& Columns)
{
    const int count = Columns.Count();
    ui::TCanvas canvas;
    std::vector<int> widths(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) widths[static_cast<std::size_t>(i)] = titleWidthNeeded(canvas, *Columns.Items(i));
    // Widths change only with the data at hand.
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataLink_->Active() || !dataSet) return;

    auto measureRecord = [&] {
        for (int i = 0; i < count; ++i) {
            int& width = widths[static_cast<std::size_t>(i)];
            width = std::max(width, dataWidthNeeded(canvas, *Columns.Items(i)));
        }
    };
    if (db::IsEditState(dataSet->State())) {
        // Leaving a record being edited would post or drop it: the rows on screen only.
        ForEachRecordOnScreen([&](int) { measureRecord(); });
    } else {
        TRecordWalk walk(*this, *dataSet, false);
        const bool sequenced = dataSet->IsSequenced();
        const int records = sequenced ? dataSet->RecordCount() : 0;
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
            measureRecord();
            if (sequenced && dataSet->GetRecNo() >= records) break;
        }
    }

    std::optional<TLayoutLock> batch;
    if (!autoFitColWidths_) batch.emplace(*this);
    for (int i = 0; i < count; ++i) {
        TColumnEx& column = *Columns.Items(i);
        int& width = widths[static_cast<std::size_t>(i)];
        for (int row = 0; row < footerRowCount_; ++row) width = std::max(width, footerWidthNeeded(canvas, column, row));
        column.SetWidth(width);
    }
    if (batch) batch->End();
}

int TCustomDBGridEx::titleWidthNeeded(ui::TCanvas& canvas, TColumnEx& column)
{
    const TColumnTitleEx& title = *column.Title();
    int margin = 4;
    const int marking = title.GetSortMarkingWidth();
    if (marking > 2) margin += marking - 2;
    if (titleImages_ && title.GetImageIndex() != -1) return margin + titleImages_->Width();

    std::string text = title.GetCaption();
    ui::TRect cell{0, 0, column.GetWidth(), titleRowHeight_};
    if (useMultiTitle_)
        if (const THeadTreeNode* leaf = TitleLeaf(column.GetIndex())) {
            text = leaf->Text;
            cell = {0, 0, leaf->Width, leaf->Height};
        }
    canvas.Font().Assign(title.GetFont());
    if (title.GetOrientation() == tohVertical) {
        // The box is turned: the height of the line is what the column must hold.
        ui::TRect r;
        canvas.DrawText(text, r, ui::DT_CALCRECT | ui::DT_NOPREFIX);
        return margin + r.Height();
    }
    const bool wrap = useMultiTitle_ || titleHeight_ != 0 || titleLines_ != 0;
    return margin + TextWidthIn(canvas, text, wrap, cell.Width() - margin);
}

int TCustomDBGridEx::dataWidthNeeded(ui::TCanvas& canvas, TColumnEx& column)
{
    int margin = 4;
    if (column.GetAlwaysShowEditButton()) margin += column.EditButtonsWidth();
    switch (column.GetColumnKind()) {
    case ckImageList: return margin + (column.GetImageList() ? column.GetImageList()->Width() : 0);
    case ckCheckBox: return margin + ui::Metrics().CheckBoxWidth;
    default: break;
    }
    ui::TFont& font = canvas.Font();
    font.Assign(column.GetFont());
    cellParams_.Background = canvas.Brush().Color();
    cellParams_.Font = &font;
    cellParams_.Alignment = column.GetAlignment();
    cellParams_.Text = column.DisplayText();
    if (OnGetCellParams) OnGetCellParams(this, &column, font, cellParams_.Background, 0);
    column.GetColCellParams(false, cellParams_);
    const bool wrap = column.GetWordWrap() && rowsCanWrap_;
    return margin + TextWidthIn(canvas, cellParams_.Text, wrap, column.GetWidth() - margin);
}

int TCustomDBGridEx::footerWidthNeeded(ui::TCanvas& canvas, TColumnEx& column, int row)
{
    const int margin = 5;
    TColumnFooterEx& footer = *column.FooterForRow(row);
    ui::TFont& font = canvas.Font();
    font.Assign(footer.GetFont());
    ui::TColor color = footer.GetColor();
    rtl::TAlignment alignment = footer.GetAlignment();
    canvas.Brush().SetColor(color);
    cellParams_.Background = color;
    cellParams_.Alignment = alignment;
    std::string text = GetFooterValue(row, &column);
    GetFooterParams(column.GetIndex(), row, &column, font, color, alignment, 0, text);
    const bool wrap = footer.GetWordWrap() && rowsCanWrap_;
    return margin + TextWidthIn(canvas, text, wrap, column.GetWidth() - margin);
}

// ---- incremental search

bool TCustomDBGridEx::incSearchMatch(const std::string& text, std::string& shown) const
{
    const TColumnEx* column = selectedColumn();
    if (!column) return false;
    const std::string display = column->DisplayText();
    if (!rtl::AnsiStartsText(text, display)) return false;
    shown = display.substr(0, text.size());
    return true;
}

void TCustomDBGridEx::StartIncSearch(const std::string& Text, int TimeOut, TIncSearchDirection Direction)
{
    db::TDataSet* dataSet = dataLink_->DataSet();
    if (!dataLink_->Active() || !dataSet) return;
    const std::string old = incSearchText_;
    std::string wanted = old + Text;
    bool found = false;
    // An empty text looks for nothing and moves nowhere.
    if (!wanted.empty()) {
        std::string shown;
        if (Direction == isdFromTop && incSearchMatch(wanted, shown)) {
            found = true;
            wanted = shown;
        } else if (!db::IsEditState(dataSet->State())) {
            // (Leaving a record being edited would post or drop it: no walk then.)
            TRecordWalk walk(*this, *dataSet, true);
            if (Direction == isdFromTop) dataSet->First();
            else if (Direction == isdDown) dataSet->Next();
            else dataSet->Prior();
            auto atEnd = [&] { return Direction == isdUp ? dataSet->Bof() : dataSet->Eof(); };
            while (!atEnd()) {
                if (incSearchMatch(wanted, shown)) {
                    found = true;
                    wanted = shown;
                    walk.Keep();
                    break;
                }
                if (Direction == isdUp) dataSet->Prior();
                else dataSet->Next();
            }
        }
    }
    HideEditor();
    incSearchActive_ = true;
    // A character that found nothing is dropped.
    incSearchText_ = found ? wanted : old;
    InvalidateRow(Row());
    incSearchTimeOut_ = TimeOut;
    KillTimer(IncSearchTimerId);
    if (TimeOut >= 0) SetTimer(IncSearchTimerId, TimeOut);
}

void TCustomDBGridEx::StopIncSearch()
{
    if (!incSearchActive_ && !TimerActive(IncSearchTimerId)) return;
    KillTimer(IncSearchTimerId);
    incSearchActive_ = false;
    incSearchText_.clear();
    InvalidateRow(Row());
    if (options_.Contains(dgAlwaysShowEditor) && !HasState(rtl::csDestroying)) ShowEditor();
}

void TCustomDBGridEx::TimerTick(int id)
{
    if (id == IncSearchTimerId) {
        StopIncSearch();
        return;
    }
    // The base grid's timer of column moving shares the number.
    if (id == AutoScrollTimerId && (mouseMode_ != mmNone || recordDrag_ || cellDrag_)) {
        autoScrollTick();
        return;
    }
    ui::TCustomGrid::TimerTick(id);
}

} // namespace grid
