// The calculator driven by keys, buttons and the wheel, and the drop-down calculator with
// the closing rules its owner relies on.
#include <cmath>
#include <string_view>

#include <QApplication>
#include <QWheelEvent>

#include "EditorsTestSupport.h"

#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DropDownPlacement.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Popup.h"
#include "platform/rtl/UpdateScope.h"

using namespace editors;

namespace {

// Types keys into a widget as a user would, one key press each; '\r' is Enter, '\x1b'
// Esc, '\b' Backspace.
void TypeKeys(QWidget* w, std::string_view keys)
{
    for (char c : keys) {
        switch (c) {
        case '\r': QTest::keyClick(w, Qt::Key_Return); break;
        case '\x1b': QTest::keyClick(w, Qt::Key_Escape); break;
        case '\b': QTest::keyClick(w, Qt::Key_Backspace); break;
        default: QTest::keyClick(w, c); break;
        }
    }
}

// One notch of the wheel over the middle of w: up for a positive delta.
void Wheel(QWidget* w, int delta)
{
    const QPointF at = QRectF(w->rect()).center();
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

TSpeedButtonEx* ButtonOf(TCalculatorEx* calc, const std::string& caption)
{
    for (int i = 0; i < calc->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButtonEx*>(calc->Controls(i)); b && b->Caption() == caption) return b;
    return nullptr;
}

TSpeedButtonEx* EqualsButton(TCalculatorEx* calc)
{
    return dynamic_cast<TSpeedButtonEx*>(calc->FindComponent("spEqual"));
}

void ClickButton(TCalculatorEx* calc, const std::string& caption)
{
    TSpeedButtonEx* b = ButtonOf(calc, caption);
    ASSERT_NE(b, nullptr) << caption;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->Width() / 2, b->Height() / 2));
}

class CalculatorTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        calc = new TCalculatorEx(form);
        calc->SetBounds(10, 10, 0, 0);
        uitest::ShowActive(form);
    }
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        FormTest::TearDown();
    }

    // A length of the layout, given for a 13-pixel-high digit, for the calculator's font.
    int Scaled(int v)
    {
        calc->Canvas().Font().Assign(calc->Font());
        return rtl::MulDiv(v, calc->Canvas().TextHeight("0"), 13);
    }

    // A fresh calculator, then the keys.
    std::string After(std::string_view keys)
    {
        TypeKeys(calc, "\x1b");
        TypeKeys(calc, keys);
        return calc->GetDisplayText();
    }

    rtl::TScopedFormatSettings numbers{'.', ','};
    TCalculatorEx* calc = nullptr;
};

} // namespace

TEST_F(CalculatorTest, TheDisplayAndTwentyThreeButtonsFollowTheLayoutScaledToTheFont)
{
    EXPECT_EQ(calc->ClientWidth(), Scaled(184));
    EXPECT_EQ(calc->ClientHeight(), Scaled(127));
    EXPECT_EQ(calc->Width(), calc->ClientWidth()); // no border by default
    EXPECT_EQ(calc->GetDisplayText(), "0");
    EXPECT_EQ(EqualsButton(calc)->Caption(), "Ok");
    EXPECT_EQ(EqualsButton(calc)->GetTag(), 23);

    int buttons = 0;
    for (int i = 0; i < calc->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButtonEx*>(calc->Controls(i))) {
            ++buttons;
            EXPECT_TRUE(b->Flat());
            EXPECT_TRUE(b->GetActive());
            EXPECT_EQ(b->GetStyle(), ebsGlyphEx);
        }
    EXPECT_EQ(buttons, 23);
    // Tags count 6 per row; C spans two rows, the equals button two columns.
    const struct {
        const char* caption;
        int tag;
        ui::TRect bounds;
    } placed[] = {
        // clang-format off
        {"7", 1, {6, 29, 33, 51}},       {"sqrt", 5, {122, 29, 149, 51}}, {"C", 6, {151, 29, 178, 75}},
        {"%", 11, {122, 53, 149, 75}},   {"<-", 18, {151, 77, 178, 99}},  {"0", 19, {6, 101, 33, 123}},
        // clang-format on
        {"Ok", 23, {122, 101, 178, 123}},
    };
    for (const auto& p : placed) {
        TSpeedButtonEx* b = ButtonOf(calc, p.caption);
        ASSERT_NE(b, nullptr) << p.caption;
        EXPECT_EQ(b->GetTag(), p.tag) << p.caption;
        EXPECT_EQ(b->BoundsRect(), (ui::TRect{Scaled(p.bounds.Left), Scaled(p.bounds.Top), Scaled(p.bounds.Right),
                                              Scaled(p.bounds.Bottom)}))
            << p.caption;
    }
    EXPECT_EQ(ButtonOf(calc, "7")->Font().Color(), ui::clBlue);
    EXPECT_EQ(ButtonOf(calc, "/")->Font().Color(), ui::clRed);
}

TEST_F(CalculatorTest, CancelLiesUnderCAndAClickWhereBothAreReachesC)
{
    TypeKeys(calc, "12");
    TSpeedButtonEx* cancel = ButtonOf(calc, "Cancel");
    ASSERT_NE(cancel, nullptr);
    const QPoint inCancel = cancel->geometry().center();
    EXPECT_EQ(calc->childAt(inCancel), ButtonOf(calc, "C"));
    QTest::mouseClick(calc->childAt(inCancel), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(calc->GetDisplayText(), "0");
}

TEST_F(CalculatorTest, ABorderKeepsTheClientSizeAndAutoSizeTakesTheLayoutsSizeBack)
{
    calc->SetBorderStyle(ui::bsSingle);
    EXPECT_EQ(calc->ClientWidth(), Scaled(184));
    EXPECT_EQ(calc->Width(), Scaled(184) + 2 * ui::Metrics().EdgeWidth);
    calc->SetBorderStyle(ui::bsNone);
    calc->SetAutoSize(false);
    calc->SetBounds(10, 10, 100, 50);
    EXPECT_EQ(calc->Width(), 100);
    calc->SetAutoSize(true);
    EXPECT_EQ(calc->Width(), Scaled(184));
    TypeKeys(calc, "12+5%");
    editorstest::WriteSnapshot("calculator", uitest::Render(calc));
}

TEST_F(CalculatorTest, AFinerScreenScalesTheFontAndTheLayoutWithIt)
{
    const rtl::TValueScope<int> fine(ui::Metrics().PixelsPerInch, 144);
    TCalculatorEx big(form);
    EXPECT_EQ(big.GetPixelsPerInch(), 144);
    EXPECT_EQ(big.Font().Height(), -17); // -11 at 96 pixels per inch
    big.Canvas().Font().Assign(big.Font());
    const int textHeight = big.Canvas().TextHeight("0");
    ASSERT_GT(textHeight, 13);
    const auto scale = [&](int v) { return rtl::MulDiv(v, textHeight, 13); };
    EXPECT_EQ(big.ClientWidth(), scale(184));
    EXPECT_EQ(big.ClientHeight(), scale(127));
    EXPECT_EQ(ButtonOf(&big, "C")->BoundsRect(), (ui::TRect{scale(151), scale(29), scale(178), scale(75)}));
    auto* display = dynamic_cast<ui::TPanel*>(big.FindComponent("Panel1"));
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->BoundsRect(), (ui::TRect{scale(2), scale(1), scale(168), scale(18)}));
    big.SetPixelsPerInch(30); // 1 to 35 are no resolutions
    EXPECT_EQ(big.GetPixelsPerInch(), 144);
    big.SetPixelsPerInch(96);
    EXPECT_EQ(big.GetPixelsPerInch(), 96);
}

TEST_F(CalculatorTest, KeysComputeLeftToRightWithPercentFunctionsAndCorrections)
{
    const struct {
        const char* keys;
        const char* display;
    } cases[] = {
        {"12+5%", "12.6"},  // 12 * 5 / 100 added to 12
        {"12+5%=", "12.6"}, // a following = changes nothing
        {"12-5%", "11.4"},
        {"50*10%", "5"}, // 50 * 0.1
        {"50/10%", "500"},
        {"5%", "5"}, // nothing pending: the display stays
        {"1/3=", "0.333333333333333"},
        {"2/3=", "0.666666666666667"},
        {"2+3*4=", "20"}, // left to right
        {"10-4\r", "6"},  // Enter is =
        {"2+3==", "5"},
        {"9s", "3"}, // letters in either case
        {"2R", "0.5"},
        {"4rr", "4"},
        {"5I", "-5"},
        {"0I", "0"}, // no negative zero
        {"5I*0=", "0"},
        {"1.5+1,5=", "3"}, // ',' types the decimal separator too
        {"1.2.3", "1.23"}, // one separator
        {".5", "0.5"},
        {"000", "0"},
        {"123\b", "12"},
        {"5\b", "0"},
        {"5I\b", "0"},   // "-5" has one digit left to remove
        {"2+3=\b", "0"}, // Backspace after a result starts a new number
        {"2+3=7", "7"},  // so does a digit
        {"2+3c", "0"},
        {"2+3\x1b=", "0"}, // Esc clears the pending operation too
        {"1E", "1"},       // other keys do nothing
    };
    for (const auto& c : cases) EXPECT_EQ(After(c.keys), c.display) << c.keys;
}

TEST_F(CalculatorTest, FailuresShowErrorAndOnlyCOrEscLeaveIt)
{
    std::string overflow; // no "INF" on the display
    for (int i = 0; i < 21; ++i) overflow += "999999999999999*";
    for (const std::string& failing : {std::string("7/0="), std::string("0R"), std::string("4IS"), overflow}) {
        EXPECT_EQ(After(failing), "Error") << failing;
        EXPECT_EQ(calc->GetStatus(), TCalcStatus::Error);
        EXPECT_EQ(calc->GetDisplayValue(), 0);
        TypeKeys(calc, "5.\b+-*/%=\rISR");
        QTest::keyClick(calc, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(calc->GetDisplayText(), "Error") << failing;
        Wheel(calc, 120);
        EXPECT_EQ(calc->GetDisplayText(), "Error") << failing;
    }
    TypeKeys(calc, "C");
    EXPECT_EQ(calc->GetDisplayText(), "0");
    EXPECT_EQ(calc->GetStatus(), TCalcStatus::First);
    After("7/0=");
    TypeKeys(calc, "\x1b");
    EXPECT_EQ(calc->GetDisplayText(), "0");
    TypeKeys(calc, "3+4=");
    EXPECT_EQ(calc->GetDisplayText(), "7");
}

TEST_F(CalculatorTest, ANumberHoldsFifteenCharactersBesideItsMinusSign)
{
    EXPECT_EQ(After("1234567890123456"), "123456789012345");
    EXPECT_EQ(After("0.1234567890123456"), "0.1234567890123"); // the separator is one of the fifteen
    // A minus sign does not count.
    EXPECT_EQ(After("12345I67890123456789"), "-123456789012345");
    EXPECT_EQ(calc->GetDisplayValue(), -123456789012345.0);
    // No digit joins a number in exponent form.
    EXPECT_EQ(After("999999999999999"), "999999999999999");
    Wheel(calc, 120);
    EXPECT_EQ(calc->GetDisplayText(), "1E15");
    TypeKeys(calc, "5");
    EXPECT_EQ(calc->GetDisplayText(), "1E15");
}

TEST_F(CalculatorTest, ADisplayThatIsNoNumberIsTheErrorStateNeverAFailure)
{
    // A separator after an exponent.
    EXPECT_EQ(After("999999999999999"), "999999999999999");
    Wheel(calc, 120);
    TypeKeys(calc, ".");
    EXPECT_EQ(calc->GetDisplayText(), "1E15.");
    TypeKeys(calc, "+");
    EXPECT_EQ(calc->GetDisplayText(), "Error");
    // An exponent cut short.
    EXPECT_EQ(After("0.00001I\b"), "-1E-");
    EXPECT_EQ(calc->GetDisplayValue(), 0);
    EXPECT_EQ(calc->GetStatus(), TCalcStatus::Error);
    EXPECT_EQ(After("0.00001I\b\b\b"), "-1"); // mended by hand before it was read
    TypeKeys(calc, "*2=");
    EXPECT_EQ(calc->GetDisplayText(), "-2");
    // Programmatic values that are not finite.
    calc->SetDisplayValue(INFINITY);
    EXPECT_EQ(calc->GetDisplayText(), "Error");
    TypeKeys(calc, "C");
    calc->SetDisplayValue(-0.0);
    EXPECT_EQ(calc->GetDisplayText(), "0");
}

TEST_F(CalculatorTest, CtrlCCopiesTheDisplayAndCtrlVPastesANumber)
{
    After("12.5");
    QTest::keyClick(calc, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ui::Clipboard().AsText(), "12.5");
    EXPECT_EQ(calc->GetDisplayText(), "12.5"); // Ctrl+C is not C

    const struct {
        const char* clipboard;
        const char* display;
    } cases[] = {
        // clang-format off
        {" 42.25 ", "42.25"}, {"-3", "-3"}, {"1e3", "1000"}, {"-0", "0"},
        {"abc", "Error"}, {"1,5", "Error"}, {"1e400", "Error"}, {"INF", "Error"},
        // clang-format on
    };
    for (const auto& c : cases) {
        After("7");
        ui::Clipboard().SetAsText(c.clipboard);
        QTest::keyClick(calc, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(calc->GetDisplayText(), c.display) << c.clipboard;
    }
    // A pasted number takes part like any shown value.
    After("");
    ui::Clipboard().SetAsText("8");
    QTest::keyClick(calc, Qt::Key_V, Qt::ControlModifier);
    TypeKeys(calc, "*2=");
    EXPECT_EQ(calc->GetDisplayText(), "16");
}

TEST_F(CalculatorTest, TheEqualsButtonReadsEqualsOnlyWhileAnOperationWaitsForTheTypedNumber)
{
    const struct {
        const char* keys;
        const char* caption;
    } cases[] = {
        // clang-format off
        {"", "Ok"},     {"5", "Ok"},     {"5+", "Ok"},     {"5+3", "="},   {"5-3", "="},   {"5*3", "="},
        {"5/3", "="},   {"5+3=", "Ok"},  {"5%3", "Ok"},    {"5+3S", "Ok"}, {"5+3R", "Ok"}, {"5+3I", "="},
        {"5+3\b", "="}, {"5+.", "="},    {"7/0=", "Ok"},   {"5+3C", "Ok"},
        {"0-5", "="},   // a pending operation on 0 waits as well
        // clang-format on
    };
    for (const auto& c : cases) {
        After(c.keys);
        EXPECT_EQ(EqualsButton(calc)->Caption(), c.caption) << c.keys;
    }
    TypeKeys(calc, "\x1b"
                   "0-5=");
    EXPECT_EQ(calc->GetDisplayText(), "-5");
}

TEST_F(CalculatorTest, TheButtonsTypeTheirKeys)
{
    for (const char* caption : {"1", "2", "+", "5", "%", "Ok"}) ClickButton(calc, caption);
    EXPECT_EQ(calc->GetDisplayText(), "12.6");
    for (const char* caption : {"C", "9", "sqrt", "+/-", "1/x"}) ClickButton(calc, caption);
    EXPECT_EQ(calc->GetDisplayText(), "-0.333333333333333");
    for (const char* caption : {"C", "4", ".", "5", "6", "<-", "*", "2", "-", "1", "=", "/", "3", "="})
        ClickButton(calc, caption);
    EXPECT_EQ(calc->GetDisplayText(), "2.66666666666667");
    for (const char* caption : {"C", "7", "/", "0", "="}) ClickButton(calc, caption);
    EXPECT_EQ(calc->GetDisplayText(), "Error");
    editorstest::WriteSnapshot("calculator_error", uitest::Render(calc));
}

TEST_F(CalculatorTest, TheWheelStepsTheShownValueByOne)
{
    After("2.5");
    Wheel(calc, 120);
    EXPECT_EQ(calc->GetDisplayText(), "3.5");
    Wheel(ButtonOf(calc, "5"), -120); // over a button too
    Wheel(calc, -120);
    EXPECT_EQ(calc->GetDisplayText(), "1.5");
    TypeKeys(calc, "+1="); // still the number being typed
    EXPECT_EQ(calc->GetDisplayText(), "2.5");
    After("1I");
    Wheel(calc, 120);
    EXPECT_EQ(calc->GetDisplayText(), "0");
}

TEST_F(CalculatorTest, TheLocalesDecimalSeparatorIsTypedAndShown)
{
    rtl::TScopedFormatSettings comma(',', '.');
    EXPECT_EQ(After("1.5"), "1,5");
    EXPECT_EQ(After("1,5+1="), "2,5");
    EXPECT_EQ(After("1/4="), "0,25");
    EXPECT_EQ(calc->GetDisplayValue(), 0.25);
    ui::Clipboard().SetAsText("0,75");
    QTest::keyClick(calc, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(calc->GetDisplayText(), "0,75");
}

// ---- the drop-down calculator ----

namespace {

// An editor as the numeric editor uses the calculator: it owns it, drops it down below
// itself, reads the value when the calculator closes accepting, and closes it on a press
// outside the calculator.
class TCalculatorHost : public ui::TCustomEdit, public IPopupOwnerEx {
public:
    explicit TCalculatorHost(ui::TControl* parent) : ui::TCustomEdit(parent), Calculator(new TPopupCalculatorEx(this))
    {
    }

    void DropDown(const rtl::Variant& value)
    {
        Calculator->SetValue(value);
        Calculator->SetFlat(true);
        const ui::TPoint at = AlignDropDownWindow(this, Calculator, daLeft);
        Calculator->SetBounds(at.X, at.Y, Calculator->Width(), Calculator->Height());
        ui::ShowPopupNoActivate(Calculator);
    }
    bool DroppedDown() const { return Calculator->isVisible(); }

    void CloseUp(bool accept) override
    {
        Closings.push_back(accept);
        Calculator->Hide();
        if (accept) Accepted = Calculator->GetValue();
    }

    TPopupCalculatorEx* Calculator;
    std::vector<bool> Closings;
    rtl::Variant Accepted;

protected:
    void CancelMode(ui::TControl* sender) override
    {
        ui::TCustomEdit::CancelMode(sender);
        const bool inside = sender == this || (sender && (sender == Calculator || Calculator->isAncestorOf(sender)));
        if (DroppedDown() && !inside) CloseUp(false);
    }
};

class CalculatorDropDownTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        host = new TCalculatorHost(form);
        host->SetBounds(10, 10, 120, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(150, 10, 120, 21);
        uitest::ShowActive(form);
        host->SetFocus();
    }
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        FormTest::TearDown();
    }

    rtl::TScopedFormatSettings numbers{'.', ','};
    TCalculatorHost* host = nullptr;
    ui::TCustomEdit* other = nullptr;
};

} // namespace

TEST_F(CalculatorDropDownTest, EnterOrEqualsClosesAcceptingOnlyWhileTheButtonReadsOk)
{
    TPopupCalculatorEx* calc = host->Calculator;
    host->DropDown(12);
    ASSERT_TRUE(host->DroppedDown());
    EXPECT_EQ(calc->GetDisplayText(), "12");
    EXPECT_TRUE(calc->IsOk());
    TypeKeys(calc, "+3");
    EXPECT_FALSE(calc->IsOk());
    TypeKeys(calc, "\r"); // computes
    EXPECT_TRUE(host->Closings.empty());
    EXPECT_EQ(calc->GetDisplayText(), "15");
    EXPECT_TRUE(calc->IsOk());
    TypeKeys(calc, "\r");
    EXPECT_EQ(host->Closings, (std::vector<bool>{true}));
    EXPECT_EQ(host->Accepted, rtl::Variant(15.0));
    EXPECT_EQ(host->Accepted.VarType(), rtl::varDouble);

    host->DropDown(2);
    TypeKeys(calc, "*4=");
    EXPECT_EQ(host->Closings.size(), 1u);
    TypeKeys(calc, "=");
    EXPECT_EQ(host->Closings, (std::vector<bool>{true, true}));
    EXPECT_EQ(host->Accepted, rtl::Variant(8.0));

    // "0 - 5" waits for = like any operation; Ok then hands over -5.
    host->DropDown(0);
    TypeKeys(calc, "-5\r\r");
    EXPECT_EQ(host->Accepted, rtl::Variant(-5.0));
}

TEST_F(CalculatorDropDownTest, EscAndTheCloseMessageCloseWithoutAccepting)
{
    TPopupCalculatorEx* calc = host->Calculator;
    host->DropDown(7);
    TypeKeys(calc, "+1");
    TypeKeys(calc, "\x1b");
    EXPECT_EQ(host->Closings, (std::vector<bool>{false}));
    EXPECT_EQ(calc->GetDisplayText(), "1"); // consumed: not a clear

    host->DropDown(7);
    calc->PostMessage(CM_CLOSEUPNOACCEPT);
    QCoreApplication::processEvents();
    EXPECT_EQ(host->Closings, (std::vector<bool>{false, false}));
    EXPECT_FALSE(host->DroppedDown());

    // An error: Enter hands over an error value, which the owner can tell; Esc still cancels.
    host->DropDown(7);
    TypeKeys(calc, "/0=");
    EXPECT_EQ(calc->GetValue().VarType(), rtl::varError);
    TypeKeys(calc, "\r");
    EXPECT_EQ(host->Closings.back(), true);
    EXPECT_EQ(host->Accepted.VarType(), rtl::varError);
    host->DropDown(7);
    TypeKeys(calc, "R\x1b");
    EXPECT_EQ(host->Closings.size(), 4u);
    EXPECT_EQ(host->Closings.back(), false);
}

TEST_F(CalculatorDropDownTest, TheValueInterfaceClearsSetsAndReads)
{
    TPopupCalculatorEx* calc = host->Calculator;
    IPopupValueEditorEx* editor = dynamic_cast<IPopupValueEditorEx*>(calc);
    ASSERT_NE(editor, nullptr);
    host->DropDown(0);
    TypeKeys(calc, "9+");
    editor->SetValue(2.5);
    EXPECT_EQ(calc->GetDisplayText(), "2.5");
    EXPECT_EQ(editor->GetValue(), rtl::Variant(2.5));
    TypeKeys(calc, "3"); // a new number: the pending + was cleared
    EXPECT_TRUE(editor->IsOk());
    EXPECT_EQ(editor->GetValue(), rtl::Variant(3.0));
    editor->SetValue(rtl::Variant(rtl::Currency::FromScaled(-12345)));
    EXPECT_EQ(calc->GetDisplayText(), "-1.2345");
    editor->SetValue(-0.0);
    EXPECT_EQ(calc->GetDisplayText(), "0");
    editor->SetValue(std::nan(""));
    EXPECT_EQ(editor->GetValue().VarType(), rtl::varError);
    EXPECT_THROW(editor->SetValue(rtl::Null()), rtl::EVariantTypeCastError);

    EXPECT_TRUE(editor->GetFlat());
    editor->SetFlat(false);
    EXPECT_FALSE(editor->GetFlat());
    EXPECT_FALSE(ButtonOf(calc, "7")->Flat());
    EXPECT_FALSE(EqualsButton(calc)->Flat());
}

TEST_F(CalculatorDropDownTest, AWindowWithoutFocusInAFrameOfItsOwn)
{
    TPopupCalculatorEx* calc = host->Calculator;
    EXPECT_FALSE(calc->CanFocus());
    EXPECT_FALSE(calc->TabStop());
    EXPECT_EQ(calc->BorderWidth(), 2);
    host->DropDown(12.6);
    EXPECT_TRUE(calc->isWindow());
    const TCalculatorEx plain;
    EXPECT_EQ(calc->ClientWidth(), plain.ClientWidth());
    EXPECT_EQ(calc->ClientHeight(), plain.ClientHeight());
    EXPECT_EQ(calc->Width(), calc->ClientWidth() + 4);
    EXPECT_EQ(calc->Height(), calc->ClientHeight() + 4);
    // Below the editor, left edges aligned.
    const ui::TRect editor = ScreenRect(host);
    EXPECT_EQ(calc->Left(), editor.Left);
    EXPECT_EQ(calc->Top(), editor.Bottom);
    // A dark one-pixel frame, then a raised edge.
    const QImage img = uitest::Render(calc);
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), ui::SysColors()[ui::COLOR_3DDKSHADOW]);
    EXPECT_EQ(uitest::PixelAt(img, img.width() - 1, img.height() - 1), ui::SysColors()[ui::COLOR_3DDKSHADOW]);
    EXPECT_EQ(uitest::PixelAt(img, 1, 1), ui::SysColors()[ui::COLOR_BTNHIGHLIGHT]);
    EXPECT_EQ(uitest::PixelAt(img, img.width() - 2, img.height() - 2), ui::SysColors()[ui::COLOR_BTNSHADOW]);
    editorstest::WriteSnapshot("calculator_dropdown", uitest::Render(calc));
    // Without the 3D look: a one-pixel border.
    calc->SetCtl3D(false);
    EXPECT_EQ(calc->BorderWidth(), 0);
    EXPECT_EQ(calc->Width(), calc->ClientWidth() + 2);
    EXPECT_EQ(uitest::PixelAt(uitest::Render(calc), 0, 0), ui::SysColors()[ui::COLOR_WINDOWFRAME]);
    // Made the editor's child, it stays a window of its own.
    calc->SetParent(other);
    EXPECT_TRUE(calc->isWindow());
    EXPECT_EQ(calc->parentWidget(), other);
}

TEST_F(CalculatorDropDownTest, TheOwnerPassesTheWheelFirst)
{
    TPopupCalculatorEx* calc = host->Calculator;
    host->DropDown(5);
    EXPECT_TRUE(calc->DoMouseWheel(0, 120, {0, 0}));
    EXPECT_EQ(calc->GetDisplayText(), "6");
    EXPECT_TRUE(calc->DoMouseWheel(0, -120, {0, 0}));
    EXPECT_TRUE(calc->DoMouseWheel(0, -120, {0, 0}));
    EXPECT_EQ(calc->GetDisplayText(), "4");
    TypeKeys(calc, "/0=");
    EXPECT_FALSE(calc->DoMouseWheel(0, 120, {0, 0})); // the owner's own wheel handling then runs
}

TEST_F(CalculatorDropDownTest, WithoutAnOwnerThatClosesItEnterAndEscWorkAsKeys)
{
    TPopupCalculatorEx loose(nullptr);
    loose.SetBounds(100, 300, 0, 0);
    ui::ShowPopupNoActivate(&loose);
    TypeKeys(&loose, "2+3\r");
    EXPECT_EQ(loose.GetDisplayText(), "5");
    TypeKeys(&loose, "\r");
    EXPECT_TRUE(loose.isVisible());
    TypeKeys(&loose, "\x1b");
    EXPECT_EQ(loose.GetDisplayText(), "0");
    loose.Hide();
}

// Run once more under X: the drop-down never takes the focus or activation.
TEST_F(CalculatorDropDownTest, ClicksOnTheCalculatorLeaveTheFocusInTheEditorAndAPressOutsideClosesIt)
{
    TPopupCalculatorEx* calc = host->Calculator;
    ASSERT_TRUE(host->Focused());
    host->DropDown(6);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calc));
    for (const char* caption : {"*", "7"}) ClickButton(calc, caption);
    EXPECT_TRUE(host->DroppedDown());
    EXPECT_TRUE(host->Closings.empty());
    EXPECT_TRUE(host->Focused());
    EXPECT_EQ(QApplication::activeWindow(), form);
    EXPECT_EQ(EqualsButton(calc)->Caption(), "=");
    ClickButton(calc, "="); // computes
    EXPECT_EQ(calc->GetDisplayText(), "42");
    ClickButton(calc, "Ok");
    EXPECT_EQ(host->Closings, (std::vector<bool>{true}));
    EXPECT_EQ(host->Accepted, rtl::Variant(42.0));
    EXPECT_TRUE(host->Focused());

    host->DropDown(1);
    QCoreApplication::processEvents();
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(host->Closings, (std::vector<bool>{true, false}));
    EXPECT_FALSE(host->DroppedDown());
}
