// The numeric editor's number rules: reading typed texts under several separator
// settings, edit pictures, grouping, the key filter's test, the limits and rounding.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "controls/editors/NumberEditText.h"

using namespace editors;

namespace {

rtl::TFormatSettings Separators(char decimal, char thousands)
{
    rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
    fs.DecimalSeparator = decimal;
    fs.ThousandSeparator = thousands;
    return fs;
}

const rtl::TFormatSettings kPoint = Separators('.', ',');
const rtl::TFormatSettings kComma = Separators(',', '.');
const rtl::TFormatSettings kCommaBlank = Separators(',', ' ');
const rtl::TFormatSettings kPointNoGroups = Separators('.', 0);

} // namespace

TEST(NumberEditText, NormalizingDropsBlanksAndThousandsAndReadsEitherMarkAsTheDecimalSeparator)
{
    struct Case {
        const rtl::TFormatSettings& settings;
        const char* text;
        const char* normalized;
    };
    const Case cases[] = {
        {kPoint, "  1,234.5  ", "1234.5"},
        {kPoint, "1,5", "15"},      // ',' groups here
        {kPoint, "\t1.5", "\t1.5"}, // only blanks are trimmed
        {kComma, "1.234,5", "1234,5"},
        {kComma, "1.5", "15"},       // '.' groups here
        {kCommaBlank, "1.5", "1,5"}, // neither groups: both read as the decimal separator
        {kCommaBlank, "1 234 567,5", "1234567,5"},
        {kPointNoGroups, "1,5", "1.5"},
        {kPointNoGroups, "-1,000.5", "-1.000.5"},
        {kPoint, "   ", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NormalizeNumberText(c.text, c.settings), c.normalized) << c.text;
}

TEST(NumberEditText, ATextReadsAsEmptyAsAFiniteNumberOrAsNoNumber)
{
    double v = -1;
    for (const char* empty : {"", "+", "-"}) EXPECT_EQ(ReadNumberText(empty, v, kPoint), TNumberText::Empty) << empty;
    EXPECT_EQ(v, -1);
    EXPECT_EQ(ReadNumberText("-12.5", v, kPoint), TNumberText::Number);
    EXPECT_EQ(v, -12.5);
    EXPECT_EQ(ReadNumberText("12,5", v, kComma), TNumberText::Number);
    EXPECT_EQ(v, 12.5);
    EXPECT_EQ(ReadNumberText("12.", v, kPoint), TNumberText::Number);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(ReadNumberText("1e-400", v, kPoint), TNumberText::Number); // too small reads as 0
    EXPECT_EQ(v, 0);
    for (const char* bad : {"1e400", "-1e400", "INF", "NAN", "1e", "1e+", ".", "abc", "1.2.3", "12,5"})
        EXPECT_EQ(ReadNumberText(bad, v, kPoint), TNumberText::NotANumber) << bad;
}

TEST(NumberEditText, AValueIsANumberOnlyWhenFinite)
{
    rtl::TScopedFormatSettings numbers('.', ',');
    EXPECT_EQ(NumberOfValue(7), 7.0);
    EXPECT_EQ(NumberOfValue(rtl::Variant(rtl::Currency::FromScaled(12345))), 1.2345);
    EXPECT_EQ(NumberOfValue(rtl::Variant("2.5")), 2.5);
    EXPECT_EQ(NumberOfValue(rtl::Variant()), 0.0);
    EXPECT_THROW(NumberOfValue(std::numeric_limits<double>::infinity()), rtl::EConvertError);
    EXPECT_THROW(NumberOfValue(std::nan("")), rtl::EConvertError);
    EXPECT_THROW(NumberOfValue(rtl::Variant("1e400")), rtl::EConvertError);
    EXPECT_THROW(NumberOfValue(rtl::Variant("abc")), rtl::EConvertError);
    EXPECT_THROW(NumberOfValue(rtl::Null()), rtl::EVariantTypeCastError);
    double v = 0;
    EXPECT_FALSE(TryNumberOfValue(rtl::VarArrayOf({1, 2}), v));
    EXPECT_FALSE(TryNumberOfValue(rtl::Variant::FromError(5), v));
    EXPECT_TRUE(TryNumberOfValue(-3, v));
    EXPECT_EQ(v, -3);
}

TEST(NumberEditText, TheEditPictureKeepsTheDigitPlacesOfThePositiveSection)
{
    struct Case {
        const char* displayFormat;
        const char* editFormat;
    };
    const Case cases[] = {
        {"#.0", "#.0"},
        {"#0.0", "#0.0"},
        {"#0.00", "#0.00"},
        {"00", "00"},
        {"#,##0.00 'km'", "#,##0.00"},
        {"0.0 dB\xB5V", "0.0"},
        {"0.00;(0.00);'zero'", "0.00"},
        {"\"a;b\"0.0", "0.0"}, // a quoted ';' ends nothing
        {"'0.0'#", "#"},       // quoted digits are text
        {"0.00E+00", "0.00"},  // the exponent goes with its digits
        {"#.##e-000 x", "#.##"},
        {"0E0", "00"}, // an E without sign is text
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(EditFormatOfDisplayFormat(c.displayFormat), c.editFormat) << c.displayFormat;

    rtl::TFormatSettings twoDecimals = kPoint;
    EXPECT_EQ(CurrencyEditFormat(twoDecimals), ",#.00");
    twoDecimals.CurrencyDecimals = 0;
    EXPECT_EQ(CurrencyEditFormat(twoDecimals), ",#.");
}

TEST(NumberEditText, GroupingPutsASeparatorBeforeEveryThirdIntegerDigit)
{
    struct Case {
        const rtl::TFormatSettings& settings;
        const char* text;
        bool group;
        const char* grouped;
    };
    const Case cases[] = {
        {kPoint, "1234567.5", true, "1,234,567.5"},
        {kPoint, "-1234567.5", true, "-1,234,567.5"},
        {kPoint, "+123456", true, "+123,456"},
        {kPoint, "123", true, "123"},
        {kPoint, "1,2,34", true, "1,234"}, // old separators go first
        {kPoint, "12345e12345", true, "12,345e12345"},
        {kPoint, ".12345", true, ".12345"},
        {kPoint, "1,234,567.5", false, "1234567.5"},
        {kPoint, "-", true, "-"},
        {kPoint, "", true, ""},
        {kPoint, "  ", true, ""},
        {kComma, "1234567,5", true, "1.234.567,5"},
        {kComma, "1234567.5", true, "12.345.675"}, // '.' groups here: it is dropped
        {kCommaBlank, "1234.5", true, "1 234,5"},
        {kPointNoGroups, "1234567.5", true, "1234567.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThousandsGroupedText(c.text, c.group, c.settings), c.grouped) << c.text;
}

TEST(NumberEditText, TheKeyFilterTakesNumbersWithTheirDecimalsAndKeepsToTheSign)
{
    struct Case {
        const char* text; // normalized, '.' decimal
        unsigned places;
        bool refuseNegative;
        bool acceptable;
    };
    const Case cases[] = {
        {"", 0, true, true},
        {"-", 2, true, true}, // a lone sign is not negative
        {"+", 2, true, true},
        {"-5", 2, true, false},
        {"-5", 2, false, true},
        {"-0", 2, true, true}, // not below zero
        {"12.3", 1, false, true},
        {"12.34", 1, false, false},
        {"12.", 0, false, true},
        {"12.5", 0, false, false},
        {"1.5e12", 1, false, true}, // decimals end at the exponent
        {"1.55e1", 1, false, false},
        {".", 2, false, false},
        {"1e", 2, false, false},
        {"1e400", 2, false, false},
        {"1 2", 2, false, false},
        {"1x", 2, false, false},
        {"--1", 2, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberTextAcceptable(c.text, c.places, c.refuseNegative, kPoint), c.acceptable) << c.text;

    // The whole text counts, however long.
    const std::string digits(80, '1');
    EXPECT_TRUE(NumberTextAcceptable(digits, 2, false, kPoint));
    EXPECT_FALSE(NumberTextAcceptable(digits + "e", 2, false, kPoint));
    EXPECT_FALSE(NumberTextAcceptable(digits + "e300", 2, false, kPoint)); // beyond the largest double
    EXPECT_FALSE(NumberTextAcceptable("1" + std::string(70, '0') + "x", 2, false, kPoint));

    EXPECT_TRUE(NumberTextAcceptable("12,3", 1, false, kComma));
    EXPECT_FALSE(NumberTextAcceptable("12,34", 1, false, kComma));
    EXPECT_FALSE(NumberTextAcceptable("12.3", 1, false, kComma));
}

TEST(NumberEditText, LimitsApplyByTheirOrderAndRoundingHalvesToEven)
{
    struct Case {
        double value, minValue, maxValue, expected;
    };
    const Case cases[] = {
        {-1e9, 0, 0, -1e9}, // equal limits: none
        {7, 3, 3, 7},
        {0, 1, 60, 1},
        {75, 1, 60, 60},
        {30, 1, 60, 30},
        {3, 5, 0, 5}, // min > max = 0: the lower one only
        {100, 5, 0, 100},
        {3, 0, -5, -5}, // min = 0 > max: the upper one only
        {-100, 0, -5, -100},
        {1, 5, 2, 1}, // min > max, neither 0: none
        {9, 5, 2, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampToLimits(c.value, c.minValue, c.maxValue), c.expected)
            << c.value << " in " << c.minValue << ".." << c.maxValue;

    EXPECT_EQ(RoundToPlaces(2.5, 0), 2);
    EXPECT_EQ(RoundToPlaces(3.5, 0), 4);
    EXPECT_EQ(RoundToPlaces(2.675, 2), 2.68);
    EXPECT_EQ(RoundToPlaces(0.9 + 0.1, 1), 1);
    EXPECT_EQ(RoundToPlaces(0.1 + 0.2, 15), 0.3);
    EXPECT_EQ(RoundToPlaces(0.1 + 0.2, 37), 0.1 + 0.2); // every digit it has is kept
    EXPECT_EQ(RoundToPlaces(0.1 + 0.2, 38), 0.1 + 0.2);
    EXPECT_EQ(RoundToPlaces(123456789.123456789, 12), 123456789.123456789); // scaled beyond 64 bits
}
