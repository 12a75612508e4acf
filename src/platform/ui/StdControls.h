#pragma once
// Small controls: speed button, scroll bar, gauge, shape, label, push button and panel.
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/Bitmap.h"
#include "platform/ui/Control.h"

class QScrollBar;

namespace ui {

// ---- speed button ----

// clang-format off
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
// clang-format on

// A button without focus. Pressed while the left button is held over it; clicks on
// release only when released over itself (and a descendant did not suppress that
// click). The caption is drawn in the font's colour (grey text when disabled). With a GroupIndex it stays down after a
// click, releasing the other buttons of its group; a down button of a group comes up
// again by a click only with AllowAllUp. Flat buttons show their face only while hot
// or down. The glyph holds NumGlyphs images side by side: up, disabled, pressed, down.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TControl* parent = nullptr);

    bool Down() const { return down_; }
    void SetDown(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v) { allowAllUp_ = v; }
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& b);
    int NumGlyphs() const { return numGlyphs_; }
    // 1 to 4; other values are brought into that range.
    void SetNumGlyphs(int v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }

    void Click() override;

protected:
    // Set by a descendant before the base's MouseUp runs: that release clicks nothing.
    bool NoClickOnRelease = false;
    void SetState(TButtonState s);
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void CaptureCancelled() override;
    void EnabledChanged() override;
    // Draws the glyph part for the state centred in r.
    void DrawGlyph(const TRect& r, TButtonState state);

private:
    void releaseGroup();
    void rebuildGlyphs();

    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool flat_ = false;
    bool transparent_ = false;
    TBitmap glyph_;
    int numGlyphs_ = 1;
    std::unique_ptr<TCustomImageList> glyphs_;
    TButtonState state_ = bsUp;
    bool dragging_ = false;
    bool mouseInControl_ = false;
};

// ---- scroll bar ----

// clang-format off
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
// clang-format on

using TScrollEvent = rtl::Delegate<void(TObject* Sender, TScrollCode Code, int& ScrollPos)>;

// A scroll bar whose page is part of its range: with a page size P the thumb covers
// P positions and the largest position is Max - P + 1.
class TScrollBar : public TControl {
public:
    explicit TScrollBar(TControl* parent = nullptr, TScrollBarKind kind = sbHorizontal);

    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind k);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int PageSize() const { return pageSize_; }
    int SmallChange() const { return smallChange_; }
    int LargeChange() const { return largeChange_; }
    void SetMin(int v) { SetParams(position_, v, max_); }
    void SetMax(int v) { SetParams(position_, min_, v); }
    // Positions are kept between Min and MaxPosition().
    void SetPosition(int v) { SetParams(v, min_, max_); }
    void SetPageSize(int v);
    void SetSmallChange(int v);
    void SetLargeChange(int v) { largeChange_ = v; }
    // Throws rtl::EInvalidOperation when max < min.
    void SetParams(int position, int min, int max);
    // The largest position the thumb can reach: Max - PageSize + 1 (Max without a page).
    int MaxPosition() const;

    // The Qt bar inside (tests drive it).
    QScrollBar* Bar() const { return bar_; }

    // Another control's hook on the bar's scroll notices: it sees each notice first (and
    // may move the position), then the bar handles it as usual. One hook at a time;
    // empty when the bar handles its notices alone.
    using TScrollHook = std::function<void(TScrollCode code, int& scrollPos)>;
    const TScrollHook& ScrollHook() const { return scrollHook_; }
    void SetScrollHook(TScrollHook hook) { scrollHook_ = std::move(hook); }

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    virtual void Scroll(TScrollCode code, int& scrollPos);
    virtual void Change();
    void Resize() override;

private:
    void syncBar();
    void barAction(int action);
    void scrollTo(TScrollCode code, int pos);

    QScrollBar* bar_;
    TScrollBarKind kind_;
    int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0, smallChange_ = 1, largeChange_ = 1;
    bool syncing_ = false;
    TScrollHook scrollHook_;
};

// ---- gauge ----

// clang-format off
enum TGaugeKind { gkHorizontalBar, gkVerticalBar };
// clang-format on

// A bar gauge. Defaults: range 0 to 500, white background, no text, the bar lime up
// to AlarmLevel (100) and AlarmColor (red) above it: the backlog gauge of a unit.
class TGauge : public TControl {
public:
    explicit TGauge(TControl* parent = nullptr);

    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    void SetMinValue(int v);
    void SetMaxValue(int v);
    int Progress() const { return progress_; }
    // Kept between MinValue and MaxValue.
    void SetProgress(int v);
    void AddProgress(int v) { SetProgress(progress_ + v); }
    int PercentDone() const;
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor c);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor c);
    TColor AlarmColor() const { return alarmColor_; }
    void SetAlarmColor(TColor c);
    int AlarmLevel() const { return alarmLevel_; }
    void SetAlarmLevel(int v);
    bool ShowText() const { return showText_; }
    void SetShowText(bool v);
    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind k);
    // The bar's colour now: AlarmColor above AlarmLevel, else ForeColor.
    TColor BarColor() const { return progress_ > alarmLevel_ ? alarmColor_ : foreColor_; }

    // Draws the gauge into r of any canvas (a list cell may show it).
    void PaintTo(TCanvas& canvas, const TRect& r);

protected:
    void Paint() override;

private:
    int minValue_ = 0, maxValue_ = 500, progress_ = 0;
    TColor foreColor_ = clLime, backColor_ = clWhite, alarmColor_ = clRed;
    int alarmLevel_ = 100;
    bool showText_ = false;
    TGaugeKind kind_ = gkHorizontalBar;
};

// ---- shape ----

// A rectangle in the pen and brush (the separators beside edit buttons).
class TShape : public TControl {
public:
    explicit TShape(TControl* parent = nullptr);
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

protected:
    void Paint() override;

private:
    TPen pen_;
    TBrush brush_;
};

// ---- label ----

// Whether key is the accelerator of caption: the character after a single '&' (letter
// case ignored).
bool IsAccel(char key, const std::string& caption);

// Static text. An '&' in the caption underlines the next character, whose Alt key
// focuses FocusControl. With AutoSize (the default) the label takes its text's size.
class TLabel : public TControl {
public:
    explicit TLabel(TControl* parent = nullptr);

    TControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TControl* control);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Transparent() const { return !EraseBackground; }
    void SetTransparent(bool v);

    void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    bool DialogChar(char key) override;

private:
    unsigned textFormat() const;
    void adjustBounds();

    TControl* focusControl_ = nullptr;
    bool showAccelChar_ = true;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool autoSize_ = true;
};

// ---- push button ----

// A push button with the focus. It clicks on a release over itself, on Space, on Enter
// while focused, on its accelerator (Alt and the '&' character of the caption); the
// form's Enter clicks its Default button (unless another button has the focus) and
// Esc its Cancel button. A click sets the form's ModalResult to the button's.
class TButton : public TControl {
public:
    explicit TButton(TControl* parent = nullptr);

    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    bool Pressed() const { return pressed_; }

    void Click() override;

protected:
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyUp(Word& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void FocusIn(TControl* previous) override;
    void FocusOut(TControl* next) override;
    bool DialogChar(char key) override;

private:
    void setPressed(bool v);
    // Shows the default frame: focused, or the default button while no other button is.
    bool active() const;

    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    bool pressed_ = false;
    bool mouseDown_ = false;
    bool spaceDown_ = false;
};

// ---- button control ----

// The base of buttons that show a checked state (check boxes): a tab stop that takes the
// focus, with Checked through virtual operations.
class TButtonControl : public TControl {
public:
    explicit TButtonControl(TControl* parent = nullptr);

    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
};

// ---- panel ----

// clang-format off
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
// clang-format on

// A raised (or lowered) area with a caption: the outer bevel, a border of BorderWidth
// in the panel's colour, the inner bevel, then the caption, aligned horizontally and
// centred vertically.
class TPanel : public TControl {
public:
    explicit TPanel(TControl* parent = nullptr);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    // The rectangle left inside the bevels and the border.
    TRect InnerRect() const;

protected:
    void Paint() override;

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

} // namespace ui
