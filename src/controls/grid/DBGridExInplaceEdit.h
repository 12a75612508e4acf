#pragma once
// The data grid's cell editor: the base grid's in-place edit, refreshed from the current
// column each time it moves (read-only state, font, colour, word wrap, then mask, text
// and length limit through the grid's hooks). It has no drop-downs yet: nothing opens,
// so closing one does nothing.
#include "controls/editors/EditInterfaces.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/ui/InplaceEdit.h"

namespace grid {

class TDBGridInplaceEdit : public ui::TInplaceEdit, public editors::IPopupOwnerEx {
public:
    explicit TDBGridInplaceEdit(TCustomDBGridEx& grid);

    TCustomDBGridEx& DBGrid() const { return grid_; }
    // The column of the cell being edited; none on the indicator.
    TColumnEx* Column() const;

    void UpdateContents() override;

    // ---- what the grid core asks of the editor
    // A drop-down is open.
    bool ListVisible() const { return listVisible_; }
    // Closes the open drop-down, taking its value with Accept.
    void CloseUp(bool Accept) override;
    // Set by the grid while it reloads the editor under an open drop-down.
    bool Closing() const { return closing_; }
    void SetClosing(bool value) { closing_ = value; }
    // The column's cell hook, not the column, decided the read-only state.
    bool ReadOnlySetByCellParams() const { return readOnlySetByCellParams_; }
    void SetReadOnlyByCellParams(bool readOnly);
    // The editor stands on a column whose most-recently-used list is active.
    bool MRUListInUse() const;
    // A press at a screen point on one of the editor's buttons; true when one took it.
    bool PressButtonAt(ui::TPoint screenPoint);

private:
    TCustomDBGridEx& grid_;
    bool listVisible_ = false;
    bool closing_ = false;
    bool readOnlySetByCellParams_ = false;
};

} // namespace grid
