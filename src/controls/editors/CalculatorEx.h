#pragma once
// A small four-function calculator: a display and 23 buttons, a key processor with
// percent, reciprocal, square root, sign change, clipboard copy and paste, and an error
// state. TPopupCalculatorEx is the same calculator as a drop-down window: the editor that
// owns it reads and writes its value through IPopupValueEditorEx, and the calculator
// closes itself through the owner's IPopupOwnerEx.
#include <string>

#include "controls/editors/EditButtons.h"
#include "controls/editors/EditInterfaces.h"
#include "platform/ui/StdControls.h"

namespace editors {

// First: the next digit starts a new number. Valid: a number is being typed. Error: the
// display reads "Error" and only C or Esc are taken.
// clang-format off
enum class TCalcStatus { First, Valid, Error };
// clang-format on

class TCalculatorEx : public ui::TControl {
public:
    explicit TCalculatorEx(ui::TControl* parent = nullptr);

    // The keys: digits; '.', ',' or the locale's decimal separator; Backspace; 'C' and Esc
    // (clear); '+', '-', '*', '/', '%', '=' and Enter (operators); 'I' (sign), 'R' (1/x),
    // 'S' (square root); Ctrl+C (#3) copies the display, Ctrl+V (#22) pastes a number.
    // Letters in either case. Other keys do nothing.
    virtual void CalcKey(char Key);
    // The click of a calculator button: the key of the sender's Tag.
    void SpeedButtonClick(rtl::TObject* Sender);

    // 0 in the error state. A display that does not read as a finite number puts the
    // calculator in the error state (and reads 0).
    double GetDisplayValue();
    // A value that is not finite puts the calculator in the error state; -0 shows "0".
    void SetDisplayValue(double Value);
    const std::string& GetDisplayText() const { return display_->Caption(); }
    TCalcStatus GetStatus() const { return status_; }

    // On by default: the calculator keeps the size of its layout plus its frame.
    bool GetAutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    void SetBounds(int left, int top, int width, int height) override;
    // The screen resolution the layout was made for (the screen's); 1 to 35 are ignored.
    int GetPixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int Value);

protected:
    // The display's number: false in the error state and for a display that does not read
    // as a finite number.
    bool DisplayNumber(double& Value) const;
    // The display's number, or false after putting the calculator in the error state.
    bool ReadDisplay(double& Value);
    bool EqualsReadsOk() const;

    void KeyPress(char& key) override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    void Resize() override;

private:
    void buildLayout();
    ui::TRect scaled(const ui::TRect& designRect) const;
    ui::TSize autoSizeBounds();
    bool stepDisplay(double delta);

    void clear();
    void setError();
    void startNumber();
    void typeDigit(char digit);
    void typeSeparator();
    void backspace();
    void negate();
    void reciprocal();
    void squareRoot();
    void copyDisplay();
    void pasteNumber();
    void applyOperator(char key);
    // The pending operation on the operand and r, the number just typed.
    void applyPending(char key, double r);
    void updateEqualsCaption();

    TSpeedButtonEx* equals_ = nullptr;
    ui::TPanel* display_ = nullptr;
    // The client size of the layout (scaled to the font).
    int layoutClientWidth_ = 0;
    int layoutClientHeight_ = 0;
    double operand_ = 0;
    char operator_ = '=';
    int pixelsPerInch_ = 96;
    TCalcStatus status_ = TCalcStatus::First;
    // Layout units per design pixel: the height of "0" in the font over the design's 13.
    int scaleNumerator_ = 1;
    int scaleDenominator_ = 1;
    bool autoSize_ = true;
};

// The calculator as a drop-down window of the editor that owns it. It never takes the
// focus or activation; the owner passes it what is typed while it is open (the key events
// sent on to it, or their characters to CalcKey) and its mouse wheel (DoMouseWheel). Enter or '=' while the equals button
// reads "Ok" (its click too) closes it accepting, Esc and CM_CLOSEUPNOACCEPT without.
class TPopupCalculatorEx : public TCalculatorEx, public IPopupValueEditorEx {
public:
    explicit TPopupCalculatorEx(ui::TControl* owner);

    // IPopupValueEditorEx
    bool IsOk() const override { return EqualsReadsOk(); }
    bool GetFlat() const override { return flat_; }
    // The display value as a double; an error value while the calculator shows an error.
    rtl::Variant GetValue() const override;
    // Sets Flat of every button.
    void SetFlat(bool Value) override;
    // Clears, then shows the value converted to a number (rtl conversion errors pass on).
    void SetValue(const rtl::Variant& Value) override;

    void CalcKey(char Key) override;
    bool CanFocus() const override { return false; }
    // It stays a window of its own: its parent is the control it drops down for.
    void SetParent(ui::TControl* parent) override;
    // The wheel as the owner passes it on; true when the calculator used it.
    using TCalculatorEx::DoMouseWheel;

    // 2 with Ctl3D, else 0 (a one-pixel window border instead).
    int BorderWidth() const { return Ctl3D() ? 2 : 0; }

protected:
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    unsigned DialogCode() const override;
    void WndProc(ui::TMessage& message) override;
    void CalcNonClientSize(ui::TRect& client) override;
    void PaintNonClient(ui::TCanvas& canvas) override;

private:
    // Closes through the owner; false when the owner cannot close drop-downs.
    bool closeUp(bool accept);

    bool flat_ = false;
};

} // namespace editors
