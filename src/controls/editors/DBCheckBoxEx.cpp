#include "controls/editors/DBCheckBoxEx.h"

#include <QMouseEvent>

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Metrics.h"

namespace editors {

namespace {

// Whether text equals, letter case ignored, one of the ';'-separated entries of list.
bool InValueList(std::string_view text, std::string_view list)
{
    for (;;) {
        const std::size_t end = list.find(';');
        if (rtl::AnsiSameText(text, list.substr(0, end))) return true;
        if (end == std::string_view::npos) return false;
        list.remove_prefix(end + 1);
    }
}

std::string FirstValue(const std::string& list) { return list.substr(0, list.find(';')); }

ui::TCheckState PaintedState(TCheckBoxState state)
{
    switch (state) {
    case cbChecked: return ui::csChecked;
    case cbGrayed: return ui::csGrayed;
    case cbUnchecked: break;
    }
    return ui::csUnchecked;
}

// Room between the box and its caption.
constexpr int kCaptionGap = 4;

} // namespace

TCustomDBCheckBoxEx::TCustomDBCheckBoxEx(ui::TControl* parent) : ui::TButtonControl(parent)
{
    SetBounds(Left(), Top(), 97, 17);
    dataLink_ = std::make_unique<TFieldDataLinkEx>(this);
    dataLink_->OnDataChange = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBCheckBoxEx::linkDataChange);
    dataLink_->OnUpdateData = TFieldDataLinkEx::TLinkEvent(this, &TCustomDBCheckBoxEx::linkUpdateData);
    dataLink_->SetValue(false);
}

TCustomDBCheckBoxEx::~TCustomDBCheckBoxEx()
{
    Destroying();
    dataLink_->OnDataChange = nullptr;
    dataLink_->OnUpdateData = nullptr;
}

// ---- binding and data ----

void TCustomDBCheckBoxEx::SetDataSource(db::TDataSource* Value)
{
    if (dataLink_->GetDataSourceFixed() && HasState(rtl::csLoading)) return;
    dataLink_->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
}

void TCustomDBCheckBoxEx::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    ui::TButtonControl::Notification(component, operation);
    if (operation != rtl::opRemove || !dataLink_) return;
    // Our data source, or one that let go of the link as it went.
    if (component == GetDataSource() || !GetDataSource()) dataLink_->SetDataSource(nullptr);
}

TCheckBoxState TCustomDBCheckBoxEx::FieldState() const
{
    if (DataIndependent()) {
        const rtl::Variant& value = dataLink_->GetKeptValue();
        if (value == rtl::Variant(true)) return cbChecked;
        if (value == rtl::Variant(false)) return cbUnchecked;
        return cbGrayed;
    }
    const db::TField* field = dataLink_->Field();
    if (!field) return cbUnchecked;
    if (field->IsNull()) return cbGrayed;
    if (dynamic_cast<const db::TBooleanField*>(field)) return field->GetAsBoolean() ? cbChecked : cbUnchecked;
    const std::string text = field->GetText();
    if (InValueList(text, valueChecked_)) return cbChecked;
    if (InValueList(text, valueUnchecked_)) return cbUnchecked;
    return cbGrayed;
}

void TCustomDBCheckBoxEx::linkDataChange(TFieldDataLinkEx*)
{
    // A field bound anew may read on the other side.
    if (UseRightToLeftAlignment() != paintedRightToLeft_) Invalidate();
    SetStateInternal(FieldState());
    modified_ = false;
}

void TCustomDBCheckBoxEx::SetValueChecked(const std::string& Value)
{
    valueChecked_ = Value;
    linkDataChange(nullptr);
}

void TCustomDBCheckBoxEx::SetValueUnchecked(const std::string& Value)
{
    valueUnchecked_ = Value;
    linkDataChange(nullptr);
}

void TCustomDBCheckBoxEx::SetState(TCheckBoxState Value)
{
    if (!dataLink_->PrepareWrite(HasState(rtl::csDesigning))) return;
    SetStateInternal(Value);
    if (!inUpdateData_) UpdateData();
}

void TCustomDBCheckBoxEx::SetStateInternal(TCheckBoxState Value)
{
    if (Value == state_) return;
    state_ = Value;
    // The event only: the dynamic Click toggles, which would set the state again.
    if (OnClick) OnClick(this);
    Invalidate();
    modified_ = true;
}

void TCustomDBCheckBoxEx::Toggle()
{
    if (!dataLink_->Edit()) return;
    switch (state_) {
    case cbUnchecked: SetStateInternal(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetStateInternal(cbUnchecked); break;
    case cbGrayed: SetStateInternal(cbChecked); break;
    }
    dataLink_->Modified();
    Invalidate();
}

void TCustomDBCheckBoxEx::UpdateData()
{
    try {
        bool handled = false;
        if (OnUpdateData) {
            const rtl::TFlagScope flagged(inUpdateData_);
            OnUpdateData(this, handled);
        }
        if (!handled) PostState();
    } catch (...) {
        // The box shows what the data holds again.
        dataLink_->Reset();
        throw;
    }
}

void TCustomDBCheckBoxEx::PostState()
{
    if (DataIndependent()) {
        dataLink_->SetValue(state_ == cbGrayed ? rtl::Null() : rtl::Variant(GetChecked()));
        return;
    }
    db::TField* field = dataLink_->Field();
    if (!field) return;
    if (state_ == cbGrayed) field->Clear();
    else if (dynamic_cast<db::TBooleanField*>(field)) field->SetAsBoolean(GetChecked());
    else field->SetText(FirstValue(GetChecked() ? valueChecked_ : valueUnchecked_));
}

// ---- look ----

void TCustomDBCheckBoxEx::SetAlignment(ui::TAlignment Value)
{
    if (alignment_ == Value) return;
    alignment_ = Value;
    Invalidate();
}

void TCustomDBCheckBoxEx::SetAlwaysShowBorder(bool Value)
{
    if (alwaysShowBorder_ == Value) return;
    alwaysShowBorder_ = Value;
    Invalidate();
}

void TCustomDBCheckBoxEx::SetFlat(bool Value)
{
    if (flat_ == Value) return;
    flat_ = Value;
    Invalidate();
}

void TCustomDBCheckBoxEx::Paint()
{
    const bool pressed = (mouseInside_ && leftDown_) || spacePressed_;
    DrawControl(Canvas(), ClientRect(), state_, pressed, Enabled());
}

void TCustomDBCheckBoxEx::DrawControl(ui::TCanvas& Canvas, const ui::TRect& Rect, TCheckBoxState State, bool Pressed,
                                      bool Enabled)
{
    const int boxWidth = ui::Metrics().CheckBoxWidth;
    paintedRightToLeft_ = UseRightToLeftAlignment();
    const bool boxLeft = (alignment_ != ui::taLeftJustify) != paintedRightToLeft_;
    const ui::TRect boxArea = boxLeft ? ui::TRect{Rect.Left, Rect.Top, Rect.Left + boxWidth, Rect.Bottom}
                                      : ui::TRect{Rect.Right - boxWidth, Rect.Top, Rect.Right, Rect.Bottom};
    DrawCheck(Canvas, CheckBoxRect(boxArea, ui::taLeftJustify, ui::tlCenter), State, Pressed, Enabled);
    const ui::TRect caption = boxLeft ? ui::TRect{boxArea.Right + kCaptionGap, Rect.Top, Rect.Right, Rect.Bottom}
                                      : ui::TRect{Rect.Left, Rect.Top, boxArea.Left - kCaptionGap, Rect.Bottom};
    DrawCaption(Canvas, caption, Enabled);
}

void TCustomDBCheckBoxEx::DrawCheck(ui::TCanvas& Canvas, const ui::TRect& Rect, TCheckBoxState State, bool Pressed,
                                    bool Enabled)
{
    const bool hot = mouseInside_ || (flat_ && (Focused() || alwaysShowBorder_));
    PaintButtonControlEx(Canvas, Rect, Color(), PaintedState(State), Enabled, hot, flat_, Pressed ? 1 : 0,
                         bpkCheckBoxEx);
}

void TCustomDBCheckBoxEx::DrawCaption(ui::TCanvas& Canvas, const ui::TRect& Rect, bool Enabled)
{
    Canvas.Font().Assign(Font());
    Canvas.Brush().SetStyle(ui::bsClear);
    ui::TRect extent = Rect;
    Canvas.DrawText(Caption(), extent, ui::DT_SINGLELINE | ui::DT_CALCRECT);
    const int top = Rect.Top + (Rect.Height() - extent.Height()) / 2;
    const int left = UseRightToLeftAlignment() ? Rect.Right - extent.Width() : Rect.Left;
    ui::TRect text = ui::Bounds(left, top, extent.Width(), extent.Height());
    if (!Enabled && !HasState(rtl::csDesigning)) {
        ui::TRect etched = text.Offsetted(1, 1);
        Canvas.Font().SetColor(ui::clBtnHighlight);
        Canvas.DrawText(Caption(), etched, ui::DT_SINGLELINE);
        Canvas.Font().SetColor(ui::clGrayText);
    }
    Canvas.DrawText(Caption(), text, ui::DT_SINGLELINE);
    if (Focused()) Canvas.DrawFocusRect(text.Inflated(1, 1).Intersected(ClientRect()));
}

// ---- keys, mouse and focus ----

void TCustomDBCheckBoxEx::Click() { Toggle(); }

void TCustomDBCheckBoxEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    ui::TButtonControl::KeyDown(key, shift);
    if (key != ui::VK_SPACE || (shift & (ui::ssCtrl | ui::ssAlt))) return;
    spacePressed_ = true;
    Invalidate();
}

void TCustomDBCheckBoxEx::KeyUp(ui::Word& key, ui::TShiftState shift)
{
    ui::TButtonControl::KeyUp(key, shift);
    if (key != ui::VK_SPACE || !spacePressed_) return;
    spacePressed_ = false;
    Invalidate();
    Toggle();
}

void TCustomDBCheckBoxEx::KeyPress(char& key)
{
    ui::TButtonControl::KeyPress(key);
    if (key == ui::VK_BACK || key == ' ') {
        dataLink_->Edit();
    } else if (key == ui::VK_ESCAPE) {
        dataLink_->Reset();
        key = 0;
    }
}

bool TCustomDBCheckBoxEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if (key == ui::VK_ESCAPE && modified_) return true;
    return ui::TButtonControl::WantSpecialKey(key, shift);
}

void TCustomDBCheckBoxEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft && CanFocus() && !Focused()) SetFocus();
    ui::TButtonControl::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft) return;
    leftDown_ = true;
    mouseInside_ = ClientRect().Contains({x, y});
    Invalidate();
}

void TCustomDBCheckBoxEx::MouseMove(ui::TShiftState shift, int x, int y)
{
    ui::TButtonControl::MouseMove(shift, x, y);
    if (!leftDown_) return;
    // While the button is held, the pointer's leaving and coming back show as it moves.
    const bool inside = ClientRect().Contains({x, y});
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    Invalidate();
}

void TCustomDBCheckBoxEx::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft) {
        leftDown_ = false;
        Invalidate();
    }
    ui::TButtonControl::MouseUp(button, shift, x, y);
}

void TCustomDBCheckBoxEx::MouseEnter()
{
    ui::TButtonControl::MouseEnter();
    mouseInside_ = true;
    Invalidate();
}

void TCustomDBCheckBoxEx::MouseLeave()
{
    ui::TButtonControl::MouseLeave();
    mouseInside_ = false;
    Invalidate();
}

void TCustomDBCheckBoxEx::CaptureCancelled()
{
    ui::TButtonControl::CaptureCancelled();
    leftDown_ = false;
    Invalidate();
}

void TCustomDBCheckBoxEx::FocusIn(ui::TControl* previous)
{
    ui::TButtonControl::FocusIn(previous);
    Invalidate();
}

void TCustomDBCheckBoxEx::FocusOut(ui::TControl* next)
{
    ui::TButtonControl::FocusOut(next);
    spacePressed_ = false;
    Invalidate();
}

void TCustomDBCheckBoxEx::DoExit()
{
    dataLink_->UpdateRecord();
    ui::TButtonControl::DoExit();
}

bool TCustomDBCheckBoxEx::DialogChar(char key)
{
    if (!ui::IsAccel(key, Caption()) || !CanFocus()) return false;
    SetFocus();
    if (Focused()) Toggle();
    return true;
}

bool TCustomDBCheckBoxEx::UseRightToLeftAlignment() const
{
    return DBUseRightToLeftAlignment(*this, dataLink_ ? dataLink_->Field() : nullptr);
}

void TCustomDBCheckBoxEx::Resize()
{
    ui::TButtonControl::Resize();
    Invalidate();
}

void TCustomDBCheckBoxEx::EnabledChanged()
{
    ui::TButtonControl::EnabledChanged();
    Invalidate();
}

void TCustomDBCheckBoxEx::TextChanged()
{
    ui::TButtonControl::TextChanged();
    Invalidate();
}

bool TCustomDBCheckBoxEx::event(QEvent* e)
{
    if (e->type() != QEvent::MouseButtonDblClick) return ui::TButtonControl::event(e);
    const auto* m = static_cast<QMouseEvent*>(e);
    QMouseEvent press(QEvent::MouseButtonPress, m->position(), m->globalPosition(), m->button(), m->buttons(),
                      m->modifiers());
    return ui::TButtonControl::event(&press);
}

} // namespace editors
