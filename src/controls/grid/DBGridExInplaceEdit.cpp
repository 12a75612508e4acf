#include "controls/grid/DBGridExInplaceEdit.h"

#include "controls/grid/DBGridEx.h"

namespace grid {

TDBGridInplaceEdit::TDBGridInplaceEdit(TCustomDBGridEx& grid) : ui::TInplaceEdit(&grid), grid_(grid)
{
}

TColumnEx* TDBGridInplaceEdit::Column() const
{
    const int index = grid_.SelectedIndex();
    if (index < 0 || index >= grid_.Columns().Count()) return nullptr;
    return grid_.Columns().Items(index);
}

void TDBGridInplaceEdit::UpdateContents()
{
    readOnlySetByCellParams_ = false;
    TColumnEx* column = Column();
    SetReadOnly(column && column->GetReadOnly());
    if (column) {
        SetFont(column->GetFont());
        SetColor(column->GetColor());
    }
    SetWordWrap(column && column->GetWordWrap() && grid_.RowsCanWrap());
    // Mask, text (the cell hook may decide the read-only state there) and length limit.
    ui::TInplaceEdit::UpdateContents();
}

void TDBGridInplaceEdit::CloseUp(bool)
{
    listVisible_ = false;
}

void TDBGridInplaceEdit::SetReadOnlyByCellParams(bool readOnly)
{
    readOnlySetByCellParams_ = true;
    SetReadOnly(readOnly);
}

bool TDBGridInplaceEdit::MRUListInUse() const
{
    const TColumnEx* column = Column();
    return Visible() && column && column->MRUList()->GetActive();
}

bool TDBGridInplaceEdit::PressButtonAt(ui::TPoint)
{
    return false;
}

} // namespace grid
