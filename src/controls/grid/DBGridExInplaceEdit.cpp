// The cell editor: its refresh from the column, its keys, typing into list columns,
// pasting, stepping values and its focus.
#include "controls/grid/DBGridExInplaceEdit.h"

#include <algorithm>

#include <QLineEdit>
#include <QPointer>

#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ItemSearch.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/DBLookupGridsEx.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/InputState.h"

namespace grid {

namespace {

// The grid's shortcut that copies the value from the record above: Ctrl with the quote key.
constexpr ui::Word VK_QUOTE = 222;

ui::TShiftState Modifiers(ui::TShiftState shift) { return shift & (ui::ssShift | ui::ssCtrl | ui::ssAlt); }

} // namespace

TDBGridInplaceEdit::TDBGridInplaceEdit(TCustomDBGridEx& grid) : ui::TInplaceEdit(&grid), grid_(grid)
{
    // The text box keeps its I-beam; the buttons and the image beside it show the arrow.
    QWidget::setCursor(Qt::ArrowCursor);
    EditWindow()->setCursor(Qt::IBeamCursor);
}

TDBGridInplaceEdit::~TDBGridInplaceEdit()
{
    // The drop-downs are freed with the editor; they must not call back into it meanwhile.
    if (pickList_) {
        pickList_->OnMouseUp = nullptr;
        pickList_->OnGetItemImageIndex = nullptr;
    }
    if (mruListBox_) {
        mruListBox_->OnMouseUp = nullptr;
        mruListBox_->SizeGrip()->OnParentResized = nullptr;
    }
}

TColumnEx* TDBGridInplaceEdit::Column() const
{
    const int index = grid_.SelectedIndex();
    if (index < 0 || index >= grid_.Columns().Count()) return nullptr;
    return grid_.Columns().Items(index);
}

// ---- refresh ----

void TDBGridInplaceEdit::UpdateContents()
{
    readOnlySetByCellParams_ = false;
    // The cell under an open drop-down changed: it closes without taking anything.
    if (listVisible_) CloseUp(false);
    if (MRUListDropped()) CloseUpMRUList(false);
    TColumnEx* column = Column();
    editStyle_ = column ? column->GetColumnEditStyle() : cesNoneEx;
    dropDown_ = nullptr;
    if (editStyle_ != cesDataListEx) lookupGrid_ = nullptr;
    switch (editStyle_) {
    case cesPickListEx:
        dropDown_ = pickList();
        break;
    case cesDateEx:
        dropDown_ = calendar();
        break;
    case cesDropDownEx:
        if (dynamic_cast<const db::TNumericField*>(column->Field())) dropDown_ = calculator();
        break;
    case cesDataListEx:
        if (TPopupDataGridEx* grid = column->PopupLookupGrid(); grid && grid != lookupGrid_) {
            QObject::disconnect(lookupGridWatch_);
            lookupGridWatch_ = QObject::connect(grid, &QObject::destroyed, this, [this] { lookupGridDestroyed(); });
            lookupGrid_ = grid;
        }
        dropDown_ = lookupGrid_.data();
        break;
    default:
        break;
    }
    SetReadOnly(column && column->GetReadOnly());
    if (column) {
        SetFont(column->GetFont());
        SetColor(column->GetColor());
    }
    SetWordWrap(column && column->GetWordWrap() && grid_.RowsCanWrap());
    // Mask, text (the cell hook may decide the read-only state there) and length limit.
    ui::TInplaceEdit::UpdateContents();
    UpdateImageIndex();
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

void TDBGridInplaceEdit::UpdateImageIndex()
{
    const TColumnEx* column = Column();
    int index = -1;
    if (column && column->GetImageList() && column->GetShowImageAndText()) {
        const db::TField* field = column->Field();
        index = column->PickListCount() > 0 ? const_cast<TColumnEx*>(column)->GetPickList().IndexOf(Text()) : -1;
        if (index < 0 && field && !field->IsNull() && IsIntegerField(*field)) index = field->GetAsInteger();
        if (index < 0) index = column->GetNotInKeyListIndex();
    }
    if (index == imageIndex_) return;
    imageIndex_ = index;
    Invalidate();
}

// ---- list columns ----

bool TDBGridInplaceEdit::keyPickList(const TColumnEx& column) const { return column.GetColumnKind() == ckKeyPickList; }

bool TDBGridInplaceEdit::lookupColumn(const TColumnEx& column) const
{
    return column.GetColumnKind() == ckLookupField;
}

int TDBGridInplaceEdit::pickListCount(const TColumnEx& column) const
{
    return column.KeyListCount() > 0 ? std::min(column.PickListCount(), column.KeyListCount())
                                     : column.PickListCount();
}

void TDBGridInplaceEdit::setOwnText(const std::string& text)
{
    const rtl::TCountScope counting(ownText_);
    SetText(text);
    // Also when the text was shown already (a line moved to in the open list).
    grid_.UpdateText();
}

void TDBGridInplaceEdit::showFoundText(const std::string& text, int typed, const rtl::Variant& key)
{
    setOwnText(text);
    editors::SelectCompletedPart(*this, typed);
    grid_.SetEditKeyValue(key, text);
    UpdateImageIndex();
    if (!listVisible_) return;
    if (dropDown_ == pickList_)
        pickList_->SetItemIndex(editors::FindItemText(pickList_->Items(), pickList_->Count(), text, false));
    else if (lookupGrid_ && dropDown_ == lookupGrid_)
        lookupGrid_->SetKeyValue(key);
}

std::string TDBGridInplaceEdit::GetTextWithoutSelection() const
{
    std::string text = EditText();
    const auto start = std::min<std::size_t>(static_cast<std::size_t>(std::max(0, SelStart())), text.size());
    text.erase(start, static_cast<std::size_t>(SelLength()));
    return text;
}

// ---- keys ----

void TDBGridInplaceEdit::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    const ui::TShiftState mods = Modifiers(shift);
    if (listStyle()) {
        // Enter and Esc close an open list (the calculator takes them itself).
        if ((key == ui::VK_RETURN || key == ui::VK_ESCAPE) && listVisible_ && dropDown_ != calculator_
            && !(mods & ui::ssAlt)) {
            const bool accept = key == ui::VK_RETURN;
            key = 0;
            CloseUp(accept);
            return;
        }
        if (key == ui::VK_RETURN && mods == ui::ssCtrl && !listVisible_) {
            key = 0;
            DropDown();
            return;
        }
        if ((key == ui::VK_UP || key == ui::VK_DOWN) && (mods & ui::ssAlt)) {
            key = 0;
            if (listVisible_) CloseUp(true);
            else DropDown();
            return;
        }
        if (routeListKey(key, shift)) return;
    }
    if (routeMRUKey(key, shift)) return;
    if (TColumnEx* column = Column()) {
        if ((key == ui::VK_DELETE || key == ui::VK_BACK) && mods == 0 && deleteInListColumn(key)) {
            key = 0;
            return;
        }
        const bool enterAsTab = key == ui::VK_RETURN && !(mods & (ui::ssCtrl | ui::ssAlt))
                                && grid_.GetOptionsEx().Contains(dghEnterAsTab);
        const bool find = key == 'F' && mods == ui::ssCtrl
                          && (grid_.GetOptionsEx().Contains(dghIncSearch) || grid_.GetOptionsEx().Contains(dghDialogFind));
        if (enterAsTab || find || (key == VK_QUOTE && mods == ui::ssCtrl)) {
            GridKeyDown(key, shift);
            key = 0;
            return;
        }
        if (editStyle_ == cesDataListEx && column->DropDownSpecRow()->GetVisible()
            && ui::ShortCut(key, shift) == column->DropDownSpecRow()->GetShortCut()) {
            key = 0;
            applySpecRow(*column);
            return;
        }
        if (runButtonShortCut(key, shift)) {
            key = 0;
            return;
        }
        // In a wrapped text with the editor always shown, Up and Down move between its
        // lines; the grid gets them at the first and last line and at the end of the text.
        if ((key == ui::VK_UP || key == ui::VK_DOWN) && WordWrap() && (grid_.GetOptions().Contains(dgAlwaysShowEditor))) {
            const bool atEnd = SelStart() + SelLength() >= static_cast<int>(EditText().size());
            const bool edgeLine = key == ui::VK_UP ? CaretLine() == 0 : CaretLine() >= LineCount() - 1;
            if (!edgeLine && !atEnd) {
                if (grid_.OnKeyDown) grid_.OnKeyDown(&grid_, key, shift);
                if (key != 0) ui::TCustomMaskEdit::KeyDown(key, shift);
                return;
            }
        }
    }
    ui::TInplaceEdit::KeyDown(key, shift);
}

bool TDBGridInplaceEdit::deleteInListColumn(ui::Word key)
{
    TColumnEx& column = *Column();
    const bool lookup = lookupColumn(column);
    if (!lookup && !keyPickList(column)) return false;
    const bool notInList = static_cast<bool>(column.OnNotInList);
    const std::string text = EditText();
    const int start = SelStart();
    const int selected = SelLength();
    std::string rest;
    int caret = start;
    if (key == ui::VK_DELETE) {
        if (!column.CanModify(false)) return false;
        if (selected == 0 && start == static_cast<int>(text.size())) {
            if (editStyle_ == cesDataListEx) {
                if (!column.CanModify(true)) return true;
                db::TField* field = column.Field();
                editors::AssignFieldsValue(*field->DataSet(), field->GetKeyFields(), rtl::Null());
                grid_.DataLink().Modified();
                showFoundText(std::string(), 0, rtl::Null());
                return true;
            }
            if (!lookup && editStyle_ == cesPickListEx) {
                if (column.CanModify(true)) setOwnText(std::string());
                return true;
            }
        }
        if (!notInList || !column.CanModify(true)) return true;
        rest = GetTextWithoutSelection();
        // With nothing selected Delete takes the character after the caret, as Backspace
        // takes the one before it.
        if (selected == 0) rest.erase(static_cast<std::size_t>(start), 1);
    } else {
        if (!notInList) {
            SetSelStart(std::max(0, start - 1));
            return true;
        }
        // Nothing stands before a selection at the start.
        if (start == 0 || !column.CanModify(true)) return true;
        rest = text;
        rest.erase(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(selected + 1));
        caret = start - 1;
    }
    setOwnText(rest);
    SetSelStart(caret);
    UpdateGridEditValue();
    // An open list follows.
    if (lookupGrid_ && listVisible_) lookupGrid_->SetKeyValue(grid_.EditKeyValue());
    else if (pickList_) pickList_->SetItemIndex(pickList_->Items().IndexOf(grid_.CurrentEditText()));
    return true;
}

bool TDBGridInplaceEdit::runButtonShortCut(ui::Word key, ui::TShiftState shift)
{
    const TColumnEx* column = Column();
    if (!column) return false;
    const ui::TShortCut shortCut = ui::ShortCut(key, shift);
    editors::TEditButtonsEx* buttons = column->EditButtons();
    for (int i = 0; i < buttons->GetCount(); ++i) {
        if (buttons->Items(i)->GetShortCut() != shortCut) continue;
        const int pair = i + 1;
        if (pair < ButtonControlCount()) EditButtonControl(pair)->Click();
        return true;
    }
    return false;
}

void TDBGridInplaceEdit::KeyPress(char& key)
{
    if (listStyle() && static_cast<unsigned char>(key) >= 32) {
        const TColumnEx* column = Column();
        if (!listVisible_ && column && column->GetAutoDropDown()) DropDown();
        if (listVisible_ && dropDown_ == calculator_) {
            calculator_->CalcKey(key);
            key = 0;
            return;
        }
    }
    ui::TInplaceEdit::KeyPress(key);
}

void TDBGridInplaceEdit::TypedCharacter(char& key) { TypeAhead(key); }

void TDBGridInplaceEdit::TypeAhead(char& Key)
{
    if (static_cast<unsigned char>(Key) < 32 && Key != '\b') return;
    TColumnEx* column = Column();
    if (!column) return;
    if (editStyle_ == cesDataListEx) typeAheadLookup(*column, Key);
    else if (editStyle_ == cesPickListEx || keyPickList(*column)) typeAheadPickList(*column, Key);
}

bool TDBGridInplaceEdit::typeAheadPickList(TColumnEx& column, char& key)
{
    const bool keyed = keyPickList(column);
    const std::string typed = EditText().substr(0, static_cast<std::size_t>(std::max(0, SelStart()))) + key;
    if (!EditCanModify()) return false;
    if (key == '\b') {
        if (keyed) key = 0;
        return keyed;
    }
    if (showListLine(column, typed)) {
        key = 0;
        return true;
    }
    if (!keyed) return false;
    key = 0;
    if (column.OnNotInList) showFoundText(typed, static_cast<int>(typed.size()), rtl::Null());
    return true;
}

bool TDBGridInplaceEdit::typeAheadLookup(TColumnEx& column, char& key)
{
    db::TDataSet* list = column.LookupListDataSet();
    const db::TField* field = column.Field();
    if (!list || !field || !list->GetActive()) return false;
    const std::string typed = EditText().substr(0, static_cast<std::size_t>(std::max(0, SelStart()))) + key;
    if (!EditCanModify()) return false;
    key = 0;
    if (typed.back() == '\b') return true;
    if (!showListLine(column, typed) && column.OnNotInList)
        showFoundText(typed, static_cast<int>(typed.size()), rtl::Null());
    return true;
}

bool TDBGridInplaceEdit::showListLine(TColumnEx& column, const std::string& text)
{
    const int typed = static_cast<int>(text.size());
    if (editStyle_ != cesDataListEx) {
        const int index = editors::FindItemText(column.GetPickList(), pickListCount(column), text, true);
        if (index < 0) return false;
        showFoundText(column.GetPickList()[index], typed, rtl::Null());
        return true;
    }
    db::TDataSet* list = column.LookupListDataSet();
    const db::TField* field = column.Field();
    if (!list || !field || !list->GetActive()
        || !list->Locate(field->GetLookupResultField(), rtl::Variant(text), db::loCaseInsensitive | db::loPartialKey))
        return false;
    showFoundText(list->FieldByName(field->GetLookupResultField())->GetText(), typed,
                  list->GetFieldValues(field->GetLookupKeyFields()));
    return true;
}

bool TDBGridInplaceEdit::matchListText(TColumnEx& column, const std::string& text)
{
    if (!EditCanModify()) return false;
    if (showListLine(column, text)) return true;
    if (!column.OnNotInList) return false;
    showFoundText(text, static_cast<int>(text.size()), rtl::Null());
    return true;
}

void TDBGridInplaceEdit::PasteFromClipboard()
{
    TColumnEx* column = Column();
    const bool matched = column && (editStyle_ == cesDataListEx || keyPickList(*column)) && column->CanModify(false);
    if (!matched) {
        ui::TInplaceEdit::PasteFromClipboard();
        return;
    }
    // The pasted text (its first line) goes in for the selection and is matched as typed.
    std::string pasted = ui::Clipboard().AsText();
    if (const auto eol = pasted.find_first_of("\r\n"); eol != std::string::npos) pasted.resize(eol);
    const std::string text = EditText().substr(0, static_cast<std::size_t>(std::max(0, SelStart()))) + pasted;
    matchListText(*column, text);
}

void TDBGridInplaceEdit::applySpecRow(TColumnEx& column)
{
    if (!column.CanModify(true)) return;
    const editors::TSpecRowEx& specRow = *column.DropDownSpecRow();
    showFoundText(specRow.CellText(column.LookupResultIndex()), 0, specRow.GetValue());
    SelectAll();
}

// ---- stepping ----

void TDBGridInplaceEdit::EditButtonClick(bool BottomButton)
{
    TColumnEx* column = Column();
    if (editStyle_ == cesUpDownEx) {
        if (!column) return;
        double step = BottomButton ? -column->GetIncrement() : column->GetIncrement();
        // The lower button goes to the next line of a list.
        if (column->GetColumnKind() != ckText) step = -step;
        stepValue(step);
        return;
    }
    if (closing_ || listVisible_) return;
    DropDown();
    openedByButton_ = listVisible_;
}

void TDBGridInplaceEdit::stepValue(double Increment)
{
    TColumnEx* column = Column();
    if (!column) return;
    if (column->CanModify(true) && EditText() != grid_.editorTextOf(*column)) {
        GridSetEditText(grid_.Col(), grid_.Row(), Text());
        grid_.UpdateEditorData();
    }
    column->SetNextFieldValue(Increment);
    if (Focused()) SelectAll();
}

void TDBGridInplaceEdit::DblClick()
{
    TColumnEx* column = Column();
    if (column && column->GetDblClickNextVal()) {
        QPointer<TDBGridInplaceEdit> self(this);
        stepValue((ui::KeyboardShiftState() & ui::ssShift) ? -1.0 : 1.0);
        if (!self) return;
    }
    ui::TInplaceEdit::DblClick();
}

// ---- mouse, text changes, focus ----

bool TDBGridInplaceEdit::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos)
{
    // The wheel does nothing while a list is open.
    if (listVisible_) return true;
    if (MRUListDropped() && mruListBox_->MouseWheelFromOwner(shift, wheelDelta, mousePos)) return true;
    return ui::TInplaceEdit::DoMouseWheel(shift, wheelDelta, mousePos);
}

void TDBGridInplaceEdit::Change()
{
    ui::TInplaceEdit::Change();
    if (Loading() || InternalTextChange()) return;
    UpdateImageIndex();
    if (ownText_ == 0) updateMRUList();
}

bool TDBGridInplaceEdit::ownsControl(const ui::TControl* control) const
{
    for (const ui::TControl* c = control; c; c = c->Parent())
        if (c == this || (dropDown_ && c == dropDown_) || (mruListBox_ && c == mruListBox_)) return true;
    return false;
}

void TDBGridInplaceEdit::FocusOut(ui::TControl* next)
{
    const bool toDropDown = dropDown_ && next && (next == dropDown_ || dropDown_->isAncestorOf(next));
    if (listVisible_ && !toDropDown) CloseUp(false);
    else if (MRUListDropped() && next != mruListBox_) CloseUpMRUList(false);
    ui::TInplaceEdit::FocusOut(next);
}

void TDBGridInplaceEdit::CancelMode(ui::TControl* sender)
{
    ui::TInplaceEdit::CancelMode(sender);
    if (!sender || ownsControl(sender)) return;
    if (listVisible_) CloseUp(false);
    if (MRUListDropped()) CloseUpMRUList(false);
}

void TDBGridInplaceEdit::VisibleChanged()
{
    ui::TInplaceEdit::VisibleChanged();
    if (Visible()) return;
    // The grid left edit mode: nothing that was open below the cell is taken.
    if (listVisible_) CloseUp(false);
    if (MRUListDropped()) CloseUpMRUList(false);
}

void TDBGridInplaceEdit::WndProc(ui::TMessage& message)
{
    // The marker of a button's menu only waits in the queue (see EditButtonDown).
    if (message.Msg == editors::CM_BUTTONMENUMARKER) return;
    ui::TInplaceEdit::WndProc(message);
}

} // namespace grid
