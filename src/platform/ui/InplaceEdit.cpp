#include "platform/ui/InplaceEdit.h"

#include <QLineEdit>

#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Grids.h"

namespace ui {

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TCustomMaskEdit(grid), grid_(grid)
{
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetAutoSelect(false);
    // The text stands at the top of the cell as the grid draws it.
    EditWindow()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Hide();
}

// ---- the grid's hooks ----

bool TInplaceEdit::GridCanEditModify() { return grid_->CanEditModify(); }
bool TInplaceEdit::GridCanEditAcceptKey(char key) { return grid_->CanEditAcceptKey(key); }
bool TInplaceEdit::GridCanEditShow() { return grid_->CanEditShow(); }
std::string TInplaceEdit::GridGetEditText(int col, int row) { return grid_->GetEditText(col, row); }
void TInplaceEdit::GridSetEditText(int col, int row, const std::string& value) { grid_->SetEditText(col, row, value); }
std::string TInplaceEdit::GridGetEditMask(int col, int row) { return grid_->GetEditMask(col, row); }
int TInplaceEdit::GridGetEditLimit() { return grid_->GetEditLimit(); }
void TInplaceEdit::GridKeyDown(Word& key, TShiftState shift) { grid_->KeyDown(key, shift); }
void TInplaceEdit::GridDoKeyPress(char& key) { grid_->DoKeyPress(key); }

bool TInplaceEdit::EditCanModify() { return GridCanEditModify(); }

// ---- the grid's side ----

void TInplaceEdit::UpdateContents()
{
    const rtl::TCountScope counting(loading_);
    const int col = grid_->Col(), row = grid_->Row();
    SetText(std::string());
    SetEditMask(GridGetEditMask(col, row));
    SetText(GridGetEditText(col, row));
    SetMaxLength(GridGetEditLimit());
    SetModified(false);
}

void TInplaceEdit::ShowText(const std::string& text)
{
    const rtl::TCountScope counting(loading_);
    SetText(text);
}

void TInplaceEdit::UpdateLoc(const TRect& r)
{
    if (r.IsEmpty()) {
        // Scrolled away: the grid keeps the focus the edit had.
        if (Focused() && grid_->CanFocus()) grid_->SetFocus();
        Hide();
        return;
    }
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    Show();
    BoundsChanged();
}

void TInplaceEdit::Move(const TRect& r)
{
    UpdateLoc(r);
    Invalidate();
}

void TInplaceEdit::BoundsChanged() { SetTextRect({2, 2, Width() - 2, Height()}); }

// ---- keys and mouse ----

unsigned TInplaceEdit::DialogCode() const
{
    return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTTAB;
}

void TInplaceEdit::focusBesideGrid(bool next)
{
    const QWidget* window = grid_->window();
    QWidget* w = grid_;
    for (;;) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == grid_) return;
        if (grid_->isAncestorOf(w) || w->focusProxy() || !(w->focusPolicy() & Qt::TabFocus)) continue;
        if (w->window() != window || !w->isVisibleTo(window) || !w->isEnabled()) continue;
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift)
{
    const TShiftState mods = shift & (ssShift | ssCtrl | ssAlt);
    const bool ctrl = mods & ssCtrl;
    const bool forward = grid_->Options() & goAlwaysShowEditor;
    const int length = static_cast<int>(EditText().size());
    const int start = SelStart(), selected = SelLength();
    const bool atStart = start == 0 && (selected == 0 || selected == length);
    const bool atEnd = start + selected == length && (selected == 0 || start == 0);
    auto toGrid = [&] {
        GridKeyDown(key, shift);
        key = 0;
    };
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        toGrid();
        break;
    case VK_INSERT:
        if (mods == 0) toGrid();
        else if (mods == ssShift && !GridCanEditModify()) key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || atStart)) toGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || atEnd)) toGrid();
        break;
    case VK_F2:
        if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
        if (key == VK_F2) {
            Deselect();
            key = 0;
        }
        return;
    case VK_TAB:
        if (grid_->QueryDialogCode() & DLGC_WANTTAB) {
            if (!(mods & ssAlt)) toGrid();
        } else if (!(mods & (ssCtrl | ssAlt))) {
            focusBesideGrid(!(mods & ssShift));
            key = 0;
        }
        break;
    case VK_DELETE:
        if (ctrl) toGrid();
        else if (!GridCanEditModify()) key = 0;
        break;
    default:
        break;
    }
    if (key == 0) return;
    // The grid's OnKeyDown sees what is typed into its edit.
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
    if (key == 0) return;
    TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key)
{
    GridDoKeyPress(key);
    const auto ch = static_cast<unsigned char>(key);
    if (ch >= 32 && !GridCanEditAcceptKey(key)) {
        key = 0;
        MessageBeep();
        return;
    }
    if (key != 0) TypedCharacter(key);
    switch (static_cast<unsigned char>(key)) {
    case 0:
        return;
    case 9:
    case 27:
        key = 0;
        return;
    case 13:
        // The edit stays: Enter selects all, or drops a whole selection.
        if (SelStart() == 0 && SelLength() == static_cast<int>(EditText().size()))
            Deselect();
        else
            SelectAll();
        key = 0;
        return;
    case 10:
        // Ctrl+Enter: a line break in the multi-line box, nothing in a single line.
        if (WordWrap()) InsertTyped("\r");
        key = 0;
        return;
    default:
        break;
    }
    TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::DblClick() { grid_->DblClick(); }

bool TInplaceEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    return grid_->DoMouseWheel(shift, wheelDelta, mousePos);
}

void TInplaceEdit::Change()
{
    TCustomMaskEdit::Change();
    if (loading_ == 0 && !InternalTextChange()) grid_->UpdateText();
}

void TInplaceEdit::FocusIn(TControl* previous)
{
    TCustomMaskEdit::FocusIn(previous);
    grid_->CheckFocusState();
}

void TInplaceEdit::FocusOut(TControl* next)
{
    TCustomMaskEdit::FocusOut(next);
    grid_->CheckFocusState();
}

} // namespace ui
