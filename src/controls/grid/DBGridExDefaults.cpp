// What the grid does while the parts that replace these bodies are not there yet: the
// base grid's scroll bars and the edit text written as text. Each block goes when the
// part that defines its members arrives.
#include <memory>
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"

namespace grid {

// ---- replaced by the keyboard and mouse work

void TCustomDBGridEx::UpdateEditorData()
{
    const int index = SelectedIndex();
    if (index < 0 || index >= Columns().Count()) return;
    Columns().Items(index)->UpdateDataValues(currentEditText_, rtl::Variant(currentEditText_), true);
}

void TCustomDBGridEx::RefreshVertScrollBar()
{
    UpdateScrollRange();
    UpdateScrollPos();
}

void TCustomDBGridEx::RefreshHorzScrollBar()
{
    UpdateScrollRange();
    UpdateScrollPos();
}

} // namespace grid
