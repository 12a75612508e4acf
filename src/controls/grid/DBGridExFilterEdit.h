#pragma once
// The filter row's editor: a lookup combo box laid over one filter cell of a grid. Over a
// column whose filter names a list source it drops the list down as a data grid: picked
// only from the list when the filter names a key field, else typed freely and completed
// from it. Over any other column it is a plain text box.
#include <string>

#include "controls/grid/DBGridExTypes.h"
#include "controls/grid/DBLookupEx.h"

namespace grid {

class TInplaceFilterEditEx : public TDBLookupComboboxEx {
public:
    // A child of the grid: flat, without a border, in the filter row's colour.
    explicit TInplaceFilterEditEx(TCustomDBGridEx& grid);

    TCustomDBGridEx& Grid() const { return grid_; }

    // Binds the editor to a list (KeyField and ListField of Source), or to none with a
    // null Source. A new binding starts empty: neither the text nor the key of the list
    // before it is looked for in the new one.
    void BindList(db::TDataSource* Source, const std::string& KeyField, const std::string& ListField);

protected:
    // The text stands one pixel lower than in other editors.
    ui::TRect GetEditRect() const override;
    // The value is copied before it is set: the caller may hand in the filter's own key,
    // which setting it may change.
    void SetValueAndUpdate(const rtl::Variant& Value) override;
    // The whole text of the edit box.
    void SelectAllText() override;
    // Enter applies the filter, and Tab moves between filter cells when the grid moves
    // between cells with it.
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;

private:
    TCustomDBGridEx& grid_;
};

} // namespace grid
