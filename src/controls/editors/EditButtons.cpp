#include "controls/editors/EditButtons.h"

#include <algorithm>

#include <QCoreApplication>
#include <QMouseEvent>

#include "controls/editors/EditInterfaces.h"
#include "platform/ui/InputState.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Themes.h"

namespace editors {

TButtonPaintKindEx ButtonPaintKind(TEditButtonStyleEx Style)
{
    switch (Style) {
    case ebsDropDownEx: return bpkDropDownEx;
    case ebsEllipsisEx: return bpkEllipsisEx;
    case ebsGlyphEx: return bpkUpDownEx; // not used: glyph buttons show their glyph
    case ebsUpDownEx: return bpkUpDownEx;
    case ebsPlusEx: return bpkPlusEx;
    case ebsMinusEx: return bpkMinusEx;
    }
    return bpkDropDownEx;
}

// ---- TEditButtonEx ----

TEditButtonEx::TEditButtonEx(rtl::TCollection* collection) : rtl::TCollectionItem(collection) { init(); }

TEditButtonEx::TEditButtonEx(ui::TControl* editor) : rtl::TCollectionItem(nullptr), editor_(editor) { init(); }

void TEditButtonEx::init()
{
    glyph_.SetTransparent(true);
    glyph_.OnChange = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { Changed(); });
}

void TEditButtonEx::SetDefaults(ui::TShortCut shortCut, bool visible)
{
    shortCut_ = shortCut;
    visible_ = visible;
}

void TEditButtonEx::Changed()
{
    if (OnChange) OnChange(this);
    else rtl::TCollectionItem::Changed(false);
}

void TEditButtonEx::Assign(const rtl::TPersistent* source)
{
    auto* other = dynamic_cast<const TEditButtonEx*>(source);
    if (!other) {
        rtl::TCollectionItem::Assign(source);
        return;
    }
    SetDropdownMenu(other->GetDropdownMenu());
    SetGlyph(other->glyph_);
    SetHint(other->hint_);
    SetNumGlyphs(other->numGlyphs_);
    SetShortCut(other->shortCut_);
    SetStyle(other->style_);
    SetVisible(other->visible_);
    SetWidth(other->width_);
    OnClick = other->OnClick;
    OnDown = other->OnDown;
}

TEditButtonControlEx* TEditButtonEx::CreateEditButtonControl()
{
    auto* control = new TEditButtonControlEx(editor_);
    control->SetBounds(0, 0, 10, 17);
    control->SetTransparent(false);
    control->SetVisible(true);
    return control;
}

void TEditButtonEx::SetDropdownMenu(QMenu* value)
{
    if (dropdownMenu_ == value) return;
    dropdownMenu_ = value;
    Changed();
}

void TEditButtonEx::SetGlyph(const ui::TBitmap& value)
{
    glyph_.Assign(value); // its change notice reports the change
}

void TEditButtonEx::SetHint(const std::string& value)
{
    if (hint_ == value) return;
    hint_ = value;
    Changed();
}

void TEditButtonEx::SetNumGlyphs(int value)
{
    value = std::clamp(value, 1, 4);
    if (numGlyphs_ == value) return;
    numGlyphs_ = value;
    Changed();
}

void TEditButtonEx::SetShortCut(ui::TShortCut value)
{
    if (shortCut_ == value) return;
    shortCut_ = value;
    Changed();
}

void TEditButtonEx::SetStyle(TEditButtonStyleEx value)
{
    if (style_ == value) return;
    style_ = value;
    Changed();
}

void TEditButtonEx::SetVisible(bool value)
{
    if (visible_ == value) return;
    visible_ = value;
    Changed();
}

void TEditButtonEx::SetWidth(int value)
{
    if (width_ == value) return;
    width_ = value;
    Changed();
}

TDropDownEditButtonEx::TDropDownEditButtonEx(rtl::TCollection* collection) : TEditButtonEx(collection)
{
    SetDefaults(AltDownShortCut, false);
}

TDropDownEditButtonEx::TDropDownEditButtonEx(ui::TControl* editor) : TEditButtonEx(editor)
{
    SetDefaults(AltDownShortCut, false);
}

TVisibleEditButtonEx::TVisibleEditButtonEx(rtl::TCollection* collection) : TEditButtonEx(collection)
{
    SetDefaults(AltDownShortCut, true);
}

TVisibleEditButtonEx::TVisibleEditButtonEx(ui::TControl* editor) : TEditButtonEx(editor)
{
    SetDefaults(AltDownShortCut, true);
}

// ---- TEditButtonsEx ----

TEditButtonsEx::TEditButtonsEx(rtl::TPersistent* owner, ItemFactory itemClass)
    : rtl::TCollection(std::move(itemClass), owner)
{
}

void TEditButtonsEx::Update(rtl::TCollectionItem* item)
{
    rtl::TCollection::Update(item);
    if (OnChange) OnChange(this);
}

// ---- TEditButtonControlEx ----

TEditButtonControlEx::TEditButtonControlEx(ui::TControl* parent) : ui::TSpeedButton(parent) {}

TEditButtonControlEx::~TEditButtonControlEx() = default;

void TEditButtonControlEx::SetActive(bool value)
{
    if (active_ == value) return;
    active_ = value;
    Invalidate();
}

void TEditButtonControlEx::SetStyle(TEditButtonStyleEx value)
{
    if (style_ == value) return;
    style_ = value;
    Invalidate();
}

void TEditButtonControlEx::SetAlwaysDown(bool value)
{
    alwaysDown_ = value;
    if (value) {
        SetGroupIndex(1);
        SetDown(true);
        SetAllowAllUp(false);
        setDownHalf(1);
    } else {
        SetAllowAllUp(true);
        SetDown(false);
        SetGroupIndex(0);
        setDownHalf(0);
    }
}

void TEditButtonControlEx::EditButtonDown(bool TopButton, bool& AutoRepeat)
{
    bool handled = false;
    if (OnDown) OnDown(this, TopButton, AutoRepeat, handled);
}

int TEditButtonControlEx::halfAt(int y) const
{
    if (!pressedLook()) return 0;
    if (style_ != ebsUpDownEx) return 1;
    // The middle rows (two for an odd height, one for an even one) press neither half.
    const int half = Height() / 2;
    if (y < half) return 1;
    if (y > Height() - half) return 2;
    return 0;
}

void TEditButtonControlEx::setDownHalf(int half)
{
    if (downHalf_ == half) return;
    downHalf_ = half;
    Invalidate();
}

void TEditButtonControlEx::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    bool autoRepeat = style_ == ebsUpDownEx;
    ui::TSpeedButton::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft) return;
    setDownHalf(halfAt(y));
    if (downHalf_ == 0) return;
    EditButtonDown(downHalf_ == 1, autoRepeat);
    if (autoRepeat) startRepeat();
}

void TEditButtonControlEx::MouseMove(ui::TShiftState shift, int x, int y)
{
    ui::TSpeedButton::MouseMove(shift, x, y);
    // Down (not exclusive) only while the left button holds it.
    if (style_ != ebsUpDownEx || State() != ui::bsDown) return;
    const int half = Height() / 2;
    const bool leftHalf = (downHalf_ == 2 && y < half) || (downHalf_ == 1 && y > Height() - half);
    if (leftHalf) SetState(ui::bsUp);
}

void TEditButtonControlEx::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    // Let go after leaving the pressed half of an up/down button: no click.
    if (button == ui::mbLeft && style_ == ebsUpDownEx && State() != ui::bsDown) NoClickOnRelease = true;
    ui::TSpeedButton::MouseUp(button, shift, x, y);
    NoClickOnRelease = false; // never carried to a later release
    setDownHalf(halfAt(y));
    stopRepeat();
    // A press handed over by the control below came with the mouse held for it.
    if (MouseCapture()) SetMouseCapture(false);
}

void TEditButtonControlEx::startRepeat()
{
    if (!repeatTimer_) repeatTimer_ = std::make_unique<ui::TTimerSlot>([this] { repeatTick(); });
    repeatTimer_->Start(FirstRepeatDelay);
}

void TEditButtonControlEx::stopRepeat()
{
    if (repeatTimer_) repeatTimer_->Stop();
}

void TEditButtonControlEx::repeatTick()
{
    // The release went elsewhere (a menu or another window took the mouse): stop.
    if (!(ui::MouseButtonsState() & ui::ssLeft)) {
        stopRepeat();
        if (State() == ui::bsDown) SetState(ui::bsUp);
        return;
    }
    bool autoRepeat = style_ == ebsUpDownEx;
    if (State() != ui::bsDown) return;
    if (repeatTimer_->Interval() == FirstRepeatDelay) repeatTimer_->Start(RepeatInterval);
    EditButtonDown(downHalf_ == 1, autoRepeat);
    if (!autoRepeat) stopRepeat();
}

void TEditButtonControlEx::Paint()
{
    ui::TCanvas& canvas = Canvas();
    const ui::TRect r = ClientRect();
    const ui::TColor parentColor = Parent() ? Parent()->Color() : Color();
    if (style_ != ebsGlyphEx) {
        PaintButtonControlEx(canvas, r, parentColor, ui::csUnchecked, Enabled(), active_, Flat(),
                             pressedLook() ? downHalf_ : 0, ButtonPaintKind(style_));
        return;
    }
    const bool flatClassic = Flat() && !ui::ThemeServices().ThemesEnabled();
    if (!flatClassic) {
        ui::TSpeedButton::Paint();
        return;
    }
    {
        const ui::TClipScope clip(canvas, r.Inflated(-1, -1));
        ui::TSpeedButton::Paint();
    }
    if (active_) {
        canvas.DrawEdge(r, pressedLook() ? ui::BDR_SUNKENOUTER : ui::BDR_RAISEDINNER, ui::BF_RECT);
    } else {
        canvas.Brush().SetColor(parentColor);
        canvas.FrameRect(r);
    }
}

void TEditButtonControlEx::TakeButton(const TEditButtonEx& Button, bool Flat)
{
    SetVisible(Button.GetVisible());
    SetStyle(Button.GetStyle());
    SetGlyph(Button.GetGlyph());
    SetNumGlyphs(Button.GetNumGlyphs());
    SetHint(Button.GetHint());
    SetShowHint(!Button.GetHint().empty());
    SetFlat(Flat);
}

int EditButtonControlWidth(const TEditButtonEx& Button, bool Flat)
{
    if (!Button.GetVisible()) return 0;
    if (Button.GetWidth() > 0) return Button.GetWidth();
    return Flat ? GetDefaultFlatButtonWidth() : ui::Metrics().VScrollWidth;
}

// ---- menus and drags of editors' buttons ----

namespace {

// The button comes up at once, without a click.
void releaseWithoutClick(ui::TControl* button)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(button, &release);
}

} // namespace

void PopupEditButtonMenu(ui::TControl* Editor, TEditButtonControlEx* Button, QMenu* Menu)
{
    const auto tag = static_cast<std::intptr_t>(Button->GetTag());
    QPointer<ui::TControl> editor(Editor);
    QObject::connect(
        Menu, &QMenu::aboutToHide, Editor,
        [editor, tag] {
            if (editor) editor->PostMessage(CM_BUTTONMENUMARKER, tag);
        },
        Qt::SingleShotConnection);
    const ui::TPoint at = Button->ClientToScreen({0, Button->Height()});
    // The menu takes the mouse.
    releaseWithoutClick(Button);
    Menu->popup(QPoint(at.X, at.Y));
}

void PassButtonPressTo(ui::TControl* Button, ui::TControl* DropDown, ui::TPoint Screen)
{
    releaseWithoutClick(Button);
    DropDown->SetMouseCapture(true);
    const ui::TPoint inDropDown = DropDown->ScreenToClient(Screen);
    const ui::TPoint offset = DropDown->ClientOffset();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(inDropDown.X + offset.X, inDropDown.Y + offset.Y),
                      QPointF(Screen.X, Screen.Y), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(DropDown, &press);
}

} // namespace editors
