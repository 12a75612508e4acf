#include "controls/editors/CalculatorEx.h"

#include <cctype>
#include <cmath>
#include <cstdint>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/Popup.h"

namespace editors {

namespace {

constexpr char kBackspace = '\b';
constexpr char kEnter = '\r';
constexpr char kEscape = '\x1B';
constexpr char kCopy = '\x03';  // Ctrl+C
constexpr char kPaste = '\x16'; // Ctrl+V

constexpr const char* kErrorText = "Error";
constexpr const char* kOkCaption = "Ok";
constexpr const char* kEqualsCaption = "=";
// What GetValue holds in the error state (E_FAIL).
constexpr std::int32_t kErrorCode = static_cast<std::int32_t>(0x80004005u);
constexpr int kSignificantDigits = 15;

// The layout was made for this resolution, font height and height of "0".
constexpr int kDesignPixelsPerInch = 96;
constexpr int kDesignFontHeight = -11;
constexpr int kDesignTextHeight = 13;
constexpr int kDesignClientWidth = 184;
constexpr int kDesignClientHeight = 127;
constexpr ui::TRect kDisplayBounds{2, 1, 2 + 166, 1 + 17};

struct TCalcButton {
    const char* Caption;
    int Left, Top, Width, Height;
    char Key;
    bool Operator; // red: operators and control keys; blue: digits and functions
};

// Tag i + 1 is row * 6 + column + 1 over four rows of six columns; C spans two rows, the
// equals button two columns, and Cancel (no action) lies under C.
constexpr TCalcButton kButtons[] = {
    // clang-format off
    {"7", 6, 29, 27, 22, '7', false},     {"8", 35, 29, 27, 22, '8', false},
    {"9", 64, 29, 27, 22, '9', false},    {"/", 93, 29, 27, 22, '/', true},
    {"sqrt", 122, 29, 27, 22, 'S', false}, {"C", 151, 29, 27, 46, 'C', true},
    {"4", 6, 53, 27, 22, '4', false},     {"5", 35, 53, 27, 22, '5', false},
    {"6", 64, 53, 27, 22, '6', false},    {"*", 93, 53, 27, 22, '*', true},
    {"%", 122, 53, 27, 22, '%', false},   {"Cancel", 151, 52, 27, 23, 'A', true},
    {"1", 6, 77, 27, 22, '1', false},     {"2", 35, 77, 27, 22, '2', false},
    {"3", 64, 77, 27, 22, '3', false},    {"-", 93, 77, 27, 22, '-', true},
    {"1/x", 122, 77, 27, 22, 'R', false}, {"<-", 151, 77, 27, 22, kBackspace, true},
    {"0", 6, 101, 27, 22, '0', false},    {"+/-", 35, 101, 27, 22, 'I', false},
    {".", 64, 101, 27, 22, '.', false},   {"+", 93, 101, 27, 22, '+', true},
    // clang-format on
    {kOkCaption, 122, 101, 56, 22, '=', true},
};
constexpr int kClearTag = 6;
constexpr int kCancelTag = 12;
constexpr int kEqualsTag = 23;

bool isOperatorKey(char key)
{
    return key == '+' || key == '-' || key == '*' || key == '/' || key == '%' || key == '=' || key == kEnter;
}

bool isArithmetic(char op) { return op == '*' || op == '+' || op == '-' || op == '/'; }

} // namespace

// ---- TCalculatorEx ----

TCalculatorEx::TCalculatorEx(ui::TControl* parent) : ui::TControl(parent)
{
    SetColor(ui::clBtnFace);
    buildLayout();
    clear();
    updateEqualsCaption();
}

void TCalculatorEx::buildLayout()
{
    // The layout was drawn for a font whose "0" is 13 pixels high at 96 pixels per inch:
    // the font follows the screen's resolution, the layout the font's height.
    pixelsPerInch_ = ui::Metrics().PixelsPerInch;
    Font().SetHeight(rtl::MulDiv(kDesignFontHeight, pixelsPerInch_, kDesignPixelsPerInch));
    Canvas().Font().Assign(Font());
    scaleNumerator_ = Canvas().TextHeight("0");
    scaleDenominator_ = kDesignTextHeight;
    if (scaleNumerator_ <= 0) scaleNumerator_ = scaleDenominator_;
    layoutClientWidth_ = rtl::MulDiv(kDesignClientWidth, scaleNumerator_, scaleDenominator_);
    layoutClientHeight_ = rtl::MulDiv(kDesignClientHeight, scaleNumerator_, scaleDenominator_);

    display_ = new ui::TPanel(this);
    display_->SetName("Panel1");
    display_->SetBoundsRect(scaled(kDisplayBounds));
    display_->SetAlignment(ui::taRightJustify);
    display_->SetBorderWidth(2);
    display_->SetBevelOuter(ui::bvNone);
    display_->SetColor(ui::clHighlightText);

    TSpeedButtonEx* clearButton = nullptr;
    TSpeedButtonEx* cancelButton = nullptr;
    int tag = 0;
    for (const TCalcButton& b : kButtons) {
        auto* button = new TSpeedButtonEx(this);
        button->SetTag(++tag);
        button->SetBoundsRect(scaled(ui::Bounds(b.Left, b.Top, b.Width, b.Height)));
        button->SetCaption(b.Caption);
        button->Font().SetColor(b.Operator ? ui::clRed : ui::clBlue);
        button->SetFlat(true);
        button->SetStyle(ebsGlyphEx);
        button->SetActive(true);
        button->OnClick = rtl::TNotifyEvent(this, &TCalculatorEx::SpeedButtonClick);
        if (tag == kClearTag) clearButton = button;
        if (tag == kCancelTag) cancelButton = button;
        if (tag == kEqualsTag) equals_ = button;
    }
    equals_->SetName("spEqual");
    cancelButton->stackUnder(clearButton);
    SetBounds(Left(), Top(), 0, 0);
}

ui::TRect TCalculatorEx::scaled(const ui::TRect& r) const
{
    const auto scale = [&](int v) { return rtl::MulDiv(v, scaleNumerator_, scaleDenominator_); };
    return {scale(r.Left), scale(r.Top), scale(r.Right), scale(r.Bottom)};
}

ui::TSize TCalculatorEx::autoSizeBounds()
{
    // The frame does not depend on the size: measure it on any rectangle.
    ui::TRect client{0, 0, 1000, 1000};
    CalcNonClientSize(client);
    return {layoutClientWidth_ + 1000 - client.Width(), layoutClientHeight_ + 1000 - client.Height()};
}

void TCalculatorEx::SetBounds(int left, int top, int width, int height)
{
    if (autoSize_) {
        const ui::TSize size = autoSizeBounds();
        width = size.cx;
        height = size.cy;
    }
    ui::TControl::SetBounds(left, top, width, height);
}

void TCalculatorEx::Resize()
{
    // A new frame (border style, 3D look) keeps the client size.
    if (autoSize_ && (ClientWidth() != layoutClientWidth_ || ClientHeight() != layoutClientHeight_)) {
        SetBounds(Left(), Top(), Width(), Height());
        return;
    }
    ui::TControl::Resize();
}

void TCalculatorEx::SetAutoSize(bool Value)
{
    if (autoSize_ == Value) return;
    autoSize_ = Value;
    if (Value) SetBounds(Left(), Top(), Width(), Height());
}

void TCalculatorEx::SetPixelsPerInch(int Value)
{
    if (Value >= 1 && Value <= 35) return;
    pixelsPerInch_ = Value;
}

// ---- display ----

bool TCalculatorEx::DisplayNumber(double& Value) const
{
    if (status_ == TCalcStatus::Error) return false;
    double v = 0;
    if (!rtl::TryStrToFloat(rtl::Trim(display_->Caption()), v) || !std::isfinite(v)) return false;
    Value = v;
    return true;
}

bool TCalculatorEx::ReadDisplay(double& Value)
{
    if (DisplayNumber(Value)) return true;
    setError();
    Value = 0;
    return false;
}

double TCalculatorEx::GetDisplayValue()
{
    double v = 0;
    ReadDisplay(v);
    return v;
}

void TCalculatorEx::SetDisplayValue(double Value)
{
    if (!std::isfinite(Value)) {
        setError();
        return;
    }
    if (Value == 0) Value = 0; // no "-0"
    display_->SetCaption(rtl::FloatToStrF(Value, rtl::ffGeneral, kSignificantDigits, 0));
}

void TCalculatorEx::setError()
{
    status_ = TCalcStatus::Error;
    display_->SetCaption(kErrorText);
}

// ---- keys ----

void TCalculatorEx::KeyPress(char& key)
{
    ui::TControl::KeyPress(key);
    CalcKey(key);
}

void TCalculatorEx::SpeedButtonClick(rtl::TObject* Sender)
{
    const auto* button = dynamic_cast<const rtl::TComponent*>(Sender);
    if (!button) return;
    const std::intptr_t tag = button->GetTag();
    if (tag < 1 || tag > static_cast<std::intptr_t>(std::size(kButtons))) return;
    CalcKey(kButtons[tag - 1].Key);
}

void TCalculatorEx::CalcKey(char Key)
{
    if (Key >= 'a' && Key <= 'z') Key = static_cast<char>(Key - 'a' + 'A');
    // C and Esc leave the error state; nothing else is taken in it.
    if (status_ == TCalcStatus::Error && Key != 'C' && Key != kEscape) {
        updateEqualsCaption();
        return;
    }
    if (Key == rtl::FormatSettings.DecimalSeparator || Key == ',' || Key == '.') typeSeparator();
    else if (Key >= '0' && Key <= '9') typeDigit(Key);
    else if (isOperatorKey(Key)) applyOperator(Key);
    else switch (Key) {
        case kBackspace: backspace(); break;
        case 'C':
        case kEscape: clear(); break;
        case 'I': negate(); break;
        case 'R': reciprocal(); break;
        case 'S': squareRoot(); break;
        case kCopy: copyDisplay(); break;
        case kPaste: pasteNumber(); break;
        default: break;
        }
    updateEqualsCaption();
}

void TCalculatorEx::clear()
{
    status_ = TCalcStatus::First;
    SetDisplayValue(0);
    operator_ = '=';
    operand_ = 0;
}

void TCalculatorEx::startNumber()
{
    if (status_ != TCalcStatus::First) return;
    status_ = TCalcStatus::Valid;
    display_->SetCaption("0");
}

void TCalculatorEx::typeSeparator()
{
    startNumber();
    const std::string& text = display_->Caption();
    const char separator = rtl::FormatSettings.DecimalSeparator;
    if (text.find(separator) == std::string::npos) display_->SetCaption(text + separator);
}

void TCalculatorEx::typeDigit(char digit)
{
    startNumber();
    std::string text = display_->Caption();
    if (text == "0") text.clear();
    // Fifteen characters, the decimal separator among them; a minus sign does not count.
    const std::size_t minus = text.find('-');
    const std::size_t limit = kSignificantDigits + (minus == std::string::npos ? 0 : std::min<std::size_t>(minus + 1, 127));
    if (text.find('E') == std::string::npos && text.size() < limit) text += digit;
    display_->SetCaption(text);
}

void TCalculatorEx::backspace()
{
    startNumber();
    const std::string& text = display_->Caption();
    if (text.size() <= 1 || (text.size() == 2 && text[0] == '-')) display_->SetCaption("0");
    else display_->SetCaption(text.substr(0, text.size() - 1));
}

void TCalculatorEx::negate()
{
    double v;
    if (ReadDisplay(v)) SetDisplayValue(-v);
}

void TCalculatorEx::reciprocal()
{
    status_ = TCalcStatus::First;
    double v;
    if (!ReadDisplay(v)) return;
    if (v == 0) setError();
    else SetDisplayValue(1 / v);
}

void TCalculatorEx::squareRoot()
{
    status_ = TCalcStatus::First;
    double v;
    if (!ReadDisplay(v)) return;
    if (v < 0) setError();
    else SetDisplayValue(std::sqrt(v));
}

void TCalculatorEx::copyDisplay() { ui::Clipboard().SetAsText(display_->Caption()); }

void TCalculatorEx::pasteNumber()
{
    ui::TClipboard& clipboard = ui::Clipboard();
    if (!clipboard.HasFormat(ui::CF_TEXT)) return;
    double v = 0;
    // Text that is not a number shows the error, as a failed operation does.
    if (!rtl::TryStrToFloat(rtl::Trim(clipboard.AsText()), v)) setError();
    else SetDisplayValue(v);
}

void TCalculatorEx::applyOperator(char key)
{
    if (status_ == TCalcStatus::Valid) {
        status_ = TCalcStatus::First;
        double r;
        if (ReadDisplay(r)) applyPending(key, r);
    }
    operator_ = key;
    operand_ = GetDisplayValue();
}

void TCalculatorEx::applyPending(char key, double r)
{
    if (key == '%') {
        if (operator_ == '+' || operator_ == '-') r = operand_ * r / 100;
        else if (operator_ == '*' || operator_ == '/') r = r / 100;
    }
    switch (operator_) {
    case '*': SetDisplayValue(operand_ * r); break;
    case '+': SetDisplayValue(operand_ + r); break;
    case '-': SetDisplayValue(operand_ - r); break;
    case '/':
        if (r == 0) setError();
        else SetDisplayValue(operand_ / r);
        break;
    default: break; // nothing pending: the display stays
    }
}

bool TCalculatorEx::EqualsReadsOk() const { return equals_->Caption() == kOkCaption; }

void TCalculatorEx::updateEqualsCaption()
{
    // "=" while a pending operation waits for the number being typed. (An operand of 0
    // pends as well: "0 - 5" must give -5, not hand over 5.)
    const bool pending = status_ == TCalcStatus::Valid && isArithmetic(operator_);
    equals_->SetCaption(pending ? kEqualsCaption : kOkCaption);
}

// ---- wheel ----

bool TCalculatorEx::stepDisplay(double delta)
{
    double v;
    if (!DisplayNumber(v)) return false;
    SetDisplayValue(v + delta);
    return true;
}

bool TCalculatorEx::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos)
{
    return ui::TControl::DoMouseWheelDown(shift, mousePos) || stepDisplay(-1);
}

bool TCalculatorEx::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos)
{
    return ui::TControl::DoMouseWheelUp(shift, mousePos) || stepDisplay(1);
}

// ---- TPopupCalculatorEx ----

TPopupCalculatorEx::TPopupCalculatorEx(ui::TControl* owner) : TCalculatorEx(nullptr)
{
    ui::MakePopup(this, owner);
    setFocusPolicy(Qt::NoFocus);
    SetTabStop(false);
    SetCtl3D(true);
    SetFlat(true);
    SetBounds(Left(), Top(), Width(), Height());
}

void TPopupCalculatorEx::SetParent(ui::TControl* parent)
{
    if (parent != Parent()) QWidget::setParent(parent, windowFlags());
}

rtl::Variant TPopupCalculatorEx::GetValue() const
{
    double v;
    if (!DisplayNumber(v)) return rtl::Variant::FromError(kErrorCode);
    return rtl::Variant(v);
}

void TPopupCalculatorEx::SetFlat(bool Value)
{
    flat_ = Value;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* button = dynamic_cast<TSpeedButtonEx*>(Controls(i))) button->SetFlat(Value);
}

void TPopupCalculatorEx::SetValue(const rtl::Variant& Value)
{
    CalcKey('C');
    SetDisplayValue(Value.AsFloat());
}

bool TPopupCalculatorEx::closeUp(bool accept)
{
    IPopupOwnerEx* owner = PopupOwnerOf(this);
    if (!owner) return false;
    owner->CloseUp(accept);
    return true;
}

void TPopupCalculatorEx::CalcKey(char Key)
{
    if ((Key == kEnter || Key == '=') && IsOk() && closeUp(true)) return;
    TCalculatorEx::CalcKey(Key);
}

void TPopupCalculatorEx::KeyDown(ui::Word& key, ui::TShiftState shift)
{
    TCalculatorEx::KeyDown(key, shift);
    if (key == ui::VK_ESCAPE && closeUp(false)) key = 0;
}

bool TPopupCalculatorEx::WantSpecialKey(ui::Word key, ui::TShiftState shift)
{
    // Enter and Esc are the calculator's: they close it by the rules above, not the dialog.
    if (key == ui::VK_RETURN || key == ui::VK_ESCAPE) return true;
    return TCalculatorEx::WantSpecialKey(key, shift);
}

unsigned TPopupCalculatorEx::DialogCode() const
{
    return ui::DLGC_WANTARROWS | ui::DLGC_WANTTAB | ui::DLGC_WANTCHARS;
}

void TPopupCalculatorEx::WndProc(ui::TMessage& message)
{
    if (message.Msg == CM_CLOSEUPNOACCEPT) closeUp(false);
    TCalculatorEx::WndProc(message);
}

void TPopupCalculatorEx::CalcNonClientSize(ui::TRect& client)
{
    TCalculatorEx::CalcNonClientSize(client);
    // A window border of one pixel without the 3D look.
    const int border = Ctl3D() ? BorderWidth() : ui::Metrics().BorderWidth;
    client.Inflate(-border, -border);
}

void TPopupCalculatorEx::PaintNonClient(ui::TCanvas& canvas)
{
    TCalculatorEx::PaintNonClient(canvas);
    const ui::TRect r{0, 0, Width(), Height()};
    canvas.Brush().SetColor(Ctl3D() ? ui::cl3DDkShadow : ui::clWindowFrame);
    canvas.FrameRect(r);
    if (Ctl3D()) canvas.DrawEdge(r.Inflated(-1, -1), ui::BDR_RAISEDINNER, ui::BF_RECT);
}

} // namespace editors
