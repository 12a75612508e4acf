#pragma once
// The data-aware numeric editor. Its value is a number (a double) or Null beside the text:
// the keys are filtered so that only a number can be typed, the value shows in the display
// format while the editor is not focused and in an edit picture while it is, keeps to a
// range, rounds to DecimalPlaces, steps by Increment (Up and Down, the wheel, an up/down
// main button) and can be worked out on a drop-down calculator.
//
// - Typing: '.' and ',' both type the decimal separator; a key is taken only when the
//   whole text it would give still reads as a number (or a lone sign) with no more than
//   DecimalPlaces decimals, and not below zero while MinValue >= 0 and MaxValue > 0.
//   With an edit picture holding "," the integer digits are grouped in threes as they
//   are typed.
// - Text to value: every change of the text the user makes gives the value: empty, blank
//   or a lone sign is Null; a number is clamped to the limits and rounded. A text that is
//   not (yet) a number ("1e" after a deletion) leaves the value as it was; a paste that
//   would give one is refused. The text stays as typed until the value is next shown.
// - Programmatic Text and Value, and a value accepted from the calculator, are neither
//   clamped nor rounded. A Text or Value that is no finite number raises EConvertError to
//   the caller and changes nothing.
// - Limits (the explicit MinValue and MaxValue only): equal limits mean none; min > max
//   keeps only the lower one when max is 0, only the upper one when min is 0, else none.
// - The calculator: the main button (unless it is an up/down pair) or its shortcut
//   Alt+Down drops it down below the editor (right edges aligned under right-to-left
//   alignment); while it is open the keys that type, Enter and Backspace go to it, Esc
//   closes it, and so do a press outside and the loss of the focus.
#include <QPointer>

#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DBCtrlsEx.h"
#include "controls/editors/MRUList.h"

namespace editors {

class TCustomDBNumberEditEx : public TCustomDBEditEx {
public:
    explicit TCustomDBNumberEditEx(ui::TControl* parent = nullptr);
    ~TCustomDBNumberEditEx() override;

    // ---- number settings. An unassigned DisplayFormat, currency flag, MaxValue or MinValue
    // reads the bound field's (limits of an integer, float or BCD field).
    bool GetCurrency() const;
    void SetCurrency(bool Value);
    bool CurrencyAssigned() const { return currencyAssigned_; }
    unsigned GetDecimalPlaces() const { return decimalPlaces_; }
    // Shows the value again in the new places (the value itself is not rounded).
    void SetDecimalPlaces(unsigned Value);
    std::string GetDisplayFormat() const;
    void SetDisplayFormat(const std::string& Value);
    bool DisplayFormatAssigned() const { return displayFormatAssigned_; }
    double GetIncrement() const { return increment_; }
    void SetIncrement(double Value) { increment_ = Value; }
    double GetMaxValue() const;
    void SetMaxValue(double Value);
    bool MaxValueAssigned() const { return maxValueAssigned_; }
    double GetMinValue() const;
    void SetMinValue(double Value);
    bool MinValueAssigned() const { return minValueAssigned_; }
    // The picture the value is edited in: from DisplayFormat, else ",#.00" (the currency
    // decimals) for currency, else none (the general form).
    const std::string& EditFormat() const { return editFormat_; }

    // The value formatted for display: DisplayFormat, else currency, else the general
    // form with 15 digits; empty for Null.
    virtual std::string GetDisplayValueText() const;
    // What the unfocused editor paints: the text it shows, which is the value for display
    // (a bound field's own display text may use another format).
    std::string GetDisplayText() const override;

    // ---- the calculator
    // Made on first use, owned by the editor.
    virtual TPopupCalculatorEx* GetCalculator();
    // Opens the calculator below the editor with the value (0 for Null).
    void DropDown() override;
    // Closes the calculator; accepting takes its number as the value (unless ReadOnly or
    // the link cannot edit). The editor stays as it is.
    void CloseUp(bool Accept) override;
    // Before the calculator opens; after it closed.
    rtl::TNotifyEvent OnDropDown;
    TCloseUpEventEx OnCloseUp;

protected:
    TEditButtonEx* CreateEditButton() override;
    // Right-justified without a field.
    ui::TAlignment DefaultAlignment() const override;
    // The box edits in the editor's alignment (mirrored on screen under right-to-left
    // alignment).
    ui::TAlignment EditWindowAlignment() const override;
    rtl::Variant GetVariantValue() const override { return value_; }
    // The key filter's test of the text the key would give.
    bool IsValidChar(char Key) const override;
    // An up/down main button steps the value (unless ReadOnly); others drop down.
    void EditButtonDefaultAction(bool TopButton) override;
    // The value follows the field (or the kept value); the edit picture is rebuilt.
    void DataChanged() override;
    // Text: blank or a lone sign gives Null, else the number it reads as (EConvertError
    // otherwise); no clamping.
    void SetEditText(const std::string& Text) override;
    // Shows a value: in the edit picture while focused and editable, else for display.
    void InternalSetValue(const rtl::Variant& Value) override;
    // Writes the value (not the text).
    void PostTextToField() override;

    // One Increment up or down (Increment itself from Null), clamped and rounded.
    void StepValue(bool Up);
    // The explicit limits, then DecimalPlaces.
    double ClampAndRound(double Value) const;
    // Lays S (normalized) into the text with the integer digits grouped when the edit
    // picture groups them; the caret keeps its place among the digits.
    virtual void ApplyThousandSeparators(const std::string& S);

    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    bool WantSpecialKey(ui::Word key, ui::TShiftState shift) override;
    bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
    bool DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) override;
    bool DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) override;
    void FocusOut(ui::TControl* next) override;
    void CancelMode(ui::TControl* sender) override;
    // Refused when the text would not read as a number.
    void PasteFromClipboard() override;
    // Only recently used texts that read as numbers are offered: taking another would fail.
    void FilterMRUItem(const std::string& AText, bool& Accept) override;
    // While the calculator is open the keys that type, Enter and Backspace go to it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Sets the text as the editor itself does: no text-to-value.
    void setTextGuarded(const std::string& text);
    void textToValue();
    bool wheelStep(bool up, ui::TShiftState shift);
    bool calculatorOwns(const ui::TControl* control) const;
    void settingsChanged();
    // The bound field's lower or upper limit (of an integer, float or BCD field), else 0.
    double fieldLimit(bool upper) const;
    void setLimit(double& limit, bool& assigned, double value);

    rtl::Variant value_ = rtl::Null();
    QPointer<TPopupCalculatorEx> calculator_;
    std::string displayFormat_;
    std::string editFormat_;
    unsigned decimalPlaces_ = 2;
    double increment_ = 1.0;
    double minValue_ = 0;
    double maxValue_ = 0;
    bool currency_ = false;
    bool currencyAssigned_ = false;
    bool displayFormatAssigned_ = false;
    bool minValueAssigned_ = false;
    bool maxValueAssigned_ = false;
    bool inSetText_ = false;
};

// The numeric editor as the windows use it.
class TDBNumberEditEx : public TCustomDBNumberEditEx {
public:
    using TCustomDBNumberEditEx::TCustomDBNumberEditEx;
};

} // namespace editors
