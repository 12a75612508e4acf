// The numeric editor driven as a user drives it, under a '.' and under a ',' decimal
// separator: typing and the key filter, limits and rounding, stepping by keys, wheel and
// button, grouping while typing, display and edit pictures, pastes, programmatic writes,
// the calculator drop-down and a data set's field.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QPainter>

#include "NumberEditTestSupport.h"
#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/DropDownWindows.h"
#include "platform/db/DbTestSupport.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/Variant.h"

using namespace editors;
using editorstest::kCommaDecimal;
using editorstest::kPointDecimal;
using editorstest::TSeparators;

namespace {

class DBNumberEditTest : public editorstest::NumberEditFixture, public ::testing::WithParamInterface<TSeparators> {
protected:
    DBNumberEditTest() : NumberEditFixture(GetParam()) {}

    void UpDownButton()
    {
        edit->GetEditButton()->SetStyle(ebsUpDownEx);
        edit->GetEditButton()->SetVisible(true);
    }
    // A click on the upper or the lower half of the main button.
    void ClickButton(bool upper)
    {
        TEditButtonControlEx* button = edit->EditButtonControl(0);
        const int y = upper ? 2 : button->Height() - 3;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->Width() / 2, y));
    }
    // A step up and one down by each of the keys, the wheel and the button.
    void StepEveryWay()
    {
        Key(Qt::Key_Up);
        Key(Qt::Key_Down);
        Wheel(120);
        Wheel(-120);
        ClickButton(true);
        ClickButton(false);
    }
};

std::string SeparatorsName(const ::testing::TestParamInfo<TSeparators>& info) { return info.param.Name; }

} // namespace

INSTANTIATE_TEST_SUITE_P(Separators, DBNumberEditTest, ::testing::Values(kPointDecimal, kCommaDecimal), SeparatorsName);

TEST_P(DBNumberEditTest, ANewEditorTakesAndKeepsAnyNumber)
{
    EXPECT_EQ(edit->GetDecimalPlaces(), 2u);
    EXPECT_EQ(edit->GetIncrement(), 1.0);
    EXPECT_EQ(edit->GetMinValue(), 0.0);
    EXPECT_EQ(edit->GetMaxValue(), 0.0);
    EXPECT_EQ(edit->MaxLength(), 0);
    EXPECT_EQ(edit->GetAlignment(), ui::taRightJustify);
    EXPECT_TRUE(edit->EditWindow()->alignment() & Qt::AlignRight);
    EXPECT_EQ(edit->GetEditButton()->GetShortCut(), AltDownShortCut);
    EXPECT_FALSE(edit->GetEditButton()->GetVisible());
    EXPECT_TRUE(Value().IsNull());

    Type("-12345.67");
    EXPECT_EQ(edit->Text(), L("-12345.67"));
    EXPECT_EQ(Value(), rtl::Variant(-12345.67));
    EXPECT_EQ(Value().VarType(), rtl::varDouble);
    Type("8"); // a third decimal
    EXPECT_EQ(edit->Text(), L("-12345.67"));
    Leave();
    EXPECT_EQ(edit->Text(), L("-12345.67"));
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(-12345.67));

    Enter();
    Retype("99999999999");
    EXPECT_EQ(Value(), rtl::Variant(99999999999.0));
    // '.' and ',' both type the decimal separator.
    Retype("1,5");
    EXPECT_EQ(edit->Text(), L("1.5"));
    Retype("2.5");
    EXPECT_EQ(edit->Text(), L("2.5"));
    EXPECT_EQ(Value(), rtl::Variant(2.5));
    Type("."); // a second separator
    EXPECT_EQ(edit->Text(), L("2.5"));
    Retype("a");
    EXPECT_EQ(edit->Text(), L("2.5"));
    EXPECT_TRUE(Boxes.Beeps == 0); // refused without a beep
}

TEST_P(DBNumberEditTest, BetweenOneAndSixtyTypedNumbersAreClampedButTheTextStaysAsTyped)
{
    edit->SetMinValue(1);
    edit->SetMaxValue(60);
    Type("0");
    EXPECT_EQ(edit->Text(), "0");
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(Value().IsNull());
    Type("75");
    EXPECT_EQ(edit->Text(), "75");
    EXPECT_EQ(Value(), rtl::Variant(60.0));

    Retype("1");
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(edit->SelLength(), 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(Value(), rtl::Variant(2.0));

    // Below zero is refused while the limits are not; a lone sign is no number yet.
    Retype("-");
    EXPECT_EQ(edit->Text(), "-");
    EXPECT_TRUE(Value().IsNull());
    Type("5");
    EXPECT_EQ(edit->Text(), "-");
    Leave();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());

    // Leaving shows the clamped value.
    Enter();
    Type("75");
    Leave();
    EXPECT_EQ(edit->Text(), "60");
}

TEST_P(DBNumberEditTest, LimitsAboveEachOtherKeepOnlyTheOneThatIsNotZero)
{
    struct Case {
        double minValue, maxValue;
        const char* typed;
        double expected;
    };
    const Case cases[] = {
        {5, 0, "3", 5}, {5, 0, "100", 100}, // the lower limit only
        // clang-format off
        {0, -5, "3", -5}, {0, -5, "-100", -100},   // the upper limit only
        {5, 2, "1", 1},   {5, 2, "9", 9},          // none
        // clang-format on
        {7, 7, "3", 3}, // equal limits: none
    };
    for (const Case& c : cases) {
        edit->SetMinValue(c.minValue);
        edit->SetMaxValue(c.maxValue);
        Retype(c.typed);
        EXPECT_EQ(Value(), rtl::Variant(c.expected)) << c.typed << " in " << c.minValue << ".." << c.maxValue;
    }
}

TEST_P(DBNumberEditTest, OneDecimalPlaceTakesNoSecondAndStepsByATenthExactly)
{
    edit->SetDecimalPlaces(1);
    Type("12.3");
    Type("4");
    EXPECT_EQ(edit->Text(), L("12.3"));
    edit->SetIncrement(0.1);
    Retype("0.9");
    Key(Qt::Key_Up);
    EXPECT_EQ(Value().AsFloat(), 1.0);
    EXPECT_EQ(edit->Text(), "1");
    Retype("0.7");
    Key(Qt::Key_Up);
    EXPECT_EQ(Value().AsFloat(), 0.8); // not 0.7999999999999999
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Value().AsFloat(), 0.6);
    EXPECT_EQ(edit->Text(), L("0.6"));
}

TEST_P(DBNumberEditTest, NoDecimalPlacesTakeASeparatorButNoDigitAfterItAndRoundHalvesToEven)
{
    edit->SetDecimalPlaces(0);
    Type("12.");
    EXPECT_EQ(edit->Text(), L("12."));
    EXPECT_EQ(Value(), rtl::Variant(12.0));
    Type("5");
    EXPECT_EQ(edit->Text(), L("12."));
    const struct {
        const char* pasted;
        double value;
    } cases[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"0.5", 0}, {"2.51", 3}};
    for (const auto& c : cases) {
        edit->SelectAll();
        Paste(L(c.pasted));
        EXPECT_EQ(edit->Text(), L(c.pasted));
        EXPECT_EQ(Value(), rtl::Variant(c.value)) << c.pasted;
    }
}

TEST_P(DBNumberEditTest, TypedValuesRoundAsTheyReadAtTheDecimalPlaces)
{
    const struct {
        const char* pasted;
        double value;
    } cases[] = {{"2.675", 2.68}, {"2.665", 2.66}, {"-2.675", -2.68}, {"1.005", 1.0}, {"1.015", 1.02}};
    for (const auto& c : cases) {
        edit->SelectAll();
        Paste(L(c.pasted));
        EXPECT_EQ(Value(), rtl::Variant(c.value)) << c.pasted;
    }
    // Scaled to the places, this value leaves 64 bits: it keeps every digit it has.
    edit->SetDecimalPlaces(12);
    Retype("123456789.123456789");
    EXPECT_EQ(Value().AsFloat(), 123456789.123456789);
    edit->SetDecimalPlaces(0);
    Retype("9300000000000000000");
    EXPECT_EQ(Value().AsFloat(), 9.3e18);
}

TEST_P(DBNumberEditTest, SteppingFromEmptyGivesTheIncrementEitherWay)
{
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(edit->SelLength(), 1);
    edit->SetText("");
    Wheel(-120);
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    edit->SetIncrement(2.5);
    edit->SetText("");
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(), rtl::Variant(2.5));
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(), rtl::Variant(-2.5));
    EXPECT_EQ(edit->Text(), L("-2.5"));
}

TEST_P(DBNumberEditTest, TheWheelAndTheUpDownButtonStepUnlessReadOnlyOrAKeyIsHeld)
{
    UpDownButton();
    edit->SetValue(10);
    Wheel(120);
    EXPECT_EQ(Value(), rtl::Variant(11.0));
    Wheel(-120);
    EXPECT_EQ(Value(), rtl::Variant(10.0));
    for (Qt::KeyboardModifier held : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier}) Wheel(120, held);
    EXPECT_EQ(Value(), rtl::Variant(10.0));
    ClickButton(true);
    EXPECT_EQ(Value(), rtl::Variant(11.0));
    ClickButton(false);
    ClickButton(false);
    EXPECT_EQ(Value(), rtl::Variant(9.0));
    // The shortcut of an up/down pair steps down; nothing drops down.
    Key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Value(), rtl::Variant(8.0));
    EXPECT_FALSE(edit->DroppedDown());

    edit->SetReadOnly(true);
    Wheel(120);
    ClickButton(true);
    Key(Qt::Key_Up);
    EXPECT_EQ(Value(), rtl::Variant(8.0));
}

TEST_P(DBNumberEditTest, AnIncrementOfZeroStepsNothing)
{
    UpDownButton();
    edit->SetIncrement(0);
    edit->SetValue(5);
    StepEveryWay();
    EXPECT_EQ(Value(), rtl::Variant(5.0));
    EXPECT_EQ(edit->Text(), "5");
}

TEST_P(DBNumberEditTest, AStepThatGivesNoFiniteNumberDoesNothingOrStopsAtTheLimits)
{
    UpDownButton();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double increment : {nan, inf, -inf}) {
        SCOPED_TRACE(increment);
        edit->SetIncrement(increment);
        edit->SetValue(5);
        const std::string text = edit->Text();
        StepEveryWay();
        EXPECT_EQ(Value(), rtl::Variant(5.0));
        EXPECT_EQ(edit->Text(), text);
        // Also from an empty editor, where the step is the increment itself.
        edit->SetText("");
        StepEveryWay();
        EXPECT_TRUE(Value().IsNull());
    }
    // A sum past the double range does nothing; the step back is a number again.
    edit->SetIncrement(1e308);
    edit->SetValue(1.5e308);
    Key(Qt::Key_Up);
    Wheel(120);
    ClickButton(true);
    EXPECT_EQ(Value(), rtl::Variant(1.5e308));
    Key(Qt::Key_Down);
    EXPECT_LT(Value().AsFloat(), 1e308);
    EXPECT_GT(Value().AsFloat(), 1e307);
    // With limits an infinite step stops at them; a NaN step still does nothing.
    edit->SetMinValue(1);
    edit->SetMaxValue(60);
    edit->SetValue(30);
    edit->SetIncrement(inf);
    Key(Qt::Key_Up);
    EXPECT_EQ(Value(), rtl::Variant(60.0));
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    edit->SetIncrement(nan);
    Key(Qt::Key_Up);
    EXPECT_EQ(Value(), rtl::Variant(1.0));
    EXPECT_EQ(edit->Text(), "1");
    // (The fixture's tear-down finds no error box.)
}

TEST_P(DBNumberEditTest, CurrencyShowsTheCentAPersonReadsAcrossTheWholeRange)
{
    edit->SetCurrency(true);
    Leave();
    const struct {
        double value;
        const char* display;
    } cases[] = {
        {822762763115243.0, "$822,762,763,115,243.00"},
        {100000000000000.3, "$100,000,000,000,000.30"},
        {-922337203685477.5, "($922,337,203,685,477.50)"},
    };
    for (const auto& c : cases) {
        edit->SetValue(c.value);
        EXPECT_EQ(edit->Text(), L(c.display)) << c.value;
    }
    // Amounts of whole cents anywhere in the range show those cents: the digits the
    // double's shortest text has, grouped.
    std::mt19937_64 random(3116);
    std::uniform_int_distribution<std::int64_t> cents(0, 92233720368547757);
    for (int i = 0; i < 3000; ++i) {
        const std::int64_t k = cents(random) / (i % 2 == 0 ? 1 : 100000);
        const std::string source = std::to_string(k / 100) + "." + std::to_string(k % 100 / 10) + std::to_string(k % 10);
        double value = 0;
        std::from_chars(source.data(), source.data() + source.size(), value);
        if (value >= 922337203685477.625) continue; // rounds past the currency's range
        char shortest[64];
        std::string digits(shortest, std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed).ptr);
        std::size_t point = digits.find('.');
        std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
        std::string whole = digits.substr(0, point);
        fraction.resize(2, '0');
        for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(static_cast<std::size_t>(at), ",");
        edit->SetValue(value);
        ASSERT_EQ(edit->Text(), L("$" + whole + "." + fraction)) << source;
    }
}

TEST_P(DBNumberEditTest, AGroupingPictureGroupsTheDigitsWhileTheUserTypes)
{
    edit->SetCurrency(true);
    EXPECT_EQ(edit->EditFormat(), ",#.00");
    Type("1234567.5");
    EXPECT_EQ(edit->Text(), L("1,234,567.5"));
    EXPECT_EQ(edit->SelStart(), 11);
    EXPECT_EQ(Value(), rtl::Variant(1234567.5));

    // A digit taken out of the middle: the groups follow, the caret stays behind the digit before it.
    edit->SetSelStart(4);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), L("124,567.5"));
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(Value(), rtl::Variant(124567.5));
    // Backspace right after a separator only moves over it.
    edit->SetSelStart(4);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), L("124,567.5"));
    EXPECT_EQ(edit->SelStart(), 3);
    Key(Qt::Key_Home);
    Type("9");
    EXPECT_EQ(edit->Text(), L("9,124,567.5"));

    Leave();
    EXPECT_EQ(edit->Text(), L("$9,124,567.50"));
    Enter();
    EXPECT_EQ(edit->Text(), L("9,124,567.50"));
}

TEST_P(DBNumberEditTest, TheDisplayFormatShowsTheValueAndItsDigitsAreEditedWithoutTheText)
{
    const struct {
        const char* format;
        double value;
        const char* display;
        const char* editText;
    } cases[] = {
        {"#.0", 12.5, "12.5", "12.5"},
        {"#.0", 0.5, ".5", ".5"},
        {"#0.00", 3, "3.00", "3.00"},
        {"00", 5, "05", "05"},
        {"#,##0.0 'dB'", 1234.5, "1,234.5 dB", "1,234.5"},
        {"0.00;(0.00)", -2, "(2.00)", "-2.00"},
    };
    for (const auto& c : cases) {
        edit->SetDisplayFormat(c.format);
        edit->SetValue(c.value);
        Leave();
        EXPECT_EQ(edit->Text(), L(c.display)) << c.format;
        Enter();
        EXPECT_EQ(edit->Text(), L(c.editText)) << c.format;
    }
}

TEST_P(DBNumberEditTest, CurrencyShowsTheAmountRoundedAsItReads)
{
    rtl::FormatSettings.CurrencyDecimals = 4; // the scope of the fixture puts it back
    edit->SetCurrency(true);
    const struct {
        double value;
        const char* display;
    } cases[] = {
        {0.00005, "$0.0000"}, // a half to even, not the double's 0.50000000000000011 cents
        {0.00015, "$0.0002"},
        {-1234.5, "($1,234.5000)"},
        {1e16, "1.00000000000000E+16"}, // beyond the currency's range: unrounded, as a float
    };
    Leave();
    for (const auto& c : cases) {
        edit->SetValue(c.value);
        EXPECT_EQ(edit->Text(), L(c.display)) << c.value;
        EXPECT_EQ(Value(), rtl::Variant(c.value));
    }
}

TEST_P(DBNumberEditTest, ProgrammaticTextAndValueAreNeitherClampedNorRoundedAndNoNumberChangesNothing)
{
    edit->SetMinValue(1);
    edit->SetMaxValue(60);
    edit->SetValue(75);
    EXPECT_EQ(Value(), rtl::Variant(75.0));
    EXPECT_EQ(edit->Text(), "75");
    edit->SetText("0");
    EXPECT_EQ(Value(), rtl::Variant(0.0));
    edit->SetText(L(" 1,234.5 "));
    EXPECT_EQ(Value(), rtl::Variant(1234.5));
    edit->SetValue(2.675);
    EXPECT_EQ(Value(), rtl::Variant(2.675));
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(2.675));
    for (const char* empty : {"", "   ", "-", "+"}) {
        edit->SetValue(3);
        edit->SetText(empty);
        EXPECT_TRUE(Value().IsNull()) << "'" << empty << "'";
        EXPECT_EQ(edit->Text(), "");
    }

    edit->SetValue(12);
    for (const char* bad : {"abc", "1e400", "INF", "1e", "12x"}) {
        EXPECT_THROW(edit->SetText(bad), rtl::EConvertError) << bad;
        EXPECT_THROW(edit->SetValue(bad), rtl::EConvertError) << bad;
    }
    EXPECT_THROW(edit->SetValue(std::numeric_limits<double>::infinity()), rtl::EConvertError);
    EXPECT_THROW(edit->SetValue(std::nan("")), rtl::EConvertError);
    EXPECT_EQ(Value(), rtl::Variant(12.0));
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(12.0));
    // A value the link keeps that is no number shows as empty.
    edit->DataLink()->SetValue("words");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(Value().IsNull());
}

TEST_P(DBNumberEditTest, APasteThatGivesNoNumberIsRefused)
{
    edit->SetValue(7);
    for (const std::string& bad : std::vector<std::string>{"abc", "1e400", "INF", "12x", L("1.2.3")}) {
        edit->SelectAll();
        Paste(bad);
        EXPECT_EQ(edit->Text(), "7") << bad;
        EXPECT_EQ(Value(), rtl::Variant(7.0)) << bad;
    }
    edit->SelectAll();
    Paste(L("1,234.5"));
    EXPECT_EQ(edit->Text(), L("1234.5"));
    EXPECT_EQ(Value(), rtl::Variant(1234.5));
    edit->SelectAll();
    Paste(L(" 12.5 \nsecond line"));
    EXPECT_EQ(Value(), rtl::Variant(12.5));
    // Into the middle: the whole text must read.
    edit->SetSelStart(1);
    Paste("e");
    EXPECT_EQ(edit->Text(), L("12.5"));
    Paste("0");
    EXPECT_EQ(Value(), rtl::Variant(102.5));
}

TEST_P(DBNumberEditTest, OnlyRecentlyUsedNumbersAreOfferedAndTakingOneGivesItsValue)
{
    TMRUListEx* mru = edit->GetMRUList();
    mru->SetActive(true);
    for (const char* text : {"12.5", "1x", "1,234.5", "-"}) mru->GetItems().Add(L(text));
    // Written while unfocused, the display text is what the list keeps.
    edit->SetDisplayFormat("0.0 'dB'");
    Leave();
    edit->SetValue(17.5);
    ASSERT_EQ(mru->GetItems().StringAt(mru->GetItems().GetCount() - 1), L("17.5 dB"));

    Enter();
    edit->SelectAll();
    Type("1");
    ASSERT_TRUE(mru->GetDroppedDown());
    const rtl::TStringList& shown = edit->MRUListBox()->Items();
    ASSERT_EQ(shown.GetCount(), 2);
    EXPECT_EQ(shown.StringAt(0), L("12.5"));
    EXPECT_EQ(shown.StringAt(1), L("1,234.5"));
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_FALSE(mru->GetDroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(1234.5));
    Leave();
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(1234.5));
}

TEST_P(DBNumberEditTest, TheKeyFilterReadsTheWholeTextAndRefusesWhatIsNotFinite)
{
    const std::string digits(70, '1');
    Type(digits);
    EXPECT_EQ(edit->Text(), digits);
    for (const char* refused : {"e", "-", "x"}) {
        Type(refused);
        EXPECT_EQ(edit->Text(), digits) << refused;
    }

    Retype("140");
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    Type("e");
    EXPECT_EQ(edit->Text(), "1e40");
    EXPECT_EQ(Value(), rtl::Variant(1e40));
    Key(Qt::Key_End);
    Type("0"); // 1e400 is beyond the largest double
    EXPECT_EQ(edit->Text(), "1e40");
    // A text that is no number yet keeps the last value until it reads again.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Value(), rtl::Variant(1e4));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "1e");
    EXPECT_EQ(Value(), rtl::Variant(1e4));
    Leave();
    EXPECT_EQ(edit->Text(), "10000");
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(1e4));
}

TEST_P(DBNumberEditTest, ALoneSignAndBlanksAreEmpty)
{
    edit->SetMinValue(1);
    edit->SetMaxValue(60);
    Type("+");
    EXPECT_EQ(edit->Text(), "+");
    EXPECT_TRUE(Value().IsNull());
    Leave();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(edit->DataLink()->GetKeptValue().IsNull());
    Enter();
    Type(" ");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(Value().IsNull());
}

TEST_P(DBNumberEditTest, BoundToAFloatFieldTheValueIsWrittenAndTheFieldGivesWhatIsNotSet)
{
    std::unique_ptr<db::TMemDataSet> data = dbtest::MakeRows(3);
    db::TDataSource source;
    source.SetDataSet(data.get());
    db::TFloatField* amount = dynamic_cast<db::TFloatField*>(data->FieldByName("AMOUNT"));
    ASSERT_NE(amount, nullptr);
    amount->SetMinValue(-50);
    amount->SetMaxValue(1000);
    edit->SetDataSource(&source);
    edit->SetDataField("AMOUNT");
    EXPECT_EQ(Value(), rtl::Variant(1.5));
    EXPECT_EQ(edit->Text(), L("1.5"));
    EXPECT_EQ(edit->GetMinValue(), -50.0);
    EXPECT_EQ(edit->GetMaxValue(), 1000.0);
    EXPECT_FALSE(edit->MaxValueAssigned());

    // The field's limits are the field's: typing below zero is not refused for them.
    Retype("-12.25");
    EXPECT_EQ(data->State(), db::dsEdit);
    EXPECT_EQ(Value(), rtl::Variant(-12.25));
    Leave();
    EXPECT_EQ(amount->GetAsFloat(), -12.25);
    data->Post();
    data->Next();
    EXPECT_EQ(Value(), rtl::Variant(3.0));
    data->Prior();
    EXPECT_EQ(Value(), rtl::Variant(-12.25));

    amount->SetCurrency(true);
    amount->SetDisplayFormat("0.000");
    EXPECT_TRUE(edit->GetCurrency());
    EXPECT_EQ(edit->GetDisplayFormat(), "0.000");
    EXPECT_EQ(edit->Text(), L("-12.250"));
    edit->SetDisplayFormat("");
    EXPECT_EQ(edit->Text(), L("($12.25)"));
    EXPECT_EQ(edit->GetDisplayText(), L("($12.25)")); // painted so, not in the field's format
    EXPECT_EQ(edit->GetMaxValue(), 1000.0);
    edit->SetMaxValue(20);
    EXPECT_EQ(edit->GetMaxValue(), 20.0);

    // A text field's words are no number: the editor shows nothing and writes nothing.
    edit->SetDataField("NAME");
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(Value().IsNull());
    EXPECT_EQ(edit->GetAlignment(), ui::taLeftJustify); // the field's
    Enter();
    Leave();
    EXPECT_EQ(data->FieldByName("NAME")->GetAsString(), "Row 1");
    edit->SetDataSource(nullptr);
}

// ---- the calculator ----

namespace {

class DBNumberEditCalculatorTest : public DBNumberEditTest {
protected:
    TPopupCalculatorEx* Calculator() { return edit->GetCalculator(); }
    std::string Display() { return Calculator()->GetDisplayText(); }
    void Open() { Key(Qt::Key_Down, Qt::AltModifier); }

    void Record()
    {
        edit->OnDropDown = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { events.push_back("drop down"); });
        edit->OnCloseUp = TCloseUpEventEx::FromFunction(
            [this](rtl::TObject*, bool accept) { events.push_back(accept ? "close up accept" : "close up cancel"); });
    }

    std::vector<std::string> events;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Separators, DBNumberEditCalculatorTest, ::testing::Values(kPointDecimal, kCommaDecimal),
                         SeparatorsName);

TEST_P(DBNumberEditCalculatorTest, ItOpensBelowWithTheValueAndAnAcceptedResultIsKeptUnclamped)
{
    Record();
    edit->SetMinValue(1);
    edit->SetMaxValue(60);
    edit->SetValue(12);
    Open();
    ASSERT_TRUE(edit->DroppedDown());
    TPopupCalculatorEx* calc = Calculator();
    EXPECT_TRUE(calc->isVisible());
    EXPECT_EQ(Display(), "12");
    EXPECT_FALSE(edit->CaretVisible());
    EXPECT_EQ(edit->SelLength(), 0);
    const ui::TRect below = ScreenRect(edit);
    EXPECT_EQ(calc->Left(), below.Left);
    EXPECT_EQ(calc->Top(), below.Bottom);
    EXPECT_TRUE(edit->EditButtonControl(0)->AlwaysDown());

    // The typing goes to the calculator, Backspace corrects it there.
    Type("*100");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Display(), "10");
    EXPECT_EQ(edit->Text(), "12");
    Key(Qt::Key_Up); // the calculator's, not a step
    EXPECT_EQ(Value(), rtl::Variant(12.0));
    Key(Qt::Key_Return); // computes
    EXPECT_EQ(Display(), "120");
    EXPECT_TRUE(edit->DroppedDown());
    Key(Qt::Key_Return); // "Ok"
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_FALSE(calc->isVisible());
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(edit->CaretVisible());
    EXPECT_FALSE(edit->EditButtonControl(0)->AlwaysDown());
    EXPECT_EQ(Value(), rtl::Variant(120.0));
    EXPECT_EQ(edit->Text(), "120");
    EXPECT_EQ(edit->SelLength(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"drop down", "close up accept"}));

    // A decimal result in the running separators.
    Open();
    Type("/8\r\r");
    EXPECT_EQ(Value(), rtl::Variant(15.0));
    Open();
    Type("/4\r\r");
    EXPECT_EQ(edit->Text(), L("3.75"));
    Leave();
    EXPECT_EQ(edit->DataLink()->GetKeptValue(), rtl::Variant(3.75));
}

TEST_P(DBNumberEditCalculatorTest, EscAPressOutsideAndTheFocusLeavingCloseItWithoutAccepting)
{
    Record();
    edit->SetValue(5);
    Open();
    Type("+1");
    Key(Qt::Key_Escape);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(5.0));

    Open();
    Type("9");
    QTest::mousePress(other, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(5.0));

    Enter();
    Open();
    Type("9");
    Leave();
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(5.0));

    // An error is no value: accepting it keeps the editor's.
    Enter();
    Open();
    Type("/0=");
    EXPECT_EQ(Display(), "Error");
    Key(Qt::Key_Return);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(5.0));

    // Read-only: the calculator opens, but its result is not taken.
    edit->SetReadOnly(true);
    Open();
    Type("3\r");
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(5.0));
    EXPECT_EQ(events.size(), 10u);
    EXPECT_EQ(events.back(), "close up accept");
}

TEST_P(DBNumberEditCalculatorTest, TheWheelTurnsTheCalculatorFirstAndTheEditorWhenTheCalculatorDeclines)
{
    edit->SetValue(5);
    Open();
    Wheel(120);
    Wheel(120);
    EXPECT_EQ(Display(), "7");
    EXPECT_EQ(Value(), rtl::Variant(5.0));
    Type("/0=");
    Wheel(120);
    EXPECT_EQ(Display(), "Error");
    EXPECT_EQ(Value(), rtl::Variant(6.0));
    Key(Qt::Key_Escape);
}

TEST_P(DBNumberEditCalculatorTest, TheMainButtonOpensAndClosesIt)
{
    edit->GetEditButton()->SetVisible(true);
    edit->SetValue(2);
    TEditButtonControlEx* button = edit->EditButtonControl(0);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->Width() / 2, button->Height() / 2));
    ASSERT_TRUE(edit->DroppedDown());
    EXPECT_EQ(Display(), "2");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->Width() / 2, button->Height() / 2));
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(2.0));
}

// Run once more under X: clicks on the calculator leave the focus and activation in the form.
TEST_P(DBNumberEditCalculatorTest, ClicksOnTheCalculatorKeepTheFocusInTheEditor)
{
    edit->SetValue(6);
    Open();
    TPopupCalculatorEx* calc = Calculator();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(calc));
    for (const char* caption : {"*", "7", "=", "Ok"}) {
        TSpeedButtonEx* pressed = nullptr;
        for (int i = 0; i < calc->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TSpeedButtonEx*>(calc->Controls(i)); b && b->Caption() == caption) pressed = b;
        ASSERT_NE(pressed, nullptr) << caption;
        QTest::mouseClick(pressed, Qt::LeftButton, {}, QPoint(pressed->Width() / 2, pressed->Height() / 2));
        EXPECT_TRUE(edit->Focused()) << caption;
    }
    EXPECT_EQ(QApplication::activeWindow(), form);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(Value(), rtl::Variant(42.0));
}

// ---- pictures ----

namespace {

class DBNumberEditPictureTest : public editorstest::NumberEditFixture {
protected:
    DBNumberEditPictureTest() : NumberEditFixture(kPointDecimal) {}
};

} // namespace

TEST_F(DBNumberEditPictureTest, Snapshots)
{
    // Beside the editor: one flat with an up/down pair and a display format, one grouping.
    auto* flat = new TDBNumberEditEx(form);
    flat->SetBounds(10, 40, 150, 21);
    flat->SetFlat(true);
    flat->GetEditButton()->SetStyle(ebsUpDownEx);
    flat->GetEditButton()->SetVisible(true);
    flat->SetDisplayFormat("#0.0");
    flat->SetValue(87.5);
    auto* money = new TDBNumberEditEx(form);
    money->SetBounds(10, 70, 150, 21);
    money->SetCurrency(true);
    money->SetValue(1234567.5);
    edit->GetEditButton()->SetVisible(true);
    Type("98765.4");
    QCoreApplication::processEvents();
    const QImage editors = uitest::Render(form);
    EXPECT_EQ(flat->Text(), "87.5");
    EXPECT_EQ(money->Text(), "$1,234,567.50");
    editorstest::WriteSnapshot("numberedit", editors);

    Key(Qt::Key_Down, Qt::AltModifier);
    TPopupCalculatorEx* calc = edit->GetCalculator();
    ASSERT_TRUE(calc->isVisible());
    QImage withCalculator = uitest::Render(form);
    {
        QPainter painter(&withCalculator);
        painter.drawImage(form->mapFromGlobal(calc->mapToGlobal(QPoint(0, 0))), uitest::Render(calc));
    }
    editorstest::WriteSnapshot("numberedit-calculator", withCalculator);
    Key(Qt::Key_Escape);
}
