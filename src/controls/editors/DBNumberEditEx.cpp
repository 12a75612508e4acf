#include "controls/editors/DBNumberEditEx.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/NumberEditText.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Popup.h"

namespace editors {

namespace {

// The largest amount a currency holds, in whole units.
constexpr double kCurrencyLimit = 922337203685477.5807;

// A value as currency text: the amount to four decimals (a half to even, as the number
// reads) in the currency format. An amount beyond the currency range shows unrounded.
std::string CurrencyText(double value)
{
    const int decimals = rtl::FormatSettings.CurrencyDecimals;
    if (!(std::fabs(value) < kCurrencyLimit)) return rtl::FloatToStrF(value, rtl::ffCurrency, 15, decimals);
    return rtl::CurrToStrF(rtl::Currency::FromDouble(value), rtl::ffCurrency, decimals);
}

bool IsNumberType(rtl::TVarType type)
{
    return type == rtl::varSmallint || type == rtl::varInteger || type == rtl::varSingle || type == rtl::varDouble
           || type == rtl::varCurrency;
}

} // namespace

TCustomDBNumberEditEx::TCustomDBNumberEditEx(ui::TControl* parent) : TCustomDBEditEx(parent)
{
    SetMaxLength(0);
    CreateParts(); // the main button is a drop-down button
    EditWindow()->installEventFilter(this);
    DataChanged();
    UpdateEditButtonControls();
}

TCustomDBNumberEditEx::~TCustomDBNumberEditEx() { EditWindow()->removeEventFilter(this); }

TEditButtonEx* TCustomDBNumberEditEx::CreateEditButton() { return new TDropDownEditButtonEx(this); }

// ---- number settings ----

bool TCustomDBNumberEditEx::GetCurrency() const
{
    if (currencyAssigned_) return currency_;
    const db::TField* field = DataLink()->Field();
    const bool amountField = dynamic_cast<const db::TFloatField*>(field) || dynamic_cast<const db::TBCDField*>(field);
    return amountField && field->GetCurrency();
}

void TCustomDBNumberEditEx::SetCurrency(bool Value)
{
    if (currencyAssigned_ && currency_ == Value) return;
    currency_ = Value;
    currencyAssigned_ = true;
    settingsChanged();
}

std::string TCustomDBNumberEditEx::GetDisplayFormat() const
{
    if (displayFormatAssigned_) return displayFormat_;
    const db::TField* field = DataLink()->Field();
    if (dynamic_cast<const db::TNumericField*>(field) || dynamic_cast<const db::TDateTimeField*>(field))
        return field->GetDisplayFormat();
    return {};
}

void TCustomDBNumberEditEx::SetDisplayFormat(const std::string& Value)
{
    if (displayFormatAssigned_ && displayFormat_ == Value) return;
    displayFormat_ = Value;
    displayFormatAssigned_ = true;
    settingsChanged();
}

void TCustomDBNumberEditEx::settingsChanged()
{
    Invalidate();
    DataChanged();
    UpdateEditButtonControls();
}

void TCustomDBNumberEditEx::SetDecimalPlaces(unsigned Value)
{
    if (decimalPlaces_ == Value) return;
    decimalPlaces_ = Value;
    settingsChanged();
}

double TCustomDBNumberEditEx::fieldLimit(bool upper) const
{
    const db::TField* field = DataLink()->Field();
    if (auto* integer = dynamic_cast<const db::TIntegerField*>(field))
        return static_cast<double>(upper ? integer->GetMaxValue() : integer->GetMinValue());
    if (auto* bcd = dynamic_cast<const db::TBCDField*>(field))
        return (upper ? bcd->GetMaxValue() : bcd->GetMinValue()).ToDouble();
    if (auto* number = dynamic_cast<const db::TFloatField*>(field))
        return upper ? number->GetMaxValue() : number->GetMinValue();
    return 0;
}

double TCustomDBNumberEditEx::GetMaxValue() const { return maxValueAssigned_ ? maxValue_ : fieldLimit(true); }

double TCustomDBNumberEditEx::GetMinValue() const { return minValueAssigned_ ? minValue_ : fieldLimit(false); }

void TCustomDBNumberEditEx::setLimit(double& limit, bool& assigned, double value)
{
    if (assigned && limit == value) return;
    limit = value;
    if (!HasState(rtl::csLoading) && DataIndependent()) UpdateData();
    assigned = true;
}

void TCustomDBNumberEditEx::SetMaxValue(double Value) { setLimit(maxValue_, maxValueAssigned_, Value); }

void TCustomDBNumberEditEx::SetMinValue(double Value) { setLimit(minValue_, minValueAssigned_, Value); }

double TCustomDBNumberEditEx::ClampAndRound(double Value) const
{
    return RoundToPlaces(ClampToLimits(Value, minValue_, maxValue_), decimalPlaces_);
}

// ---- value and text ----

std::string TCustomDBNumberEditEx::GetDisplayValueText() const
{
    if (value_.IsNull()) return {};
    const double value = value_.AsFloat();
    const std::string format = GetDisplayFormat();
    if (!format.empty()) return rtl::FormatFloat(format, value);
    if (GetCurrency()) return CurrencyText(value);
    return rtl::FloatToStr(value);
}

std::string TCustomDBNumberEditEx::GetDisplayText() const
{
    if (HasState(rtl::csDesigning) && !DataLink()->Active()) return TCustomDBEditEx::GetDisplayText();
    return EditText();
}

ui::TAlignment TCustomDBNumberEditEx::DefaultAlignment() const
{
    return DataLink()->Field() ? TCustomDBEditEx::DefaultAlignment() : ui::taRightJustify;
}

ui::TAlignment TCustomDBNumberEditEx::EditWindowAlignment() const { return GetAlignment(); }

void TCustomDBNumberEditEx::setTextGuarded(const std::string& text)
{
    if (inSetText_) return;
    const rtl::TFlagScope flagged(inSetText_);
    TCustomDBEditEx::SetEditText(text);
}

void TCustomDBNumberEditEx::SetEditText(const std::string& Text)
{
    const std::string text = NormalizeNumberText(Text);
    double number = 0;
    switch (ReadNumberText(text, number)) {
    case TNumberText::Empty: InternalSetValue(rtl::Null()); return;
    case TNumberText::Number: InternalSetValue(number); return;
    case TNumberText::NotANumber: break;
    }
    throw rtl::EConvertError("'" + text + "' is not a valid floating point value");
}

void TCustomDBNumberEditEx::InternalSetValue(const rtl::Variant& Value)
{
    if (Value.IsNull()) {
        value_ = rtl::Null();
        setTextGuarded({});
        return;
    }
    const double number = NumberOfValue(Value);
    value_ = number;
    DataLink()->Modified();
    if (FocusedFlag() && DataLink()->CanModify()) ApplyThousandSeparators(rtl::FormatFloat(editFormat_, number));
    else setTextGuarded(GetDisplayValueText());
}

void TCustomDBNumberEditEx::ApplyThousandSeparators(const std::string& S)
{
    const std::string text = ThousandsGroupedText(S, editFormat_.find(',') != std::string::npos);
    const std::string current = EditText();
    if (text == current) return;
    const int start = SelStart();
    setTextGuarded(text);
    // The caret stays behind the digit it was behind.
    if (Focused() && !HasState(rtl::csDesigning))
        SetSelStart(start + static_cast<int>(text.size()) - static_cast<int>(current.size()));
}

void TCustomDBNumberEditEx::textToValue()
{
    double number = 0;
    switch (ReadNumberText(NormalizeNumberText(EditText()), number)) {
    case TNumberText::Empty: value_ = rtl::Null(); break;
    case TNumberText::Number: value_ = ClampAndRound(number); break;
    case TNumberText::NotANumber: break; // not yet a number ("1e"): the value waits for one
    }
}

void TCustomDBNumberEditEx::Change()
{
    const bool byUser = !inSetText_ && !InternalTextChange();
    if (byUser) textToValue();
    TCustomDBEditEx::Change();
    if (byUser) ApplyThousandSeparators(EditText());
}

void TCustomDBNumberEditEx::DataChanged()
{
    const std::string displayFormat = GetDisplayFormat();
    editFormat_ = !displayFormat.empty() ? EditFormatOfDisplayFormat(displayFormat)
                  : GetCurrency()        ? CurrencyEditFormat()
                                         : std::string();
    UpdateEditWindowAlignment();
    rtl::Variant value = rtl::Null();
    if (const db::TField* field = DataLink()->Field()) value = field->GetAsVariant();
    else if (DataIndependent()) value = DataLink()->GetKeptValue();
    // What is no number (a text field's words) shows as empty; it is not written back
    // unless the user types a number.
    double number = 0;
    InternalSetValue(TryNumberOfValue(value, number) ? rtl::Variant(number) : rtl::Null());
    UpdateReadOnlyState();
    SetModified(false);
}

void TCustomDBNumberEditEx::PostTextToField() { DataLink()->SetValue(value_); }

// ---- keys ----

bool TCustomDBNumberEditEx::IsValidChar(char Key) const
{
    std::string text = EditText();
    const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(SelStart()), text.size());
    text.replace(start, static_cast<std::size_t>(SelLength()), 1, Key);
    return NumberTextAcceptable(NormalizeNumberText(text), decimalPlaces_, minValue_ >= 0 && maxValue_ > 0);
}

void TCustomDBNumberEditEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    TCustomDBEditEx::KeyDown(key, shift);
    if ((key == ui::VK_UP || key == ui::VK_DOWN) && !ReadOnly()) {
        StepValue(key == ui::VK_UP);
        key = 0;
    }
}

void TCustomDBNumberEditEx::KeyPress(char& key)
{
    if (DroppedDown() && (key == '\r' || key == '\x1b')) {
        CloseUp(key == '\r');
        key = 0;
        return;
    }
    const char thousands = rtl::FormatSettings.ThousandSeparator;
    if (key == '\b' && SelLength() == 0 && thousands != 0 && thousands != rtl::FormatSettings.DecimalSeparator) {
        // Over a thousands separator Backspace only moves the caret.
        const int at = SelStart();
        const std::string text = EditText();
        if (at > 0 && at <= static_cast<int>(text.size()) && text[at - 1] == thousands) {
            SetSelStart(at - 1);
            key = 0;
            return;
        }
    }
    TCustomDBEditEx::KeyPress(key); // Esc resets there
    if (key == 0) return;
    if (key == ',' || key == '.') key = rtl::FormatSettings.DecimalSeparator;
    if (static_cast<unsigned char>(key) >= 32 && !IsValidChar(key)) key = 0;
}

bool TCustomDBNumberEditEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    if (DroppedDown() && (key == ui::VK_RETURN || key == ui::VK_ESCAPE)) return true;
    return TCustomDBEditEx::WantSpecialKey(key, shift);
}

bool TCustomDBNumberEditEx::eventFilter(QObject* watched, QEvent* event)
{
    // While the calculator is open it has the keys that type, and Enter, as if it had the
    // focus; Backspace too, which corrects the number there rather than the editor's text
    // behind it.
    if (event->type() == QEvent::KeyPress && DroppedDown() && calculator_ && watched == EditWindow()) {
        const auto& keyEvent = *static_cast<QKeyEvent*>(event);
        const ui::Word key = ui::VirtualKeyOf(keyEvent);
        const auto ch = static_cast<unsigned char>(ui::CharOf(keyEvent));
        const bool typing = (key >= 32 && key <= 126) || (ch >= 32 && ch <= 126);
        if (typing || key == ui::VK_RETURN || key == ui::VK_BACK) {
            QCoreApplication::sendEvent(calculator_, event);
            return true;
        }
    }
    return TCustomDBEditEx::eventFilter(watched, event);
}

// ---- stepping ----

void TCustomDBNumberEditEx::StepValue(bool Up)
{
    if (increment_ == 0 || !EditCanModify()) return;
    const double stepped = value_.IsNull() ? increment_ : value_.AsFloat() + (Up ? increment_ : -increment_);
    // A NaN or infinite increment, or a sum past the double range, is no number to show:
    // the limits may still bound it, else the step does nothing.
    const double number = ClampAndRound(stepped);
    if (!std::isfinite(number)) return;
    InternalSetValue(number);
    if (Focused()) SelectAll();
}

void TCustomDBNumberEditEx::EditButtonDefaultAction(bool TopButton)
{
    if (GetEditButton()->GetStyle() != ebsUpDownEx) {
        TCustomDBEditEx::EditButtonDefaultAction(TopButton);
        return;
    }
    if (!ReadOnly()) StepValue(TopButton);
}

bool TCustomDBNumberEditEx::wheelStep(bool up, ui::TShiftState shift)
{
    if (shift & (ui::ssShift | ui::ssCtrl | ui::ssAlt)) return false;
    if (ReadOnly() || !EditCanModify()) return false;
    StepValue(up);
    return true;
}

bool TCustomDBNumberEditEx::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos)
{
    if (DroppedDown() && calculator_ && calculator_->DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    return TCustomDBEditEx::DoMouseWheel(shift, wheelDelta, mousePos);
}

bool TCustomDBNumberEditEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos)
{
    return TCustomDBEditEx::DoMouseWheelDown(shift, mousePos) || wheelStep(false, shift);
}

bool TCustomDBNumberEditEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos)
{
    return TCustomDBEditEx::DoMouseWheelUp(shift, mousePos) || wheelStep(true, shift);
}

// ---- paste ----

void TCustomDBNumberEditEx::PasteFromClipboard()
{
    // The text the paste would give must read as a number (or be empty).
    std::string pasted = ui::Clipboard().AsText();
    if (const auto eol = pasted.find_first_of("\r\n"); eol != std::string::npos) pasted.resize(eol);
    std::string text = EditText();
    const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(SelStart()), text.size());
    text.replace(start, static_cast<std::size_t>(SelLength()), pasted);
    double number = 0;
    if (ReadNumberText(NormalizeNumberText(text), number) == TNumberText::NotANumber) return;
    TCustomDBEditEx::PasteFromClipboard();
}

void TCustomDBNumberEditEx::FilterMRUItem(const std::string& AText, bool& Accept)
{
    TCustomDBEditEx::FilterMRUItem(AText, Accept);
    double number = 0;
    if (Accept && ReadNumberText(NormalizeNumberText(AText), number) == TNumberText::NotANumber) Accept = false;
}

// ---- the calculator ----

TPopupCalculatorEx* TCustomDBNumberEditEx::GetCalculator()
{
    if (!calculator_) {
        calculator_ = new TPopupCalculatorEx(this);
        calculator_->Hide();
        calculator_->SetParent(this);
    }
    return calculator_;
}

bool TCustomDBNumberEditEx::calculatorOwns(const ui::TControl* control) const
{
    return calculator_ && control && (control == calculator_ || calculator_->isAncestorOf(control));
}

void TCustomDBNumberEditEx::DropDown()
{
    TCustomDBEditEx::DropDown();
    if (DroppedDown()) return;
    if (OnDropDown) OnDropDown(this);
    TPopupCalculatorEx* calculator = GetCalculator();
    IPopupValueEditorEx& popup = *calculator;
    popup.SetValue(value_.IsNull() ? rtl::Variant(0.0) : value_);
    popup.SetFlat(GetFlat());
    // Under right-to-left alignment the calculator's right edge stands under the editor's.
    const ui::TPoint at = AlignDropDownWindow(this, calculator, UseRightToLeftAlignment() ? daRight : daLeft);
    calculator->SetBounds(at.X, at.Y, calculator->Width(), calculator->Height());
    ui::ShowPopupNoActivate(calculator);
    SetDroppedDown(true);
    SetCaretVisible(false);
    ClearSelection();
}

void TCustomDBNumberEditEx::CloseUp(bool Accept)
{
    if (!DroppedDown()) return;
    if (ui::TControl* capture = ui::TControl::CaptureControl()) capture->SetMouseCapture(false);
    if (calculator_) calculator_->Hide();
    SetDroppedDown(false);
    SetCaretVisible(true);
    TCustomDBEditEx::CloseUp(Accept);
    if (Accept && calculator_ && !ReadOnly() && EditCanModify()) {
        const rtl::Variant value = static_cast<IPopupValueEditorEx*>(calculator_.data())->GetValue();
        // An error of the calculator is no value.
        if (IsNumberType(value.VarType())) {
            InternalSetValue(value);
            if (Focused()) SelectAll();
        }
    }
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBNumberEditEx::FocusOut(ui::TControl* next)
{
    if (DroppedDown() && next != calculator_) CloseUp(false);
    TCustomDBEditEx::FocusOut(next);
}

void TCustomDBNumberEditEx::CancelMode(ui::TControl* sender)
{
    TCustomDBEditEx::CancelMode(sender);
    const bool inside = sender && (sender == this || isAncestorOf(sender) || calculatorOwns(sender));
    if (DroppedDown() && !inside) CloseUp(false);
}

} // namespace editors
