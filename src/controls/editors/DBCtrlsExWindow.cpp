// The window side of the edit base: keys, edit buttons and their layout, the text area,
// painting, height, edit image, hot look, the recently-used drop-down, focus and the
// in-place mode.
#include <QApplication>
#include <QMenu>
#include <QPointer>

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/DBCtrlsEx.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"

namespace editors {

namespace {

// Whether control is inside (or is) container.
bool IsInside(const ui::TControl* control, const ui::TControl* container)
{
    for (const ui::TControl* c = control; c; c = c->Parent())
        if (c == container) return true;
    return false;
}

} // namespace

// ---- keys ----

void TCustomDBEditEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    if (mruKey(key, shift)) return;
    if (holderInterface_) {
        holderInterface_->InplaceEditKeyDown(this, key, shift);
        if (key == 0) return;
    }
    ui::TCustomMaskEdit::KeyDown(key, shift);
    if (key == 0) return;
    if (runShortCut(key, shift)) {
        key = 0;
        return;
    }
    const ui::TShiftState keys = shift & (ui::ssShift | ui::ssAlt | ui::ssCtrl);
    if (key == 'A' && keys == ui::ssCtrl) {
        SelectAll();
        key = 0;
        return;
    }
    if ((key == ui::VK_DELETE || (key == ui::VK_INSERT && keys == ui::ssShift)) && !readOnly_) dataLink_->Edit();
}

bool TCustomDBEditEx::IsEditButtonShortCut(ui::Word Key, ui::TShiftState Shift) const
{
    const ui::TShortCut shortCut = ui::ShortCut(Key, Shift);
    if (editButton_->GetShortCut() == shortCut) return true;
    for (int i = 0; i < editButtons_->GetCount(); ++i)
        if (editButtons_->Items(i)->GetShortCut() == shortCut) return true;
    return false;
}

bool TCustomDBEditEx::IsDropDownListKey(ui::Word Key, ui::TShiftState Shift) const
{
    switch (Key) {
    case ui::VK_PRIOR:
    case ui::VK_NEXT:
    case ui::VK_UP:
    case ui::VK_DOWN:
        break;
    case ui::VK_HOME:
    case ui::VK_END:
        if (!(Shift & ui::ssCtrl)) return false;
        break;
    default:
        return false;
    }
    return !IsEditButtonShortCut(Key, Shift);
}

bool TCustomDBEditEx::runShortCut(ui::Word key, ui::TShiftState shift)
{
    const ui::TShortCut shortCut = ui::ShortCut(key, shift);
    int pair = -1;
    if (editButton_->GetShortCut() == shortCut && ButtonEnabled()) {
        pair = 0;
    } else {
        for (int i = 0; i < editButtons_->GetCount(); ++i)
            if (editButtons_->Items(i)->GetShortCut() == shortCut) {
                pair = i + 1;
                break;
            }
    }
    if (pair < 0 || pair >= ButtonControlCount()) return false;
    QPointer<TEditButtonControlEx> control = EditButtonControl(pair);
    bool autoRepeat = false;
    control->EditButtonDown(false, autoRepeat);
    if (control) control->Click();
    return true;
}

void TCustomDBEditEx::KeyPress(char& key)
{
    if (holderInterface_) {
        holderInterface_->InplaceEditKeyPress(this, key);
        if (key == 0) return;
    }
    ui::TCustomMaskEdit::KeyPress(key);
    if (key == 0) return;
    const auto ch = static_cast<unsigned char>(key);
    if (ch > 31 && !DataIndependent() && !IsValidChar(key)) {
        ui::MessageBeep();
        key = 0;
        return;
    }
    if (ch == ui::VK_ESCAPE) {
        dataLink_->Reset();
        SelectAll();
        key = 0;
        return;
    }
    if ((ch == ui::VK_BACK || ch == 22 || ch == 24 || ch >= 32) && !readOnly_) dataLink_->Edit();
    // Enter and Tab go into the text only when wanted (Ctrl+Enter's line feed always).
    if ((ch == '\r' && !wantReturns_) || (ch == '\t' && !wantTabs_)) key = 0;
}

void TCustomDBEditEx::KeyUp(ui::Word& key, ui::TShiftState shift)
{
    if (holderInterface_) {
        holderInterface_->InplaceEditKeyUp(this, key, shift);
        if (key == 0) return;
    }
    ui::TCustomMaskEdit::KeyUp(key, shift);
}

bool TCustomDBEditEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if ((key == ui::VK_RETURN || key == ui::VK_ESCAPE) && mruDropped() && mruListBox_->ItemIndex() >= 0) return true;
    if (key == ui::VK_ESCAPE && Modified()) return true;
    return ui::TCustomMaskEdit::WantSpecialKey(key, shift);
}

unsigned TCustomDBEditEx::DialogCode() const
{
    unsigned code = ui::DLGC_WANTARROWS | ui::DLGC_HASSETSEL | ui::DLGC_WANTCHARS;
    if (wantTabs_ || (inplaceHolder_ && (inplaceHolder_->QueryDialogCode() & ui::DLGC_WANTTAB)))
        code |= ui::DLGC_WANTTAB;
    if (wantReturns_) code |= ui::DLGC_WANTALLKEYS;
    return code;
}

void TCustomDBEditEx::PasteFromClipboard()
{
    dataLink_->Edit();
    ui::TCustomMaskEdit::PasteFromClipboard();
}

void TCustomDBEditEx::CutToClipboard()
{
    dataLink_->Edit();
    ui::TCustomMaskEdit::CutToClipboard();
}

void TCustomDBEditEx::Undo()
{
    dataLink_->Edit();
    ui::TCustomMaskEdit::Undo();
}

void TCustomDBEditEx::Change()
{
    if (InternalTextChange() || !dataLink_) return;
    dataLink_->Modified();
    SetModified(true);
    ui::TCustomMaskEdit::Change();
    UpdateImageIndex();
    if (ownText_ == 0 && !mruUpdating_) UpdateMRUDropDown();
}

// ---- edit buttons ----

bool TCustomDBEditEx::ButtonEnabled() const
{
    return Enabled() && (dataLink_->DataIndependent() || (dataLink_->Active() && dataLink_->FieldsCount() > 0));
}

TEditButtonEx* TCustomDBEditEx::buttonOfPair(int index) const
{
    if (index == 0) return editButton_.get();
    if (index > 0 && index <= editButtons_->GetCount()) return editButtons_->Items(index - 1);
    return nullptr;
}

int TCustomDBEditEx::buttonIndexOf(rtl::TObject* control) const
{
    auto* component = dynamic_cast<rtl::TComponent*>(control);
    return component ? static_cast<int>(component->GetTag()) : -1;
}

void TCustomDBEditEx::EditButtonDefaultAction(bool)
{
    if (editButton_->GetStyle() == ebsUpDownEx || droppedDown_) return;
    DropDown();
    buttonDroppedIt_ = true;
}

void TCustomDBEditEx::EditButtonDown(rtl::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    const int index = buttonIndexOf(Sender);
    // The press that closed this button's menu opens nothing.
    ui::TMessage marker;
    if (RemovePostedMessage(CM_BUTTONMENUMARKER, &marker) && marker.WParam == index) return;
    if (CanFocus() && !Focused()) SetFocus();
    TEditButtonEx* button = buttonOfPair(index);
    if (!button) return;
    auto* control = dynamic_cast<TEditButtonControlEx*>(Sender);
    if (index == 0) {
        if (OnButtonDown) OnButtonDown(this, TopButton, AutoRepeat, Handled);
        if (Handled) return;
        if (QMenu* menu = button->GetDropdownMenu(); menu && control) PopupEditButtonMenu(this, control, menu);
        else EditButtonDefaultAction(TopButton);
        return;
    }
    if (button->OnDown) button->OnDown(button, TopButton, AutoRepeat, Handled);
    if (Handled) return;
    if (QMenu* menu = button->GetDropdownMenu(); menu && control) PopupEditButtonMenu(this, control, menu);
}

void TCustomDBEditEx::EditButtonClick(rtl::TObject* Sender)
{
    const int index = buttonIndexOf(Sender);
    bool handled = false;
    if (index == 0) {
        if (OnButtonClick) OnButtonClick(this, handled);
    } else if (TEditButtonEx* button = buttonOfPair(index); button && button->OnClick) {
        button->OnClick(button, handled);
    }
    if (!handled && droppedDown_ && index == 0 && !buttonDroppedIt_) CloseUp(false);
    buttonDroppedIt_ = false;
}

void TCustomDBEditEx::EditButtonMouseMove(rtl::TObject*, ui::TShiftState, int, int) {}

void TCustomDBEditEx::EditButtonMouseUp(rtl::TObject* Sender, ui::TMouseButton, ui::TShiftState, int X, int Y)
{
    auto* control = dynamic_cast<ui::TControl*>(Sender);
    if (!control) return;
    if (X < 0 || X >= control->Width() || Y < 0 || Y > control->Height()) buttonDroppedIt_ = false;
}

void TCustomDBEditEx::DropDown()
{
    if (!buttonControls_.empty()) EditButtonControl(0)->SetAlwaysDown(true);
    if (mruDropped()) mruList_->CloseUp(false);
}

void TCustomDBEditEx::CloseUp(bool)
{
    if (!buttonControls_.empty()) EditButtonControl(0)->SetAlwaysDown(false);
}

void TCustomDBEditEx::UpdateEditButtonControlList()
{
    if (!editButton_ || !editButtons_) return;
    const std::size_t count = 1 + static_cast<std::size_t>(editButtons_->GetCount());
    while (buttonControls_.size() > count) {
        delete buttonControls_.back().Separator;
        delete buttonControls_.back().Button;
        buttonControls_.pop_back();
    }
    while (buttonControls_.size() < count) {
        TButtonPair pair;
        pair.Separator = new ui::TShape(this);
        pair.Button = CreateEditButtonControl();
        pair.Button->SetParent(this);
        buttonControls_.push_back(pair);
    }

    // The buttons' room: the right part of the client area, the left part right to left
    // (inset by a pixel inside a thin single border).
    const bool rightToLeft = UseRightToLeftAlignment();
    ui::TRect room = ClientRect();
    if (!Ctl3D() && BorderStyle() == ui::bsSingle) {
        room.Top += 1;
        if (rightToLeft) room.Left += 1;
        else room.Right -= 1;
        room.Bottom -= 1;
    }
    const int roomHeight = std::max(0, room.Height());
    std::vector<int> buttonWidths(count), separatorWidths(count);
    int height = roomHeight;
    for (std::size_t i = 0; i < count; ++i) {
        TEditButtonEx* button = buttonOfPair(static_cast<int>(i));
        TButtonPair& pair = buttonControls_[i];
        TEditButtonControlEx* control = pair.Button;
        const bool visible = button->GetVisible();
        control->TakeButton(*button, flat_);
        control->SetTag(static_cast<std::intptr_t>(i));
        control->OnDown = TButtonDownEventEx(this, &TCustomDBEditEx::EditButtonDown);
        control->OnClick = rtl::TNotifyEvent(this, &TCustomDBEditEx::EditButtonClick);
        control->OnMouseMove = ui::TMouseMoveEvent(this, &TCustomDBEditEx::EditButtonMouseMove);
        control->OnMouseUp = ui::TMouseEvent(this, &TCustomDBEditEx::EditButtonMouseUp);
        const int width = EditButtonControlWidth(*button, flat_);
        buttonWidths[i] = width;
        if (visible) {
            // A button's usual height needs a client area higher than one and a half its width.
            const int buttonHeight =
                ClientHeight() > rtl::Round(3.0 * width / 2) ? DefaultEditButtonHeight(width, flat_) : roomHeight;
            height = std::min(height, buttonHeight);
        }
        separatorWidths[i] = flat_ && visible ? 1 : 0;
        pair.Separator->SetVisible(separatorWidths[i] > 0);
    }
    buttonsHeight_ = height;
    // The last pair first, each button and then its separator: from the right edge
    // leftwards, or from the left edge rightwards right to left.
    int x = rightToLeft ? room.Left : room.Right;
    for (std::size_t i = count; i-- > 0;) {
        TButtonPair& pair = buttonControls_[i];
        if (rightToLeft) {
            pair.Button->SetBounds(x, room.Top, buttonWidths[i], buttonsHeight_);
            x += buttonWidths[i];
            pair.Separator->SetBounds(x, room.Top, separatorWidths[i], buttonsHeight_);
            x += separatorWidths[i];
        } else {
            x -= buttonWidths[i];
            pair.Button->SetBounds(x, room.Top, buttonWidths[i], buttonsHeight_);
            x -= separatorWidths[i];
            pair.Separator->SetBounds(x, room.Top, separatorWidths[i], buttonsHeight_);
        }
    }
    buttonsWidth_ = rightToLeft ? x - room.Left : room.Right - x;
    UpdateEditButtonControls();
    SetEditRect(GetEditRect());
}

void TCustomDBEditEx::UpdateEditButtonControls()
{
    if (!dataLink_) return;
    const bool enabled = ButtonEnabled();
    const ui::TColor frame = hot_ ? ui::clBtnFace : Color();
    for (TButtonPair& pair : buttonControls_) {
        pair.Button->SetEnabled(enabled);
        pair.Button->SetActive(hot_);
        pair.Separator->Pen().SetColor(frame);
        pair.Separator->Brush().SetColor(frame);
        pair.Separator->Invalidate();
    }
}

// ---- layout, height and look ----

ui::TRect TCustomDBEditEx::GetEditRect() const
{
    ui::TRect r = ClientRect();
    if (UseRightToLeftAlignment()) {
        r.Left += buttonsWidth_;
        r.Right -= imageWidth_;
    } else {
        r.Right -= buttonsWidth_;
        r.Left += imageWidth_;
    }
    if (r.Right < r.Left) r.Right = r.Left;
    return r;
}

void TCustomDBEditEx::updateImageWidth()
{
    const ui::TCustomImageList* images = editImage_->GetImages();
    if (!editImage_->GetVisible() || !images) imageWidth_ = 0;
    else imageWidth_ = (editImage_->GetWidth() > 0 ? editImage_->GetWidth() : images->Width()) + 4;
}

ui::TRect TCustomDBEditEx::imageRect() const
{
    if (UseRightToLeftAlignment()) return {ClientWidth() - imageWidth_, 0, ClientWidth(), ClientHeight()};
    return {0, 0, imageWidth_, ClientHeight()};
}

void TCustomDBEditEx::AdjustHeight()
{
    int textHeight = FontHeight();
    if (editImage_) {
        const ui::TCustomImageList* images = editImage_->GetImages();
        if (images && editImage_->GetUseImageHeight() && images->Height() > textHeight) textHeight = images->Height();
    }
    const int border = (Ctl3D() ? 8 : 6) - (flat_ ? 2 : 0);
    SetHeight(textHeight + border * ui::Metrics().BorderHeight);
}

void TCustomDBEditEx::UpdateHeight()
{
    fixedHeight_ = AutoSize() && BorderStyle() == ui::bsSingle;
    if (fixedHeight_) AdjustHeight();
}

ui::TAlignment TCustomDBEditEx::EditWindowAlignment() const { return WordWrap() ? GetAlignment() : ui::taLeftJustify; }

ui::TAlignment TCustomDBEditEx::screenAlignment(ui::TAlignment Alignment) const
{
    return UseRightToLeftAlignment() ? ui::MirroredAlignment(Alignment) : Alignment;
}

void TCustomDBEditEx::UpdateEditWindowAlignment()
{
    const ui::TAlignment alignment = screenAlignment(EditWindowAlignment());
    if (TextAlignment() != alignment) SetTextAlignment(alignment);
}

void TCustomDBEditEx::RecreateWnd()
{
    if (!editImage_) return;
    laidOutRightToLeft_ = UseRightToLeftAlignment();
    UpdateEditWindowAlignment();
    UpdateHeight();
    UpdateHot();
    updateImageWidth();
    UpdateEditButtonControlList();
    UpdateImageIndex();
    Invalidate();
    UpdateUnfocusedText();
}

bool TCustomDBEditEx::flatLook() const { return Ctl3D() && BorderStyle() == ui::bsSingle && flat_; }

void TCustomDBEditEx::UpdateHot()
{
    const bool hot = HasState(rtl::csDesigning) || Focused() || mouseOver_ || alwaysShowBorder_;
    if (hot == hot_) return;
    hot_ = hot;
    if (!flatLook()) return;
    Invalidate();
    UpdateEditButtonControls();
}

void TCustomDBEditEx::UpdateImageIndex()
{
    if (!editImage_ || !editImage_->GetVisible() || !editImage_->GetImages()) return;
    int index = DefaultImageIndex();
    const rtl::Variant value = GetVariantValue();
    switch (value.VarType()) {
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varSingle:
    case rtl::varDouble:
    case rtl::varCurrency:
        index = static_cast<int>(rtl::Round(value.AsFloat()));
        break;
    default:
        break;
    }
    if (onGetImageIndex_) onGetImageIndex_(this, index);
    editImage_->SetImageIndex(index);
}

void TCustomDBEditEx::Resize()
{
    ui::TCustomMaskEdit::Resize();
    UpdateEditButtonControlList();
}

void TCustomDBEditEx::FontChanged()
{
    ui::TCustomMaskEdit::FontChanged();
    if (fixedHeight_ && !(HasState(rtl::csLoading) && HasState(rtl::csDesigning))) AdjustHeight();
    UpdateEditButtonControlList();
}

void TCustomDBEditEx::ColorChanged()
{
    ui::TCustomMaskEdit::ColorChanged();
    UpdateEditButtonControls();
}

void TCustomDBEditEx::EnabledChanged()
{
    ui::TCustomMaskEdit::EnabledChanged();
    UpdateEditButtonControls();
}

void TCustomDBEditEx::Paint()
{
    if (imageWidth_ <= 0) return;
    const int index = editImage_->GetImageIndex();
    if (index >= 0) DrawImageCentered(Canvas(), imageRect().Inflated(-2, -1), editImage_->GetImages(), index, false);
}

void TCustomDBEditEx::PaintNonClient(ui::TCanvas& canvas)
{
    if (!flatLook()) {
        ui::TCustomMaskEdit::PaintNonClient(canvas);
        return;
    }
    ui::TRect r{0, 0, Width(), Height()};
    if (hot_) {
        canvas.DrawEdge(r, ui::BDR_SUNKENOUTER, ui::BF_RECT);
    } else {
        canvas.Brush().SetColor(ui::clBtnFace);
        canvas.FrameRect(r);
    }
    r.Inflate(-1, -1);
    canvas.Brush().SetColor(ui::clBtnFace);
    canvas.FrameRect(r);
}

bool TCustomDBEditEx::UnfocusedText(std::string& text) const
{
    // The box shows its own text left-aligned, focused or word wrapped.
    if (focused_ || WordWrap() || GetAlignment() == ui::taLeftJustify) return false;
    text = GetDisplayText();
    return true;
}

void TCustomDBEditEx::WndProc(ui::TMessage& message)
{
    if (holderInterface_) {
        holderInterface_->InplaceEditWndProc(this, message);
        if (message.Result != 0) return;
    }
    switch (message.Msg) {
    case CM_EDITIMAGECHANGED:
        RecreateWnd();
        return;
    case CM_BUTTONMENUMARKER:
        return; // a marker only: its work is to wait in the queue
    default:
        ui::TCustomMaskEdit::WndProc(message);
    }
}

// ---- mouse and focus ----

void TCustomDBEditEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    // In place, a press that follows the holder's press closely is a double click.
    if (holderInterface_ && button == ui::mbLeft && !(shift & ui::ssDouble)) {
        ui::TPoint holderPoint;
        unsigned long holderTime = 0;
        holderInterface_->GetMouseDownInfo(holderPoint, holderTime);
        const auto interval = static_cast<std::int64_t>(ui::GetMessageTime()) - static_cast<std::int64_t>(holderTime);
        if (IsDoubleClick(holderPoint, ClientToScreen({x, y}), interval)) {
            QPointer<TCustomDBEditEx> self(this);
            DblClick();
            if (!self) return;
            shift |= ui::ssDouble;
        }
    }
    ui::TCustomMaskEdit::MouseDown(button, shift, x, y);
}

void TCustomDBEditEx::MouseEnter()
{
    ui::TCustomMaskEdit::MouseEnter();
    mouseOver_ = true;
    UpdateHot();
}

void TCustomDBEditEx::MouseLeave()
{
    ui::TCustomMaskEdit::MouseLeave();
    mouseOver_ = false;
    UpdateHot();
}

bool TCustomDBEditEx::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos)
{
    if (mruDropped() && mruListBox_->MouseWheelFromOwner(shift, wheelDelta, mousePos)) return true;
    return ui::TCustomMaskEdit::DoMouseWheel(shift, wheelDelta, mousePos);
}

bool TCustomDBEditEx::holderRefusesFocus() const
{
    if (!inplaceHolder_) return false;
    const ui::TForm* form = ParentForm();
    return form && !form->CanActivate(inplaceHolder_);
}

void TCustomDBEditEx::FocusIn(ui::TControl* previous)
{
    if (holderRefusesFocus()) {
        // The focus is not taken: it goes back where it came from (nowhere, failing that),
        // and neither the entry nor that exit is handled.
        const rtl::TFlagScope refusing(refusingFocus_);
        if (previous && previous != this && previous->CanFocus()) previous->SetFocus();
        else if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused)) focused->clearFocus();
        return;
    }
    ui::TCustomMaskEdit::FocusIn(previous);
    // A window that opens focused on the editor does not enter it (DoEnter) first.
    SetFocused(true);
    UpdateHot();
    Invalidate();
}

void TCustomDBEditEx::FocusOut(ui::TControl* next)
{
    if (refusingFocus_) return;
    if (mruDropped() && next != mruListBox_) mruList_->CloseUp(false);
    ui::TCustomMaskEdit::FocusOut(next);
    UpdateHot();
    Invalidate();
}

void TCustomDBEditEx::DoEnter()
{
    if (holderRefusesFocus()) return;
    SetFocused(true);
    ui::TCustomMaskEdit::DoEnter();
}

int TCustomDBEditEx::placeCaretOnExit()
{
    if (!IsMasked() || HasState(rtl::csDesigning) || SelLength() != 0) return -1;
    const int caret = std::max(0, SelStart() - 2);
    SetSelStart(caret);
    return caret;
}

void TCustomDBEditEx::DoExit()
{
    if (refusingFocus_) return;
    int caret = -1;
    if (IsMasked() && !HasState(rtl::csDesigning)) {
        ValidateEdit();
        caret = placeCaretOnExit();
    }
    QPointer<TCustomDBEditEx> self(this);
    ui::TCustomMaskEdit::DoExit();
    if (!self) return;
    try {
        dataLink_->UpdateRecord();
    } catch (...) {
        // The text that could not be written stays, with the focus, for the user to mend.
        SelectAll();
        if (CanFocus() && !Focused()) SetFocus();
        throw;
    }
    SetFocused(false);
    // The text shown anew keeps the caret where leaving put it.
    if (caret >= 0) SetSelStart(caret);
}

void TCustomDBEditEx::CancelMode(ui::TControl* sender)
{
    ui::TCustomMaskEdit::CancelMode(sender);
    if (mruDropped() && !IsInside(sender, this) && !IsInside(sender, mruListBox_)) mruList_->CloseUp(false);
}

// ---- in place ----

void TCustomDBEditEx::SetInplaceEditHolder(ui::TControl* Holder)
{
    IInplaceEditHolderEx* holderInterface = RequireInplaceEditHolder(Holder);
    if (inplaceHolder_ && inplaceHolder_ != Holder) inplaceHolder_->RemoveFreeNotification(this);
    inplaceHolder_ = Holder;
    holderInterface_ = holderInterface;
    if (Holder) Holder->FreeNotification(this);
    UpdateReadOnlyState();
}

void TCustomDBEditEx::SetBounds(int left, int top, int width, int height)
{
    if (!inplaceHolder_) {
        ui::TCustomMaskEdit::SetBounds(left, top, width, height);
        return;
    }
    if (width <= 0 || height <= 0) {
        hideInPlace();
        return;
    }
    Invalidate();
    CancelMode(inplaceHolder_);
    ui::TCustomMaskEdit::SetBounds(left, top, width, height);
    QWidget::show();
    if (inplaceHolder_->Focused()) SetFocus();
}

bool TCustomDBEditEx::Visible() const { return inplaceHolder_ ? !isHidden() : ui::TCustomMaskEdit::Visible(); }

void TCustomDBEditEx::hideInPlace()
{
    const bool hadFocus = Focused();
    QWidget::hide();
    if (hadFocus && inplaceHolder_->CanFocus()) inplaceHolder_->SetFocus();
}

void TCustomDBEditEx::SetVisible(bool Value)
{
    if (inplaceHolder_ && !Value) {
        hideInPlace();
        return;
    }
    ui::TCustomMaskEdit::SetVisible(Value);
}

void TCustomDBEditEx::SetFocus()
{
    if (inplaceHolder_ && !isVisible()) return;
    ui::TCustomMaskEdit::SetFocus();
}

// ---- recently used texts ----

bool TCustomDBEditEx::mruDropped() const { return mruListBox_ && mruList_->GetDroppedDown(); }

TMRUListboxEx* TCustomDBEditEx::CreateMRUListBox()
{
    auto* box = new TMRUListboxEx(this);
    box->SetCtl3D(false);
    box->Hide();
    box->OnMouseUp = ui::TMouseEvent(this, &TCustomDBEditEx::mruListMouseUp);
    box->SizeGrip()->OnParentResized = rtl::TNotifyEvent(this, &TCustomDBEditEx::mruListResized);
    return box;
}

void TCustomDBEditEx::UpdateMRUDropDown()
{
    const std::string emptyText = IsMasked() ? Mask().EmptyText() : std::string();
    const bool empty = EditText() == emptyText;
    const rtl::TFlagScope flagged(mruUpdating_);
    if (mruDropped() && empty) mruList_->CloseUp(false);
    // Only for the user's typing: the list does not open under an editor that is not in use.
    else if (mruList_->GetActive() && Showing() && !droppedDown_ && !empty && Focused()) mruList_->DropDown();
}

void TCustomDBEditEx::mruDropDown(rtl::TObject*)
{
    if (!mruListBox_) mruListBox_ = CreateMRUListBox();
    TMRUListboxEx* box = mruListBox_;
    const auto filter = [this](const std::string& item, bool& accept) { FilterMRUItem(item, accept); };
    if (!mruList_->FilterItemsTo(box->Items(), Text(), filter)) {
        // Typing goes on: a partial list is not shown, the next key filters again.
        if (mruDropped()) mruList_->CloseUp(false);
        return;
    }
    const int rows = std::min(box->Count(), mruList_->GetRows());
    const ui::TRect editRect = GetEditRect();
    const ui::TPoint origin = ClientToScreen(editRect.TopLeft());
    const ui::TRect host = ui::Bounds(origin.X, origin.Y, editRect.Width(), editRect.Height());
    if (mruDropped()) {
        if (box->Count() == 0) {
            mruList_->CloseUp(false);
            return;
        }
        box->SetRows(rows);
        box->PlaceUnder(host);
        return;
    }
    if (box->Count() == 0) return;
    box->DropDownUnder(host, rows, host.Width(), *this);
    mruList_->SetDroppedDown(true);
}

void TCustomDBEditEx::FilterMRUItem(const std::string& AText, bool& Accept)
{
    Accept = mruList_->FilterItem(AText, Text());
}

void TCustomDBEditEx::mruCloseUp(rtl::TObject*, bool accept)
{
    if (!mruDropped()) return;
    TMRUListboxEx* box = mruListBox_;
    if (box->MouseCapture()) box->SetMouseCapture(false);
    box->Hide();
    mruList_->SetDroppedDown(false);
    const int index = box->ItemIndex();
    if (accept && !readOnly_ && dataLink_->Edit() && index >= 0) {
        SetEditText(box->Items().StringAt(index));
        if (Focused()) SelectAll();
    }
}

void TCustomDBEditEx::mruListMouseUp(rtl::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y)
{
    mruList_->CloseUp(mruListBox_->ClientRect().Contains({x, y}));
}

void TCustomDBEditEx::MRUListBoxResized()
{
    if (!mruDropped()) return;
    mruList_->SetRows(mruListBox_->RowCount());
    mruList_->SetWidth(mruListBox_->Width());
}

bool TCustomDBEditEx::mruKey(ui::Word& key, ui::TShiftState shift)
{
    if (!mruDropped()) return false;
    if (key == ui::VK_RETURN || key == ui::VK_ESCAPE) {
        mruList_->CloseUp(key == ui::VK_RETURN);
        key = 0;
        return true;
    }
    return mruListBox_->MoveByOwnerKey(key, shift);
}

} // namespace editors
