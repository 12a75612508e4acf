#include "controls/editors/DBComboBoxEx.h"

#include <algorithm>

#include <QLineEdit>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/ItemSearch.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Popup.h"

namespace editors {

TCustomDBComboBoxEx::TCustomDBComboBoxEx(ui::TControl* parent) : TCustomDBEditEx(parent)
{
    items_.OnChange = rtl::TNotifyEvent(this, &TCustomDBComboBoxEx::itemsChanged);
    keyItems_.OnChange = rtl::TNotifyEvent(this, &TCustomDBComboBoxEx::keyItemsChanged);
    CreateParts();
}

TCustomDBComboBoxEx::~TCustomDBComboBoxEx()
{
    items_.OnChange = nullptr;
    keyItems_.OnChange = nullptr;
    if (listBox_) {
        listBox_->OnMouseUp = nullptr;
        listBox_->OnGetItemImageIndex = nullptr;
    }
}

TEditButtonEx* TCustomDBComboBoxEx::CreateEditButton() { return new TVisibleEditButtonEx(this); }

// ---- modes and items ----

void TCustomDBComboBoxEx::updateMode()
{
    itemCount_ = items_.GetCount();
    keyed_ = keyItems_.GetCount() > 0;
    if (keyed_) {
        itemCount_ = std::min(itemCount_, keyItems_.GetCount());
        itemIndex_ = -1;
        TCustomDBEditEx::SetEditText(std::string());
    }
    // A keyed text is only picked: the box shows no I-beam.
    EditWindow()->setCursor(keyed_ ? Qt::ArrowCursor : Qt::IBeamCursor);
    UpdateReadOnlyState();
}

void TCustomDBComboBoxEx::itemsChanged(rtl::TObject*)
{
    // Showing the key's new item is no change of the user's to write.
    const bool modified = DataLink()->GetModified();
    updateMode();
    // The key stays; its item may now stand elsewhere (or be gone).
    if (keyed_) InternalSetValue(keyValue_);
    else itemIndexFromText();
    ResetMaxLength();
    DataLink()->SetModified(modified);
}

void TCustomDBComboBoxEx::keyItemsChanged(rtl::TObject*)
{
    updateMode();
    itemIndexFromText();
    ResetMaxLength();
    // The value is read anew: nothing is left to write.
    DataChanged();
    DataLink()->SetModified(false);
    UpdateEditButtonControls();
}

void TCustomDBComboBoxEx::showItem(int index)
{
    const rtl::TFlagScope flagged(showingItem_);
    itemIndex_ = index;
    if (keyed_) keyValue_ = index >= 0 ? rtl::Variant(keyItems_.StringAt(index)) : rtl::Null();
    UpdateImageIndex();
    if (listVisible_) listBox_->SetItemIndex(index);
    TCustomDBEditEx::SetEditText(index >= 0 ? items_.StringAt(index) : std::string());
}

void TCustomDBComboBoxEx::selectInternal(int index)
{
    if (index == itemIndex_) return;
    // An index outside the items selects none: no item, and in keyed mode no key (a key
    // given before that names no item is dropped, not posted).
    if (index < 0 || index >= itemCount_) index = -1;
    showItem(index);
}

void TCustomDBComboBoxEx::itemIndexFromText()
{
    if (keyed_ || showingItem_) return;
    itemIndex_ = items_.IndexOf(Text());
    if (listVisible_) listBox_->SetItemIndex(itemIndex_);
    UpdateImageIndex();
}

void TCustomDBComboBoxEx::SetItemIndex(int Index)
{
    if (!DataLink()->PrepareWrite(HasState(rtl::csDesigning))) return;
    selectInternal(Index);
    if (!InUpdateData()) UpdateData();
}

void TCustomDBComboBoxEx::Clear()
{
    if (keyed_) SetValue(rtl::Null());
    else TCustomDBEditEx::SetEditText(std::string());
}

void TCustomDBComboBoxEx::selectNeighbour(bool previous)
{
    int index = itemIndex_;
    if (previous) index = index < 0 ? itemCount_ - 1 : std::max(0, index - 1);
    else if (index + 1 < itemCount_) ++index;
    if (index == itemIndex_) return;
    SetItemIndex(index);
    SelectAll();
}

// ---- value and text ----

ui::TAlignment TCustomDBComboBoxEx::DefaultAlignment() const
{
    return keyed_ ? ui::taLeftJustify : TCustomDBEditEx::DefaultAlignment();
}

rtl::Variant TCustomDBComboBoxEx::GetVariantValue() const
{
    return keyed_ ? keyValue_ : TCustomDBEditEx::GetVariantValue();
}

// Keyed, every key goes to the search.
bool TCustomDBComboBoxEx::IsValidChar(char Key) const { return keyed_ || TCustomDBEditEx::IsValidChar(Key); }

void TCustomDBComboBoxEx::SetEditText(const std::string& Text)
{
    if (!keyed_) {
        TCustomDBEditEx::SetEditText(Text);
        itemIndexFromText();
        return;
    }
    // A text that is no usable item changes nothing.
    const int index = items_.IndexOf(Text);
    if (index >= 0 && index < itemCount_) showItem(index);
}

void TCustomDBComboBoxEx::InternalSetValue(const rtl::Variant& Value)
{
    if (!keyed_) {
        TCustomDBEditEx::InternalSetValue(Value);
        itemIndexFromText();
        return;
    }
    int index = -1;
    if (!Value.IsNull() && !Value.IsArray()) {
        index = keyItems_.IndexOf(rtl::VarToStr(Value));
        if (index >= itemCount_) index = -1;
    }
    showItem(index);
    // An unknown key is kept as it was given.
    keyValue_ = Value;
}

void TCustomDBComboBoxEx::DataChanged()
{
    UpdateEditWindowAlignment();
    if (!EditMaskAssigned()) ui::TCustomMaskEdit::SetEditMask(DefaultEditMask());
    db::TField* field = DataLink()->Field();
    if (field) {
        if (field->GetAlignment() != GetAlignment()) Invalidate();
        if (!HasState(rtl::csDesigning) && !keyed_ && MaxLength() == 0 && dynamic_cast<db::TStringField*>(field))
            SetMaxLength(field->GetSize());
        if (!keyed_ && !(FocusedFlag() && DataLink()->CanModify())) SetEditText(field->DisplayText());
        // A Null field has no key (its edit text would read as the key "").
        else InternalSetValue(field->IsNull() ? rtl::Null() : rtl::Variant(field->GetText()));
    } else {
        InternalSetValue(DataIndependent() ? DataLink()->GetKeptValue() : rtl::Null());
    }
    UpdateReadOnlyState();
    SetModified(false);
}

void TCustomDBComboBoxEx::PostTextToField()
{
    if (!keyed_) {
        TCustomDBEditEx::PostTextToField();
        return;
    }
    // No key writes Null, not a text.
    if (rtl::VarIsClear(keyValue_)) DataLink()->SetValue(rtl::Null());
    else DataLink()->SetText(rtl::VarToStr(keyValue_));
}

void TCustomDBComboBoxEx::UpdateData()
{
    if (OnNotInList && itemIndex_ < 0) {
        bool recheck = false;
        OnNotInList(this, Text(), recheck);
    }
    TCustomDBEditEx::UpdateData();
}

std::string TCustomDBComboBoxEx::GetDisplayText() const
{
    if (HasState(rtl::csDesigning) && !DataLink()->Active()) return GetName();
    const db::TField* field = DataLink()->Field();
    if (!field) return EditText();
    if (!keyed_) return ApplyCase(field->DisplayText());
    const int index = keyItems_.IndexOf(field->GetText());
    return ApplyCase(index >= 0 && index < itemCount_ ? items_.StringAt(index) : std::string());
}

void TCustomDBComboBoxEx::ResetMaxLength()
{
    if (!keyed_) TCustomDBEditEx::ResetMaxLength();
    else if (MaxLength() > 0) SetMaxLength(0);
}

void TCustomDBComboBoxEx::UpdateReadOnlyState()
{
    if (keyed_) SetEditReadOnly(true);
    else TCustomDBEditEx::UpdateReadOnlyState();
}

void TCustomDBComboBoxEx::UpdateImageIndex()
{
    imageIndex_ = itemIndex_;
    if (OnGetItemImageIndex) OnGetItemImageIndex(this, itemIndex_, imageIndex_);
    TCustomDBEditEx::UpdateImageIndex();
}

void TCustomDBComboBoxEx::Change()
{
    if (!InternalTextChange()) itemIndexFromText();
    TCustomDBEditEx::Change();
}

// ---- searching ----

bool TCustomDBComboBoxEx::LocateText(const std::string& S, bool Partial)
{
    if (!EditCanModify()) return false;
    const int before = itemIndex_;
    const int index = FindItemText(items_, itemCount_, S, Partial);
    if (index < 0) {
        if (!keyed_) selectInternal(-1);
        return itemIndex_ != before;
    }
    selectInternal(index);
    SelectCompletedPart(*this, static_cast<int>(S.size()));
    return itemIndex_ != before;
}

bool TCustomDBComboBoxEx::ProcessSearchKey(const std::string& Keys)
{
    if (!DataIndependent() && !DataLink()->Field()) return false;
    if (!EditCanModify()) return false;
    return SearchTypedKeys(*this, Keys, [this](const std::string& s, bool partial) { return LocateText(s, partial); });
}

// ---- keys ----

void TCustomDBComboBoxEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    if (listVisible_ && IsDropDownListKey(key, shift)) {
        // Ctrl+Home and Ctrl+End go to the first and the last item, as Home and End do there.
        ui::TShiftState listShift = shift;
        if (key == ui::VK_HOME || key == ui::VK_END) listShift &= ~static_cast<ui::TShiftState>(ui::ssCtrl);
        listBox_->KeyDownFromOwner(key, listShift);
        key = 0;
        return;
    }
    TCustomDBEditEx::KeyDown(key, shift);
    if (key == 0) return;
    if (key == ui::VK_UP || key == ui::VK_DOWN) {
        const bool allSelected = SelLength() == static_cast<int>(Text().size());
        if ((WordWrap() && !allSelected) || listVisible_ || ReadOnly() || !EditCanModify()) return;
        selectNeighbour(key == ui::VK_UP);
        key = 0;
        return;
    }
    if (key == ui::VK_DELETE && keyed_ && !ReadOnly() && EditCanModify()) {
        const db::TField* field = DataLink()->Field();
        if (DataIndependent() || (field && !field->GetRequired())) SetValue(rtl::Null());
        key = 0;
    }
}

void TCustomDBComboBoxEx::KeyPress(char& key)
{
    if (listVisible_ && (key == '\r' || key == ui::VK_ESCAPE)) {
        const bool accept = key == '\r';
        key = 0;
        CloseUp(accept);
        return;
    }
    TCustomDBEditEx::KeyPress(key);
    if (key == 0) return;
    const auto ch = static_cast<unsigned char>(key);
    if (ch == ui::VK_BACK) {
        if (keyed_) {
            if (!ReadOnly()) ProcessSearchKey("\b");
            key = 0;
        } else if (!IsMasked()) {
            // Typed here, so that the free text is located again afterwards.
            key = 0;
            InsertTyped("\b");
        }
        return;
    }
    if (ch < 32) return;
    if (dropDownBox_.GetAutoDrop() && !listVisible_) DropDown();
    if (keyed_) {
        if (!ReadOnly()) ProcessSearchKey(std::string(1, key));
        key = 0;
    }
}

void TCustomDBComboBoxEx::InsertTyped(const std::string& text)
{
    const std::string before = Text();
    TCustomDBEditEx::InsertTyped(text);
    // One character typed into free text (not the decimal point): completion.
    if (keyed_ || text.size() != 1 || text == "." || Text() == before) return;
    CompleteTypedText(
        *this, text == "\b", [this](const std::string& keys) { return ProcessSearchKey(keys); },
        [this](const std::string& s, bool partial) { return LocateText(s, partial); });
}

void TCustomDBComboBoxEx::PasteFromClipboard()
{
    if (!keyed_) {
        TCustomDBEditEx::PasteFromClipboard();
        return;
    }
    // A pasted text searches the items as typed keys do (its first line only).
    DataLink()->Edit();
    if (ReadOnly()) return;
    std::string text = ui::Clipboard().AsText();
    if (const auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
    if (!text.empty()) ProcessSearchKey(text);
}

bool TCustomDBComboBoxEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if ((key == ui::VK_RETURN || key == ui::VK_ESCAPE) && listVisible_) return true;
    return TCustomDBEditEx::WantSpecialKey(key, shift);
}

// ---- buttons, mouse and wheel ----

void TCustomDBComboBoxEx::EditButtonDefaultAction(bool TopButton)
{
    if (GetEditButton()->GetStyle() != ebsUpDownEx) {
        TCustomDBEditEx::EditButtonDefaultAction(TopButton);
        return;
    }
    if (EditCanModify()) selectNeighbour(TopButton);
}

void TCustomDBComboBoxEx::EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y)
{
    TCustomDBEditEx::EditButtonMouseMove(Sender, Shift, X, Y);
    if (!listVisible_ || !(Shift & ui::ssLeft) || ButtonControlCount() == 0 || Sender != EditButtonControl(0)) return;
    TEditButtonControlEx* button = EditButtonControl(0);
    const ui::TPoint screen = button->ClientToScreen({X, Y});
    const ui::TPoint inList = listBox_->ScreenToClient(screen);
    if (!listBox_->ClientRect().Contains(inList)) return;
    PassButtonPressTo(button, listBox_, screen);
}

void TCustomDBComboBoxEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomDBEditEx::MouseDown(button, shift, x, y);
    // Keyed, a click on the text opens the list and the next one closes it.
    if (!keyed_ || button != ui::mbLeft || (shift & ui::ssDouble) || !GetEditRect().Contains({x, y})) return;
    const ui::TPoint at = ClientToScreen({x, y});
    const unsigned long time = ui::GetMessageTime();
    if (listVisible_) {
        // The press that makes a double click of the one that opened the list is no new click.
        const auto interval = static_cast<std::int64_t>(time) - static_cast<std::int64_t>(openingPressTime_);
        if (!(openedByText_ && IsDoubleClick(openingPress_, at, interval))) CloseUp(false);
        return;
    }
    if (CanFocus() && !Focused()) SetFocus();
    DropDown();
    openedByText_ = listVisible_;
    openingPress_ = at;
    openingPressTime_ = time;
}

bool TCustomDBComboBoxEx::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos)
{
    if (listVisible_ && listBox_->MouseWheelFromOwner(shift, wheelDelta, mousePos)) return true;
    return TCustomDBEditEx::DoMouseWheel(shift, wheelDelta, mousePos);
}

bool TCustomDBComboBoxEx::wheelSelect(bool previous, ui::TShiftState shift)
{
    // Qt turns the wheel of the control under the pointer; only the one being edited steps.
    if ((shift & (ui::ssShift | ui::ssCtrl | ui::ssAlt)) || !Focused() || ReadOnly() || !DataLink()->Edit())
        return false;
    selectNeighbour(previous);
    return true;
}

bool TCustomDBComboBoxEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos)
{
    return TCustomDBEditEx::DoMouseWheelDown(shift, mousePos) || wheelSelect(false, shift);
}

bool TCustomDBComboBoxEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos)
{
    return TCustomDBEditEx::DoMouseWheelUp(shift, mousePos) || wheelSelect(true, shift);
}

// ---- the drop-down list ----

TPopupListboxEx* TCustomDBComboBoxEx::listBox()
{
    if (listBox_) return listBox_;
    listBox_ = new TPopupListboxEx(this);
    listBox_->Hide();
    listBox_->OnMouseUp = ui::TMouseEvent(this, &TCustomDBComboBoxEx::listMouseUp);
    return listBox_;
}

int TCustomDBComboBoxEx::dropDownWidth(int rows) const
{
    const int wanted = dropDownBox_.GetWidth();
    int width = Width();
    if (wanted > 0) {
        width = wanted;
    } else if (wanted == -1) {
        width = listBox_->WidthForItems(rows);
    }
    return std::max(width, Width());
}

void TCustomDBComboBoxEx::DropDown()
{
    if (listVisible_) return;
    TCustomDBEditEx::DropDown();
    if (OnDropDown) OnDropDown(this);
    TPopupListboxEx* box = listBox();
    box->SetColor(Color());
    box->Font().Assign(Font());
    // A window takes no parent's mode: the list reads as the editor does.
    box->SetBiDiMode(BiDiMode());
    ui::TCustomImageList* images = GetImages();
    box->SetImageList(images);
    box->OnGetItemImageIndex = OnGetItemImageIndex;
    int itemHeight = box->GetTextHeight();
    if (images && GetEditImage()->GetUseImageHeight()) itemHeight = std::max(itemHeight, images->Height());
    box->SetItemHeight(itemHeight);
    // Only the items that can be chosen are offered.
    box->Items().BeginUpdate();
    box->Items().Clear();
    for (int i = 0; i < itemCount_; ++i) box->Items().Add(items_.StringAt(i));
    box->Items().EndUpdate();
    box->SetItemIndex(itemIndex_);
    const int rows = std::min(dropDownBox_.GetRows(), itemCount_);
    box->SetBounds(box->Left(), box->Top(), dropDownWidth(rows), box->Height());
    box->SetRows(rows);
    const ui::TPoint at = AlignDropDownWindow(this, box, dropDownBox_.GetAlign());
    box->SetBounds(at.X, at.Y, box->Width(), box->Height());
    ui::ShowPopupNoActivate(box);
    box->SizeGrip()->SetGripVisible(dropDownBox_.GetSizable());
    listVisible_ = true;
    SetDroppedDown(true);
    box->SetSized(false);
}

void TCustomDBComboBoxEx::CloseUp(bool Accept)
{
    if (!listVisible_) return;
    TPopupListboxEx* box = listBox_;
    if (box->MouseCapture()) box->SetMouseCapture(false);
    box->Hide();
    if (box->Sized()) {
        dropDownBox_.SetRows(box->RowCount());
        dropDownBox_.SetWidth(box->Width());
    }
    listVisible_ = false;
    openedByText_ = false;
    SetDroppedDown(false);
    TCustomDBEditEx::CloseUp(Accept);
    if (Accept && !ReadOnly() && DataLink()->Edit()) {
        selectInternal(box->ItemIndex());
        if (Focused()) SelectAll();
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEx::listMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y)
{
    if (button != ui::mbLeft) return;
    if (listBox_->MouseCapture()) listBox_->SetMouseCapture(false);
    if (listBox_->ClientRect().Contains({x, y})) CloseUp(true);
}

void TCustomDBComboBoxEx::FocusOut(ui::TControl* next)
{
    if (listVisible_ && next != listBox_) CloseUp(false);
    TCustomDBEditEx::FocusOut(next);
}

void TCustomDBComboBoxEx::CancelMode(ui::TControl* sender)
{
    TCustomDBEditEx::CancelMode(sender);
    if (!listVisible_ || !sender) return;
    const bool ours = sender == this || isAncestorOf(sender) || sender == listBox_ || listBox_->isAncestorOf(sender);
    if (!ours) CloseUp(false);
}

} // namespace editors
