#pragma once
// The filter row's editor: a combo box laid over one filter cell of a grid. Over a column
// whose filter has no list it is a plain text box; with a list it drops the list's texts
// down, to be picked freely or, when the filter names a key field, only from the list.
#include "controls/editors/DBComboBoxEx.h"
#include "controls/grid/DBGridExTypes.h"

namespace grid {

class TInplaceFilterEditEx : public editors::TCustomDBComboBoxEx {
public:
    // A child of the grid: flat, without a border, in the filter row's colour.
    explicit TInplaceFilterEditEx(TCustomDBGridEx& grid);

    TCustomDBGridEx& Grid() const { return grid_; }

protected:
    // The text stands one pixel lower than in other editors.
    ui::TRect GetEditRect() const override;
    // Enter applies the filter, and Tab moves between filter cells when the grid moves
    // between cells with it.
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;

private:
    TCustomDBGridEx& grid_;
};

} // namespace grid
