#include "controls/grid/DBGridExFilterEdit.h"

#include <QLineEdit>

#include "controls/grid/DBGridEx.h"

namespace grid {

TInplaceFilterEditEx::TInplaceFilterEditEx(TCustomDBGridEx& grid) : TDBLookupComboboxEx(&grid), grid_(grid)
{
    SetAutoSize(false);
    SetFlat(true);
    SetBorderStyle(ui::bsNone);
    SetColor(grid.FilterRowColor());
    SetStyle(csDropDownEx);
    Hide();
}

void TInplaceFilterEditEx::BindList(db::TDataSource* Source, const std::string& KeyField, const std::string& ListField)
{
    if (Source == GetListSource() && KeyField == GetKeyField() && ListField == GetListField()) return;
    if (ListVisible()) CloseUp(false);
    // The old list goes first, so that no field name is looked for in the wrong list.
    SetListSource(nullptr);
    SetKeyField(std::string());
    SetListField(std::string());
    SetKeyValue(rtl::Null());
    auto* link = static_cast<TDataSourceLinkEx*>(DataLink());
    link->SetFreeText(false);
    link->SetValue(rtl::Null());
    if (!Source) return;
    SetKeyField(KeyField);
    SetListField(ListField);
    SetListSource(Source);
}

ui::TRect TInplaceFilterEditEx::GetEditRect() const
{
    ui::TRect rect = TDBLookupComboboxEx::GetEditRect();
    ++rect.Top;
    return rect;
}

void TInplaceFilterEditEx::SetValueAndUpdate(const rtl::Variant& Value)
{
    const rtl::Variant copy = Value;
    TDBLookupComboboxEx::SetValueAndUpdate(copy);
}

void TInplaceFilterEditEx::SelectAllText()
{
    EditWindow()->selectAll();
}

bool TInplaceFilterEditEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if (key == ui::VK_RETURN && !ListVisible()) return true;
    if (key == ui::VK_TAB && grid_.GetOptions().Contains(dgTabs)) return true;
    return TDBLookupComboboxEx::WantSpecialKey(key, shift);
}

} // namespace grid
