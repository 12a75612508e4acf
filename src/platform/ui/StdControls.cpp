#include "platform/ui/StdControls.h"

#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>

#include "platform/rtl/Exception.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Themes.h"

namespace ui {

namespace {

// A Qt scroll bar painted in strips of at most 95 lines. Qt's raster engine hands a fill
// of more lines to its thread pool in parts, and the painting thread waits for them: for
// a bar, whose pixels are few, the wait (longer under load) costs more than the work.
class TStripPaintedBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        // The painting's clip on the device, as the window's painting set it.
        QPaintEngine* engine = nullptr;
        {
            QPainter probe(this);
            engine = probe.paintEngine();
        }
        const QRegion whole = engine ? engine->systemClip() : QRegion();
        const QRect bounds = whole.boundingRect();
        if (bounds.height() <= kStrip) {
            QScrollBar::paintEvent(e);
            return;
        }
        for (int top = bounds.top(); top <= bounds.bottom(); top += kStrip) {
            engine->setSystemClip(whole & QRect(bounds.left(), top, bounds.width(), kStrip));
            QScrollBar::paintEvent(e);
        }
        engine->setSystemClip(whole);
    }

private:
    static constexpr int kStrip = 95;
};

} // namespace

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TControl* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
    ClickOnRelease = false;
    SetBounds(Left(), Top(), 23, 22);
}

void TSpeedButton::SetState(TButtonState s)
{
    if (state_ == s) return;
    state_ = s;
    Invalidate();
}

void TSpeedButton::SetDown(bool v)
{
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = v;
    state_ = v ? bsExclusive : bsUp;
    Invalidate();
    if (v) releaseGroup();
}

void TSpeedButton::releaseGroup()
{
    TControl* p = Parent();
    if (!p || groupIndex_ == 0) return;
    for (int i = 0; i < p->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(p->Controls(i));
        if (other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
            other->down_ = false;
            other->state_ = bsUp;
            other->Invalidate();
        }
    }
}

void TSpeedButton::SetGroupIndex(int v)
{
    if (groupIndex_ == v) return;
    groupIndex_ = v;
    if (v == 0 && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
    } else if (down_) {
        releaseGroup();
    }
}

void TSpeedButton::SetFlat(bool v)
{
    if (flat_ == v) return;
    flat_ = v;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool v)
{
    transparent_ = v;
    EraseBackground = !v;
    Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap& b)
{
    glyph_.Assign(b);
    rebuildGlyphs();
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v)
{
    v = std::clamp(v, 1, 4);
    if (numGlyphs_ == v) return;
    numGlyphs_ = v;
    rebuildGlyphs();
    Invalidate();
}

void TSpeedButton::rebuildGlyphs()
{
    if (glyph_.Empty()) {
        glyphs_.reset();
        return;
    }
    glyphs_ = std::make_unique<TCustomImageList>(std::max(1, glyph_.Width() / numGlyphs_), glyph_.Height());
    glyphs_->AddMasked(glyph_, glyph_.TransparentColor());
}

void TSpeedButton::Click() { TControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    if (!down_) SetState(bsDown);
    dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    TControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    const bool inside = ClientRect().Contains({x, y});
    TButtonState s = down_ ? bsExclusive : (inside ? bsDown : bsUp);
    SetState(s);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !dragging_) return;
    dragging_ = false;
    const bool inside = ClientRect().Contains({x, y});
    const bool click = inside && !NoClickOnRelease;
    NoClickOnRelease = false;
    if (groupIndex_ == 0) {
        SetState(bsUp);
    } else if (click) {
        SetDown(!down_);
        SetState(down_ ? bsExclusive : bsUp);
    } else {
        SetState(down_ ? bsExclusive : bsUp);
    }
    if (click) Click();
}

void TSpeedButton::MouseEnter()
{
    TControl::MouseEnter();
    mouseInControl_ = true;
    if (flat_) Invalidate();
}

void TSpeedButton::MouseLeave()
{
    TControl::MouseLeave();
    mouseInControl_ = false;
    if (flat_) Invalidate();
}

void TSpeedButton::CaptureCancelled()
{
    TControl::CaptureCancelled();
    if (!dragging_) return;
    dragging_ = false;
    SetState(down_ ? bsExclusive : bsUp);
}

void TSpeedButton::EnabledChanged()
{
    if (!Enabled()) dragging_ = false;
    Invalidate();
}

void TSpeedButton::DrawGlyph(const TRect& r, TButtonState state)
{
    if (!glyphs_) return;
    int index = 0;
    bool etched = false;
    switch (state) {
    case bsUp: index = 0; break;
    // clang-format off
    case bsDisabled: index = numGlyphs_ >= 2 ? 1 : 0; etched = numGlyphs_ < 2; break;
    case bsDown: index = numGlyphs_ >= 3 ? 2 : 0; break;
    case bsExclusive: index = numGlyphs_ >= 4 ? 3 : numGlyphs_ >= 3 ? 2 : 0; break;
        // clang-format on
    }
    int x = r.Left + (r.Width() - glyphs_->Width()) / 2;
    int y = r.Top + (r.Height() - glyphs_->Height()) / 2;
    glyphs_->Draw(Canvas(), x, y, index, !etched);
}

void TSpeedButton::Paint()
{
    TCanvas& c = Canvas();
    const TRect r = ClientRect();
    const TButtonState s = Enabled() ? state_ : bsDisabled;
    const bool pressed = s == bsDown || s == bsExclusive;
    unsigned themeState = pressed ? tsPressed : tsNormal;
    if (mouseInControl_ && Enabled()) themeState |= tsHot;
    if (!Enabled()) themeState |= tsDisabled;
    if (!flat_)
        ThemeServices().DrawPart(c, tpPushButton, r, themeState);
    else if (pressed || (mouseInControl_ && Enabled()))
        ThemeServices().DrawPart(c, tpToolButton, r, themeState);

    TRect content = r.Inflated(-2, -2);
    if (pressed) content.Offset(1, 1);
    if (!Caption().empty()) {
        TRect textRect = content;
        if (glyphs_) {
            TRect g{content.Left, content.Top, content.Left + glyphs_->Width() + 4, content.Bottom};
            DrawGlyph(g, s);
            textRect.Left = g.Right;
        }
        c.Font().Assign(Font());
        c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
        c.Brush().SetStyle(bsClear);
        c.DrawText(Caption(), textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        DrawGlyph(content, s);
    }
}

// ---- TScrollBar ----

TScrollBar::TScrollBar(TControl* parent, TScrollBarKind kind)
    : TControl(parent), bar_(new TStripPaintedBar(this)), kind_(kind)
{
    EraseBackground = false;
    // The Qt bar fills its background itself: it counts as opaque, so that its repaint
    // does not paint again the controls under it, the one holding it among them.
    bar_->setAutoFillBackground(true);
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->setOrientation(kind == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
    QObject::connect(bar_, &QAbstractSlider::actionTriggered, this,
                     [this](int action) { Guarded([&] { barAction(action); }); });
    QObject::connect(bar_, &QAbstractSlider::sliderReleased, this, [this] {
        Guarded([&] {
            scrollTo(scPosition, bar_->sliderPosition());
            scrollTo(scEndScroll, position_);
        });
    });
    if (kind == sbHorizontal)
        SetBounds(Left(), Top(), 121, 17);
    else
        SetBounds(Left(), Top(), 17, 121);
    syncBar();
}

void TScrollBar::SetKind(TScrollBarKind k)
{
    if (kind_ == k) return;
    kind_ = k;
    bar_->setOrientation(k == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
    SetBounds(Left(), Top(), Height(), Width());
}

int TScrollBar::MaxPosition() const
{
    return pageSize_ > 0 ? std::max(min_, max_ - pageSize_ + 1) : max_;
}

void TScrollBar::SetParams(int position, int min, int max)
{
    if (max < min) throw rtl::EInvalidOperation("Scroll bar property out of range");
    min_ = min;
    max_ = max;
    pageSize_ = std::min(pageSize_, max_ - min_ + 1);
    position = std::clamp(position, min_, MaxPosition());
    const bool changed = position != position_;
    position_ = position;
    syncBar();
    if (changed) Change();
}

void TScrollBar::SetPageSize(int v)
{
    v = std::clamp(v, 0, max_ - min_ + 1);
    if (v == pageSize_) return;
    pageSize_ = v;
    SetParams(position_, min_, max_);
    syncBar();
}

void TScrollBar::SetSmallChange(int v)
{
    smallChange_ = v;
    syncBar();
}

void TScrollBar::syncBar()
{
    syncing_ = true;
    bar_->setRange(min_, MaxPosition());
    bar_->setPageStep(pageSize_ > 0 ? pageSize_ : std::max(1, largeChange_));
    bar_->setSingleStep(std::max(1, smallChange_));
    bar_->setSliderPosition(position_);
    bar_->setValue(position_);
    syncing_ = false;
}

void TScrollBar::barAction(int action)
{
    if (syncing_) return;
    int pos = position_;
    TScrollCode code;
    switch (action) {
    // clang-format off
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; pos += smallChange_; break;
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; pos -= smallChange_; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; pos += largeChange_; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; pos -= largeChange_; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; pos = min_; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; pos = MaxPosition(); break;
    case QAbstractSlider::SliderMove: code = scTrack; pos = bar_->sliderPosition(); break;
    // clang-format on
    default: return;
    }
    scrollTo(code, pos);
    if (code != scTrack) scrollTo(scEndScroll, position_);
    // The bar moves where the scroll ended, not where its own step would have put it.
    syncBar();
}

void TScrollBar::scrollTo(TScrollCode code, int pos)
{
    pos = std::clamp(pos, min_, MaxPosition());
    if (scrollHook_) scrollHook_(code, pos);
    Scroll(code, pos);
    SetParams(pos, min_, max_);
}

void TScrollBar::Scroll(TScrollCode code, int& scrollPos)
{
    if (OnScroll) OnScroll(this, code, scrollPos);
}

void TScrollBar::Change()
{
    if (OnChange) OnChange(this);
}

void TScrollBar::Resize()
{
    TControl::Resize();
    const TPoint off = ClientOffset();
    bar_->setGeometry(off.X, off.Y, ClientWidth(), ClientHeight());
}

// ---- TGauge ----

TGauge::TGauge(TControl* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
    EraseBackground = false;
    SetBounds(Left(), Top(), 100, 16);
}

void TGauge::SetMinValue(int v)
{
    if (v == minValue_) return;
    minValue_ = std::min(v, maxValue_);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    Invalidate();
}

void TGauge::SetMaxValue(int v)
{
    if (v == maxValue_) return;
    maxValue_ = std::max(v, minValue_);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    Invalidate();
}

void TGauge::SetProgress(int v)
{
    v = std::clamp(v, minValue_, maxValue_);
    if (v == progress_) return;
    progress_ = v;
    Invalidate();
}

int TGauge::PercentDone() const
{
    const int range = maxValue_ - minValue_;
    return range > 0 ? rtl::MulDiv(progress_ - minValue_, 100, range) : 0;
}

// clang-format off
void TGauge::SetForeColor(TColor c) { if (foreColor_ != c) { foreColor_ = c; Invalidate(); } }
void TGauge::SetBackColor(TColor c) { if (backColor_ != c) { backColor_ = c; Invalidate(); } }
void TGauge::SetAlarmColor(TColor c) { if (alarmColor_ != c) { alarmColor_ = c; Invalidate(); } }
void TGauge::SetAlarmLevel(int v) { if (alarmLevel_ != v) { alarmLevel_ = v; Invalidate(); } }
void TGauge::SetShowText(bool v) { if (showText_ != v) { showText_ = v; Invalidate(); } }
void TGauge::SetKind(TGaugeKind k) { if (kind_ != k) { kind_ = k; Invalidate(); } }
// clang-format on

void TGauge::PaintTo(TCanvas& c, const TRect& r)
{
    if (r.IsEmpty()) return;
    c.Brush().SetColor(backColor_);
    c.FillRect(r);
    const int range = maxValue_ - minValue_;
    const int done = progress_ - minValue_;
    TRect bar = r;
    if (range > 0 && done > 0) {
        if (kind_ == gkHorizontalBar)
            bar.Right = r.Left + rtl::MulDiv(done, r.Width(), range);
        else
            bar.Top = r.Bottom - rtl::MulDiv(done, r.Height(), range);
        c.Brush().SetColor(BarColor());
        c.FillRect(bar);
    }
    if (showText_) {
        c.Font().Assign(Font());
        c.Brush().SetStyle(bsClear);
        TRect t = r;
        c.DrawText(std::to_string(PercentDone()) + "%", t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void TGauge::Paint() { PaintTo(Canvas(), ClientRect()); }

// ---- TShape ----

TShape::TShape(TControl* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
    EraseBackground = false;
    auto repaint = TNotifyEvent::FromFunction([this](TObject*) { Invalidate(); });
    pen_.OnChange = repaint;
    brush_.OnChange = repaint;
    SetBounds(Left(), Top(), 65, 65);
}

void TShape::Paint()
{
    Canvas().Pen().Assign(pen_);
    Canvas().Brush().Assign(brush_);
    Canvas().Rectangle(ClientRect());
}

// ---- TLabel ----

bool IsAccel(char key, const std::string& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return rtl::AnsiUpperChar(caption[i + 1]) == rtl::AnsiUpperChar(key);
    }
    return false;
}

TLabel::TLabel(TControl* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
    SetBounds(Left(), Top(), 65, 17);
}

void TLabel::SetFocusControl(TControl* control)
{
    if (control == focusControl_) return;
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = control;
    if (control) control->FreeNotification(this);
}

void TLabel::Notification(rtl::TComponent* component, rtl::TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation == rtl::opRemove && component == focusControl_) focusControl_ = nullptr;
}

// clang-format off
void TLabel::SetShowAccelChar(bool v) { if (showAccelChar_ != v) { showAccelChar_ = v; adjustBounds(); Invalidate(); } }
void TLabel::SetAlignment(TAlignment v) { if (alignment_ != v) { alignment_ = v; Invalidate(); } }
void TLabel::SetLayout(TTextLayout v) { if (layout_ != v) { layout_ = v; Invalidate(); } }
void TLabel::SetWordWrap(bool v) { if (wordWrap_ != v) { wordWrap_ = v; adjustBounds(); Invalidate(); } }
void TLabel::SetAutoSize(bool v) { if (autoSize_ != v) { autoSize_ = v; adjustBounds(); } }
// clang-format on

void TLabel::SetTransparent(bool v)
{
    EraseBackground = !v;
    Invalidate();
}

unsigned TLabel::textFormat() const
{
    unsigned f = DT_EXPANDTABS;
    f |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!showAccelChar_) f |= DT_NOPREFIX;
    if (alignment_ == taRightJustify) f |= DT_RIGHT;
    else if (alignment_ == taCenter) f |= DT_CENTER;
    return f;
}

void TLabel::adjustBounds()
{
    if (!autoSize_) return;
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    // Measuring draws nothing: a canvas without a painter is enough.
    TRect r{0, 0, wordWrap_ ? Width() : 0, 0};
    const std::string text = Caption().empty() ? std::string(" ") : Caption();
    c.DrawText(text, r, textFormat() | DT_CALCRECT);
    SetBounds(Left(), Top(), wordWrap_ ? Width() : r.Width(), r.Height());
}

void TLabel::TextChanged()
{
    TControl::TextChanged();
    adjustBounds();
}

void TLabel::FontChanged()
{
    TControl::FontChanged();
    adjustBounds();
}

void TLabel::Paint()
{
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    TRect r = ClientRect();
    if (layout_ != tlTop) {
        TRect measured = r;
        c.DrawText(Caption(), measured, textFormat() | DT_CALCRECT);
        const int room = r.Height() - measured.Height();
        r.Top += layout_ == tlCenter ? room / 2 : room;
    }
    c.DrawText(Caption(), r, textFormat());
}

bool TLabel::DialogChar(char key)
{
    if (!showAccelChar_ || !IsAccel(key, Caption()) || !focusControl_ || !focusControl_->CanFocus()) return false;
    focusControl_->SetFocus();
    return true;
}

// ---- TButton ----

TButton::TButton(TControl* parent) : TControl(parent)
{
    SetTabStop(true);
    setFocusPolicy(Qt::StrongFocus);
    SetBounds(Left(), Top(), 75, 25);
}

void TButton::SetDefault(bool v)
{
    if (default_ == v) return;
    default_ = v;
    Invalidate();
}

void TButton::Click()
{
    if (modalResult_ != mrNone)
        if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
    TControl::Click();
}

void TButton::setPressed(bool v)
{
    if (pressed_ == v) return;
    pressed_ = v;
    Invalidate();
}

bool TButton::active() const
{
    if (Focused()) return true;
    if (!default_) return false;
    TForm* form = ParentForm();
    return !(form && dynamic_cast<TButton*>(form->ActiveControl()));
}

void TButton::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (active()) {
        // The default frame: one dark line round the face.
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
        r.Inflate(-1, -1);
    }
    unsigned state = pressed_ ? tsPressed : tsNormal;
    if (!Enabled()) state |= tsDisabled;
    ThemeServices().DrawPart(c, tpPushButton, r, state);
    TRect text = r.Inflated(-4, -4);
    if (pressed_) text.Offset(1, 1);
    c.Font().Assign(Font());
    c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
    c.Brush().SetStyle(bsClear);
    c.DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) c.DrawFocusRect(r.Inflated(-3, -3));
}

void TButton::KeyDown(Word& key, TShiftState shift)
{
    TControl::KeyDown(key, shift);
    if (key == VK_SPACE && !(shift & (ssCtrl | ssAlt))) {
        spaceDown_ = true;
        setPressed(true);
        key = 0;
    }
}

void TButton::KeyUp(Word& key, TShiftState shift)
{
    TControl::KeyUp(key, shift);
    if (key != VK_SPACE || !spaceDown_) return;
    spaceDown_ = false;
    setPressed(false);
    key = 0;
    Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
    TControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    mouseDown_ = true;
    setPressed(true);
}

void TButton::MouseMove(TShiftState shift, int x, int y)
{
    TControl::MouseMove(shift, x, y);
    if (mouseDown_) setPressed(ClientRect().Contains({x, y}));
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft) {
        mouseDown_ = false;
        setPressed(false);
    }
    TControl::MouseUp(button, shift, x, y);
}

void TButton::FocusIn(TControl* previous)
{
    TControl::FocusIn(previous);
    Invalidate();
}

void TButton::FocusOut(TControl* next)
{
    TControl::FocusOut(next);
    spaceDown_ = false;
    setPressed(false);
    Invalidate();
}

bool TButton::DialogChar(char key)
{
    if (!IsAccel(key, Caption()) || !CanFocus()) return false;
    Click();
    return true;
}

// ---- TButtonControl ----

TButtonControl::TButtonControl(TControl* parent) : TControl(parent)
{
    SetTabStop(true);
    setFocusPolicy(Qt::StrongFocus);
}

// ---- TPanel ----

TPanel::TPanel(TControl* parent) : TControl(parent)
{
    setFocusPolicy(Qt::NoFocus);
    SetBounds(Left(), Top(), 185, 41);
}

// clang-format off
void TPanel::SetBevelOuter(TBevelCut v) { if (bevelOuter_ != v) { bevelOuter_ = v; Invalidate(); } }
void TPanel::SetBevelInner(TBevelCut v) { if (bevelInner_ != v) { bevelInner_ = v; Invalidate(); } }
void TPanel::SetBevelWidth(int v) { v = std::max(1, v); if (bevelWidth_ != v) { bevelWidth_ = v; Invalidate(); } }
void TPanel::SetBorderWidth(int v) { v = std::max(0, v); if (borderWidth_ != v) { borderWidth_ = v; Invalidate(); } }
void TPanel::SetAlignment(TAlignment v) { if (alignment_ != v) { alignment_ = v; Invalidate(); } }
// clang-format on

TRect TPanel::InnerRect() const
{
    const int inset = (bevelOuter_ != bvNone ? bevelWidth_ : 0) + borderWidth_ + (bevelInner_ != bvNone ? bevelWidth_ : 0);
    return ClientRect().Inflated(-inset, -inset);
}

void TPanel::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    // A bevel: width rings, light above and left, dark below and right (or reversed).
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        TColor light = clBtnHighlight, dark = clBtnShadow;
        if (cut == bvLowered) std::swap(light, dark);
        if (cut == bvSpace) light = dark = Color();
        for (int i = 0; i < bevelWidth_ && !r.IsEmpty(); ++i) {
            c.Brush().SetColor(light);
            c.FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1});
            c.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1});
            c.Brush().SetColor(dark);
            c.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
            c.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
            r.Inflate(-1, -1);
        }
    };
    bevel(bevelOuter_);
    r.Inflate(-borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    unsigned format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (alignment_ == taRightJustify) format |= DT_RIGHT;
    else if (alignment_ == taCenter) format |= DT_CENTER;
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    c.Brush().SetStyle(bsClear);
    c.DrawText(Caption(), r, format);
}

} // namespace ui
