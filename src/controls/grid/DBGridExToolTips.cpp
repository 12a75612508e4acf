#include "controls/grid/DBGridExToolTips.h"

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

} // namespace grid
