// The window of a cut-off cell's text, and the grid's tool tips: a cell whose column,
// title or footer has ToolTips shows its whole text at once when the cell cuts it off.
#include "controls/grid/DBGridExToolTips.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExFooters.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/ui/InputState.h"

namespace grid {

TToolTipsWindow::TToolTipsWindow(ui::TControl* owner) : ui::THintWindow(owner)
{
    hintFont_.Assign(Font());
}

void TToolTipsWindow::SetHintFont(const ui::TFont& font)
{
    hintFont_.Assign(font);
}

ui::TRect TToolTipsWindow::CalcHintRect(int maxWidth, const std::string& text)
{
    Font().Assign(hintFont_);
    Font().SetColor(ui::clWindowText);
    return ui::THintWindow::CalcHintRect(maxWidth, text);
}

// ---- the grid's side

int TCustomDBGridEx::HintShowPause(ui::TPoint p)
{
    const ui::TGridCoord cell = MouseCoord(p.X, p.Y);
    const TColumnEx* column = columnAt(cell.X);
    if (!column || cell.Y < 0) return ui::TCustomGrid::HintShowPause(p);
    const TCellArea area = GetCellType(cell.X, cell.Y);
    switch (area.RowKind) {
    case crkTitle:
        if (column->Title()->GetToolTips() && column->Title()->GetHint().empty()) return 0;
        break;
    case crkData:
        if (column->GetToolTips() && dataLink_->Active()) return 0;
        break;
    case crkFooter: {
        const TColumnFooterEx* footer = column->FooterForRow(area.Row - 1);
        if (footer && footer->GetToolTips()) return 0;
        break;
    }
    default: break;
    }
    return ui::TCustomGrid::HintShowPause(p);
}

bool TCustomDBGridEx::toolTipText(int ACol, int ARow, std::string& text, ui::TRect& rect, ui::TFont& font,
                                  bool& wrap)
{
    TColumnEx* column = columnAt(ACol);
    if (!column) return false;
    const TCellArea area = GetCellType(ACol, ARow);
    rect = CellRect(ACol, ARow);
    switch (area.RowKind) {
    case crkTitle: {
        TColumnTitleEx* title = column->Title();
        if (!title->GetToolTips()) return false;
        const THeadTreeNode* leaf = useMultiTitle_ ? TitleLeaf(area.Col) : nullptr;
        text = leaf ? leaf->Text : title->GetCaption();
        // The bands above a leaf and the sort marker are no room for the text.
        rect.Top = TitleLeafTop(area.Col, rect);
        rect.Right -= title->GetSortMarkingWidth();
        font.Assign(title->GetFont());
        wrap = useMultiTitle_ || titleHeight_ != 0 || titleLines_ != 0;
        return true;
    }
    case crkData: {
        if (!column->GetToolTips() || !onRecordRow({ACol, ARow})) return false;
        const db::TField* field = column->Field();
        const bool keyImage = isCheckOrImage(column) && column->KeyListCount() > 0;
        if (!keyImage && !field) return false;
        // The row's own record, read from the window without moving.
        {
            const TDataRowRead record(*this, ARow - titleOffset_);
            if (keyImage) {
                const int index = field ? KeyListIndexOf(column->GetKeyList(), field->GetText()) : -1;
                text = index >= 0 && index < column->PickListCount() ? column->GetPickList()[index] : std::string();
            } else {
                text = column->DisplayText();
            }
        }
        font.Assign(column->GetFont());
        wrap = column->GetWordWrap() && rowsCanWrap_;
        if (column->GetAlwaysShowEditButton()) rect.Right -= column->EditButtonsWidth();
        if (ShowsTreeNodes(column)) rect.Left += TreeNodeWidth(ARow - titleOffset_ + 1);
        return true;
    }
    case crkFooter: {
        const TColumnFooterEx* footer = column->FooterForRow(area.Row - 1);
        if (!footer || !footer->GetToolTips()) return false;
        text = GetFooterValue(area.Row - 1, column);
        font.Assign(footer->GetFont());
        wrap = footer->GetWordWrap() && rowsCanWrap_;
        return true;
    }
    default: return false;
    }
}

bool TCustomDBGridEx::ShowHintAt(ui::THintInfo& info)
{
    const ui::TGridCoord cell = MouseCoord(info.CursorPos.X, info.CursorPos.Y);
    TColumnEx* column = columnAt(cell.X);
    if (!column || cell.Y < 0) return ShowHint() && ui::TCustomGrid::ShowHintAt(info);
    // The hint stays with its cell: moving to another cell asks again.
    info.CursorRect = LayoutRect(CellRect(cell.X, cell.Y));
    const std::string& titleHint = column->Title()->GetHint();
    if (cell.Y < TitleRowCount() && !titleHint.empty()) {
        info.HintStr = titleHint.substr(0, titleHint.find('|'));
        return true;
    }
    // A held button or Ctrl keeps tool tips away.
    if (!ui::MouseButtonsState() && !(ui::KeyboardShiftState() & ui::ssCtrl)) {
        std::string text;
        ui::TRect rect;
        ui::TFont font;
        bool wrap = false;
        if (toolTipText(cell.X, cell.Y, text, rect, font, wrap) && !text.empty()) {
            ui::TCanvas canvas;
            canvas.Font().Assign(font);
            int height = 0;
            int width = 0;
            if (TextNeedsToolTip(canvas, UseRightToLeftAlignment(), 0, 0, height, width, wrap, rect, text)) {
                if (!toolTipsWindow_) toolTipsWindow_ = new TToolTipsWindow(this);
                toolTipsWindow_->SetHintFont(font);
                info.HintWindow = toolTipsWindow_;
                info.HintStr = text;
                info.HintPos = ClientToScreen(LayoutRect(rect).TopLeft());
                info.HintMaxWidth = wrap ? std::max(1, rect.Width()) : width + rect.Width() + 1;
                return true;
            }
        }
    }
    return ShowHint() && ui::TCustomGrid::ShowHintAt(info);
}

} // namespace grid
