// Optimal column widths: each column as wide as its title, the data of its records and its
// footers need.
#include <algorithm>
#include <optional>
#include <vector>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
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

} // namespace grid
