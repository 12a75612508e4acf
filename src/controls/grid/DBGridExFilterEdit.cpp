#include "controls/grid/DBGridExFilterEdit.h"

#include "controls/grid/DBGridEx.h"

namespace grid {

TInplaceFilterEditEx::TInplaceFilterEditEx(TCustomDBGridEx& grid) : TCustomDBComboBoxEx(&grid), grid_(grid)
{
    SetAutoSize(false);
    SetFlat(true);
    SetBorderStyle(ui::bsNone);
    SetColor(grid.FilterRowColor());
    Hide();
}

ui::TRect TInplaceFilterEditEx::GetEditRect() const
{
    ui::TRect rect = TCustomDBComboBoxEx::GetEditRect();
    ++rect.Top;
    return rect;
}

bool TInplaceFilterEditEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if (key == ui::VK_RETURN && !ListVisible()) return true;
    if (key == ui::VK_TAB && grid_.GetOptions().Contains(dgTabs)) return true;
    return TCustomDBComboBoxEx::WantSpecialKey(key, shift);
}

} // namespace grid
