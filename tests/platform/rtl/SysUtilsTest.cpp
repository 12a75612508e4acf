#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

using namespace rtl;

namespace {

// German-style settings: decimal comma, dot grouping, euro after the amount.
TFormatSettings CommaSettings()
{
    TFormatSettings fs = TFormatSettings::Invariant();
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.CurrencyString = "\x80"; // the euro sign in Windows-1252
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = 8;
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongTimeFormat = "hh:nn:ss";
    return fs;
}

std::string ConvertMessage(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message;
    }
    return "no EConvertError";
}

} // namespace

TEST(Format, IntegersWidthsAndIndexes)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(Format("%d|%5d|%-5d|%02d|%.3d", 42, 42, 42, 8, 7), "42|   42|42   |08|007");
    EXPECT_EQ(Format("%d", -42), "-42");
    EXPECT_EQ(Format("%05d", -42), "-0042");
    EXPECT_EQ(Format("%x %4x %.4x", 255, 10, 10), "FF    A 000A");
    EXPECT_EQ(Format("%x", -1), "FFFFFFFF"); // a 32-bit argument stays 32 bits
    EXPECT_EQ(Format("%x", -1LL), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format("%d.%d.%d.%d", 192, 168, 0, 1), "192.168.0.1");
    EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
    EXPECT_EQ(Format("%*d|%-*s|", 4, 7, 3, "x"), "   7|x  |");
    EXPECT_EQ(Format("%.3s|%5s", "abcdef", "ab"), "abc|   ab");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%3d%3d%3d", 255, 0, 12), "255  0 12");
    // The clock-time text of the unit frames, with its trailing blank.
    EXPECT_EQ(Format("%02d %s %04d, %s, week %02d, %-2u:%-2u %s%2d:%-2d", 25, "Feb", 2023, "Sat", 8,
                     14u, 5u, "+", 2, 0),
              "25 Feb 2023, Sat, week 08, 14:5  + 2:0 ");
    EXPECT_EQ(Format("%02d %s %04d, %s, week %02d, %-2u:%-2u %s%2d:%-2d", 1, "Jan", 2021, "Fri", 53,
                     9u, 30u, "-", 1, 30),
              "01 Jan 2021, Fri, week 53, 9 :30 - 1:30");
}

TEST(Format, FloatsFollowTheDecimalSeparator)
{
    {
        TScopedFormatSettings fs('.', ',');
        EXPECT_EQ(Format("%3.1f", 87.5), "87.5");
        EXPECT_EQ(Format("%3.1f MHz, %3.1f dB\xB5V ", 105.0, 7.25), "105.0 MHz, 7.3 dB\xB5V ");
        EXPECT_EQ(Format("%6.2f|%-7.1f|%f", 3.14159, 2.0, 1.0), "  3.14|2.0    |1.00");
        EXPECT_EQ(Format("%n", 1234567.891), "1,234,567.89");
        EXPECT_EQ(Format("%.0n", -1234567.5), "-1,234,568");
        EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
        EXPECT_EQ(Format("%.3e", -0.000123456), "-1.23E-004");
        EXPECT_EQ(Format("%g|%g|%g", 0.1, 1e20, 100.0), "0.1|1E20|100");
        EXPECT_EQ(Format("%m", -1234.5), "($1,234.50)");
        EXPECT_EQ(Format("%.2f", Currency::FromScaled(12345)), "1.23");
    }
    {
        TScopedFormatSettings fs(CommaSettings());
        EXPECT_EQ(Format("%3.1f", 87.5), "87,5");
        EXPECT_EQ(Format("%n", 1234567.891), "1.234.567,89");
        EXPECT_EQ(Format("%m", -1234.5), "-1.234,50 \x80");
        EXPECT_EQ(Format("%.2e", 1.5), "1,5E+000");
    }
}

TEST(Format, DecimalHalvesGoAwayFromZero)
{
    TScopedFormatSettings fs('.', ',');
    // The decimal value as written decides, not its binary approximation: 2.675 and
    // 2.665 are halves although the doubles lie a little below and above them.
    EXPECT_EQ(Format("%.2f", 2.675), "2.68");
    EXPECT_EQ(Format("%.2f", 2.665), "2.67");
    EXPECT_EQ(Format("%.0f|%.0f|%.0f|%.0f", 0.5, 1.5, 2.5, -2.5), "1|2|3|-3");
    EXPECT_EQ(Format("%.1f", 0.25), "0.3");
    EXPECT_EQ(Format("%.1f", 0.35), "0.4");
    EXPECT_EQ(Format("%3.1f MHz", 1.05), "1.1 MHz");
    EXPECT_EQ(Format("%.1f", -0.05), "-0.1");
    // Either side of a half, by the neighbouring doubles' own shortest texts
    // (1.0499999999999998 and 1.0500000000000003).
    EXPECT_EQ(Format("%.1f", std::nextafter(1.05, 0.0)), "1.0");
    EXPECT_EQ(Format("%.1f", std::nextafter(1.05, 2.0)), "1.1");
    EXPECT_EQ(Format("%.2f", std::nextafter(2.675, 0.0)), "2.67");
    EXPECT_EQ(Format("%.2f", 2.6751), "2.68");
    EXPECT_EQ(Format("%.2f", 1.0049999), "1.00");
    // A negative value that rounds to zero shows no sign.
    EXPECT_EQ(Format("%.1f", -0.04), "0.0");
    EXPECT_EQ(Format("%.2f", 9.995), "10.00");
    EXPECT_EQ(Format("%.2m", Currency::FromScaled(10050)), "$1.01");
}

TEST(Format, WidthsAndPrecisionsFromArgumentsAreCappedAsWrittenOnesAre)
{
    TScopedFormatSettings fs('.', ',');
    constexpr std::size_t kCap = 1 << 20;
    const int huge = std::numeric_limits<int>::max();
    // Not gigabytes of blanks or zeros.
    EXPECT_EQ(Format("%*d", huge, 5).size(), kCap);
    EXPECT_EQ(Format("%99999999d", 5).size(), kCap);
    EXPECT_EQ(Format("%.*d", huge, 5).size(), kCap);
    EXPECT_EQ(Format("%*d", 3000000000u, 5).size(), kCap);
    EXPECT_EQ(Format("%*d", 1LL << 40, 5).size(), kCap);
    EXPECT_EQ(Format("%.*s|%.*f", huge, "abc", huge, 1.5), "abc|1.500000000000000000");
    // A negative one counts as none.
    EXPECT_EQ(Format("%*d|%.*f", -5, 7, -1, 2.5), "7|2.50");
    EXPECT_EQ(Format("%*d", std::numeric_limits<long long>::min(), 7), "7");
}

TEST(Format, MismatchedOrMissingArgumentsRaise)
{
    EXPECT_EQ(ConvertMessage([] { Format("%d", 1.5); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(ConvertMessage([] { Format("%s", 5); }), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(ConvertMessage([] { Format("%f", 5); }), "Format '%f' invalid or incompatible with argument");
    EXPECT_EQ(ConvertMessage([] { Format("%d %d", 1); }), "No argument for format '%d %d'");
    EXPECT_EQ(ConvertMessage([] { Format("%q", 1); }), "Format '%q' invalid or incompatible with argument");
    EXPECT_EQ(ConvertMessage([] { Format("abc %"); }), "Format 'abc %' invalid or incompatible with argument");
}

TEST(FormatFloat, PicturesUnderBothSeparators)
{
    {
        TScopedFormatSettings fs('.', ',');
        EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
        EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
        EXPECT_EQ(FormatFloat("#,##0", 999.5), "1,000");
        EXPECT_EQ(FormatFloat("#.0", 0.5), ".5");
        EXPECT_EQ(FormatFloat("#0.0", 0.5), "0.5");
        EXPECT_EQ(FormatFloat("#0.00", 12.3), "12.30");
        EXPECT_EQ(FormatFloat("00", 7), "07");
        EXPECT_EQ(FormatFloat("00", 123), "123");
        EXPECT_EQ(FormatFloat("#.##", 0), "");
        EXPECT_EQ(FormatFloat("0.###", 1.5), "1.5");
        EXPECT_EQ(FormatFloat("0.###", 2), "2");
        EXPECT_EQ(FormatFloat("0.0##", 2), "2.0");
        EXPECT_EQ(FormatFloat("\"Freq: \"0.0' MHz'", 87.5), "Freq: 87.5 MHz");
        EXPECT_EQ(FormatFloat("#,##0", 1e17), "100,000,000,000,000,000");
        EXPECT_EQ(FormatFloat("0", 1e20), "1E20"); // too long for a picture
        EXPECT_EQ(FormatFloat("", 0.1), "0.1");
        EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    }
    {
        TScopedFormatSettings fs(CommaSettings());
        EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
        EXPECT_EQ(FormatFloat("#.0", 0.5), ",5");
        EXPECT_EQ(FormatFloat("0.00", 2.675), "2,68");
        EXPECT_EQ(FormatFloat("", 0.1), "0,1");
    }
}

TEST(FormatFloat, DecimalHalvesGoAwayFromZero)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
    EXPECT_EQ(FormatFloat("0.00", 2.665), "2.67");
    EXPECT_EQ(FormatFloat("0.0", 0.25), "0.3");
    EXPECT_EQ(FormatFloat("0.0", 1.05), "1.1");
    EXPECT_EQ(FormatFloat("0.0", std::nextafter(1.05, 0.0)), "1.0");
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01");
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", 3.5), "4");
    EXPECT_EQ(FormatFloat("0", -2.5), "-3");
    EXPECT_EQ(FormatFloat("0.0", 0.05), "0.1");
    EXPECT_EQ(FormatFloat("0.0", 0.15), "0.2");
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.25), "1,234.3");
    EXPECT_EQ(FormatFloat("0.0E+00", 1.25e10), "1.3E+10");
    // At most 15 significant digits of a double, in the same single rounding.
    EXPECT_EQ(FormatFloat("0.000000000000000000", 0.1 + 0.2), "0.300000000000000000");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(10050)), "1.01");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(10150)), "1.02");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromScaled(-10050)), "-1.01");
}

TEST(FormatFloat, SectionsForPositiveNegativeAndZero)
{
    TScopedFormatSettings fs('.', ',');
    const char* f = "0.00;(0.00);'zero'";
    EXPECT_EQ(FormatFloat(f, 1.5), "1.50");
    EXPECT_EQ(FormatFloat(f, -1.5), "(1.50)");
    EXPECT_EQ(FormatFloat(f, 0), "zero");
    EXPECT_EQ(FormatFloat(f, 0.001), "zero"); // rounds to zero
    EXPECT_EQ(FormatFloat(f, -0.001), "zero");
    // An empty negative section takes the positive one, with the sign.
    EXPECT_EQ(FormatFloat("0.00;;'zero'", -1.5), "-1.50");
    EXPECT_EQ(FormatFloat("0.00;'minus'", -3), "minus");
    EXPECT_EQ(FormatFloat("0.00;'minus'", 0), "0.00");
    // A semicolon inside quotes does not split.
    EXPECT_EQ(FormatFloat("0' a;b'", 2), "2 a;b");
}

TEST(FormatFloat, Exponents)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(FormatFloat("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(FormatFloat("0.00E+00", 12355), "1.24E+04");
    EXPECT_EQ(FormatFloat("0.00E-00", 12345), "1.23E04");
    EXPECT_EQ(FormatFloat("0.00E-00", 0.000123), "1.23E-04");
    EXPECT_EQ(FormatFloat("0.0e+0", 1e10), "1.0e+10");
    EXPECT_EQ(FormatFloat("0.##E+000", 1.5), "1.5E+000");
    EXPECT_EQ(FormatFloat("0.00E+00", 0), "0.00E+00");
    EXPECT_EQ(FormatFloat("0.00E+00", -9.999), "-1.00E+01");
}

TEST(FloatToStr, FifteenSignificantDigits)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToStr(2.675), "2.675");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(1e14), "100000000000000");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStrF(1.0 / 3, ffGeneral, 15, 0), "0.333333333333333");
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 1), "1,234.6");
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(1.25, ffFixed, 15, 1), "1.3");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
    EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1.00000000000000E+20");

    TScopedFormatSettings comma(CommaSettings());
    EXPECT_EQ(FloatToStr(123.456), "123,456");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1,5E-7");
}

TEST(FloatToStr, EveryTextReadsBack)
{
    TScopedFormatSettings fs('.', ',');
    const double largest = std::numeric_limits<double>::max();
    // Rounded up to 15 digits the largest doubles would lie beyond the largest double.
    EXPECT_EQ(FloatToStr(largest), "1.79769313486231E308");
    EXPECT_EQ(FloatToStr(-largest), "-1.79769313486231E308");
    for (const double v : {largest, -largest, std::nextafter(largest, 0.0), 1.7976931348623149e308, 1e308,
                           std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min(), 0.1 + 0.2, 2.675, 1.0 / 3}) {
        const std::string text = FloatToStr(v);
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(text, back)) << text;
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << text;
    }
    EXPECT_EQ(FormatFloat("0.00E+00", largest), "1.79E+308");
    EXPECT_EQ(Format("%.3e", largest), "1.79E+308");
}

TEST(FloatToStr, TheShortestTextReadsBackAsTheSameDouble)
{
    TScopedFormatSettings fs('.', ',');
    // Where 15 digits read back, the text of FloatToStr.
    EXPECT_EQ(FloatToStrShortest(0.1), "0.1");
    EXPECT_EQ(FloatToStrShortest(1e15), "1E15");
    EXPECT_EQ(FloatToStrShortest(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(FloatToStrShortest(-0.0), "0");
    EXPECT_EQ(FloatToStrShortest(std::numeric_limits<double>::infinity()), "INF");
    // Where not, as many digits as it takes.
    EXPECT_EQ(FloatToStrShortest(1234567890123456789.0), "1.2345678901234568E18");
    EXPECT_EQ(FloatToStrShortest(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FloatToStrShortest(1.0 / 3), "0.3333333333333333");
    EXPECT_EQ(FloatToStrShortest(123456789012345678.0), "1.2345678901234568E17");
    EXPECT_EQ(FloatToStrShortest(9007199254740993.0), "9007199254740992");
    EXPECT_EQ(FloatToStrShortest(std::numeric_limits<double>::max()), "1.7976931348623157E308");

    std::mt19937_64 random(42);
    const double awkward[] = {std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                              std::nextafter(1.0, 2.0), std::nextafter(1.0, 0.0), 2.675, 1e23, 5e-324 * 3};
    std::vector<double> values(std::begin(awkward), std::end(awkward));
    for (int i = 0; i < 2000; ++i) {
        // Any bit pattern of a finite double, and the neighbours of whole numbers.
        double v = std::bit_cast<double>(random());
        if (!std::isfinite(v)) continue;
        values.push_back(v);
        values.push_back(std::nextafter(std::round(v * 1e-3) * 1e3 + 1, 0.0));
    }
    for (const char separator : {'.', ','}) {
        TScopedFormatSettings decimal(separator, separator == '.' ? ',' : '.');
        for (const double v : values) {
            const std::string text = FloatToStrShortest(v);
            double back = 0;
            ASSERT_TRUE(TryStrToFloat(text, back)) << text;
            EXPECT_EQ(back, v) << text;
            EXPECT_EQ(text.find(separator == '.' ? ',' : '.'), std::string::npos) << text;
        }
    }
}

TEST(CurrToStr, ExactAmounts)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(CurrToStr(Currency::FromScaled(125)), "0.0125");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(-123450000)), "-12345");
    EXPECT_EQ(CurrToStr(Currency::FromScaled(std::numeric_limits<std::int64_t>::max())), "922337203685477.5807");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), ffCurrency, 2), "$1,234.50");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345000), ffCurrency, 2), "($1,234.50)");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(10050), ffFixed, 2), "1.01");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(-10050), ffFixed, 2), "-1.01");
    EXPECT_EQ(CurrToStrF(Currency::FromScaled(10150), ffFixed, 2), "1.02");
    {
        TScopedFormatSettings comma(CommaSettings());
        EXPECT_EQ(CurrToStrF(Currency::FromScaled(12345000), ffCurrency, 2), "1.234,50 \x80");
        EXPECT_EQ(CurrToStrF(Currency::FromScaled(-12345000), ffCurrency, 2), "-1.234,50 \x80");
    }
    EXPECT_EQ(Currency::FromDouble(1.23456).Scaled, 12346);
    EXPECT_EQ(Currency::FromDouble(-0.00005).Scaled, 0);
    EXPECT_THROW(Currency::FromDouble(1e300), EOverflow);
}

TEST(StrToNumbers, TrimmedAndWithTheRuntimeMessages)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(StrToFloat(" 1.5 "), 1.5);
    EXPECT_EQ(StrToFloat("-.5"), -0.5);
    EXPECT_EQ(StrToFloat("1e3"), 1000);
    EXPECT_EQ(StrToFloat("+2.5E-1"), 0.25);
    EXPECT_EQ(ConvertMessage([] { StrToFloat("1,5"); }), "'1,5' is not a valid floating point value");
    EXPECT_EQ(ConvertMessage([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
    EXPECT_EQ(ConvertMessage([] { StrToFloat(""); }), "'' is not a valid floating point value");
    EXPECT_EQ(ConvertMessage([] { StrToFloat("."); }), "'.' is not a valid floating point value");
    EXPECT_EQ(ConvertMessage([] { StrToFloat("1e"); }), "'1e' is not a valid floating point value");
    EXPECT_EQ(ConvertMessage([] { StrToFloat("1e999"); }), "'1e999' is not a valid floating point value");
    EXPECT_EQ(StrToFloat("5e-999"), 0);
    EXPECT_EQ(ConvertMessage([] { StrToFloat("0.001e400"); }), "'0.001e400' is not a valid floating point value");
    EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5);
    {
        TScopedFormatSettings comma(CommaSettings());
        EXPECT_EQ(StrToFloat("1,5"), 1.5);
        EXPECT_EQ(ConvertMessage([] { StrToFloat("1.5"); }), "'1.5' is not a valid floating point value");
        EXPECT_EQ(StrToCurr("12,34567").Scaled, 123457);
    }

    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ConvertMessage([] { StrToInt("2147483648"); }), "'2147483648' is not a valid integer value");
    EXPECT_EQ(ConvertMessage([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
    EXPECT_EQ(ConvertMessage([] { StrToInt("1.5"); }), "'1.5' is not a valid integer value");
    EXPECT_EQ(ConvertMessage([] { StrToInt64("9223372036854775808"); }),
              "'9223372036854775808' is not a valid integer value");
    EXPECT_EQ(StrToIntDef("", 7), 7);
    int v = 0;
    EXPECT_FALSE(TryStrToInt("-", v));
    EXPECT_EQ(StrToCurr("-0.00005").Scaled, 0);
    EXPECT_EQ(StrToCurr("1e2").Scaled, 1000000);
    EXPECT_EQ(StrToCurr("5e-99999").Scaled, 0);
    Currency cur;
    EXPECT_FALSE(TryStrToCurr("1e16", cur));
    EXPECT_FALSE(TryStrToCurr("1e99999", cur));
    EXPECT_EQ(IntToStr(-9), "-9");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFFFFFFFFFF");
}

TEST(StrToNumbers, AShownNumberReadsBackByItsOwnWriting)
{
    auto shown = [](const std::string& text, const std::function<std::string(double)>& show) {
        double v = -999;
        return TryShownTextToFloat(text, show, v) ? FloatToStr(v) : std::string("none");
    };
    const auto picture = [](const char* format) {
        return [format](double v) { return FormatFloat(format, v); };
    };
    const auto currency = [](double v) { return FloatToStrF(v, ffCurrency, 15, 2); };
    {
        TScopedFormatSettings fs(TFormatSettings::Invariant());
        EXPECT_EQ(shown("$1,234.50", currency), "1234.5");
        EXPECT_EQ(shown("($1,234.50)", currency), "-1234.5");
        EXPECT_EQ(shown("$0.00", currency), "0");
        EXPECT_EQ(shown("1,234.5 kg", picture("#,##0.0 'kg'")), "1234.5");
        EXPECT_EQ(shown("(7)", picture("0;(0);'none'")), "-7");
        EXPECT_EQ(shown("none", picture("0;(0);'none'")), "0");
        EXPECT_EQ(shown("1.50E+03", picture("0.00E+00")), "1500");
        EXPECT_EQ(shown("-2.5E-7", [](double v) { return FloatToStr(v); }), "-2.5E-7");
        // What the writing would not write: another grouping, a doubled sign, a stray
        // character, no number, nothing.
        for (const char* text : {"$1,23.4", "--$1.00", "$1.00x", "", "  "})
            EXPECT_EQ(shown(text, currency), "none") << text;
        for (const char* text : {"1,234.5", "kg", "1,234.5kg"})
            EXPECT_EQ(shown(text, picture("#,##0.0 'kg'")), "none") << text;
        Currency c;
        EXPECT_TRUE(TryShownTextToCurr(
            "($922,337,203,685,477.58)",
            [](Currency v) { return CurrToStrF(v, ffCurrency, 2); }, c));
        EXPECT_EQ(c, Currency::FromScaled(-9223372036854775800));
    }
    // The settings' separators and currency string, which may hold the decimal separator.
    TScopedFormatSettings fs(CommaSettings());
    EXPECT_EQ(shown("-1.234,50 \x80", currency), "-1234,5");
    FormatSettings.CurrencyString = "kr,";
    EXPECT_EQ(shown("1.234,50 kr,", currency), "1234,5");
}

TEST(StrToNumbers, ExponentsAtAndPastTheIntegerLimitsReadByTheirMagnitude)
{
    TScopedFormatSettings fs('.', ',');
    // Beyond the double range, however far: no number, as "1e400" is.
    for (const char* text : {"9e9223372036854775807", "-9e9223372036854775807", "1e9223372036854775808",
                             "0.001e9223372036854775807", "1e99999999999999999999999", "1e+400"})
        EXPECT_EQ(ConvertMessage([&] { StrToFloat(text); }), "'" + std::string(text) + "' is not a valid floating point value")
            << text;
    // Far below it: 0.
    for (const char* text : {"0.001e-9223372036854775808", "9e-9223372036854775808", "-5e-9223372036854775807",
                             "1e-99999999999999999999999"})
        EXPECT_EQ(StrToFloat(text), 0) << text;
    // The digits move the exponent back: a long text of zeros and a long exponent meet.
    const std::string zeros(2000, '0');
    EXPECT_EQ(StrToFloat("0." + zeros + "1e2100"), 1e99);
    EXPECT_EQ(ConvertMessage([&] { StrToFloat("0." + zeros + "1e2500"); }).substr(0, 4), "'0.0");
    EXPECT_EQ(StrToFloat("1" + zeros + "e-2400"), 0);
    EXPECT_EQ(StrToFloat("1" + zeros + "e-2100"), 1e-100);
}

TEST(Currency, ADoubleIsScaledByItsDecimalTextAcrossTheWholeRange)
{
    EXPECT_EQ(Currency::FromDouble(822762763115243.0).Scaled, 8227627631152430000);
    EXPECT_EQ(Currency::FromDouble(100000000000000.3).Scaled, 1000000000000003000);
    EXPECT_EQ(Currency::FromDouble(-922337203685477.5).Scaled, -9223372036854775000);
    EXPECT_EQ(Currency::FromDouble(0.00015).Scaled, 2); // a half to even, as it reads
    EXPECT_EQ(Currency::FromDouble(0.00025).Scaled, 2);
    EXPECT_THROW(Currency::FromDouble(922337203685477.625), EOverflow);
    EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), EOverflow);
    EXPECT_THROW(Currency::FromDouble(-std::numeric_limits<double>::infinity()), EOverflow);
    // Amounts of up to four decimals anywhere in the range: the scaled value is the one the
    // double's shortest text gives, digit for digit.
    std::mt19937_64 random(35);
    std::uniform_int_distribution<std::int64_t> scaled(-9223372036854775807, 9223372036854775807);
    for (int i = 0; i < 100000; ++i) {
        // clang-format off
        const std::int64_t k = scaled(random) / (i % 3 == 0 ? 1 : i % 3 == 1 ? 10000 : 100000000);
        // clang-format on
        const std::uint64_t mag = k < 0 ? 0 - static_cast<std::uint64_t>(k) : static_cast<std::uint64_t>(k);
        std::string fraction = std::to_string(mag % 10000);
        fraction.insert(0, 4 - fraction.size(), '0');
        const std::string source = (k < 0 ? "-" : "") + std::to_string(mag / 10000) + "." + fraction;
        double value = 0;
        std::from_chars(source.data(), source.data() + source.size(), value);
        if (std::fabs(value) >= 922337203685477.625) continue; // rounds past the range
        char shortest[64];
        char* end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed).ptr;
        std::string text(shortest, end);
        std::size_t point = text.find('.');
        if (point == std::string::npos) point = text.size(), text += '.';
        text.append(4 - (text.size() - point - 1), '0');
        text.erase(point, 1);
        std::int64_t expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(Currency::FromDouble(value).Scaled, expected) << source;
    }
}

TEST(Arithmetic, RoundTruncAndMulDiv)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-3.5), -4);
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(2.4999999), 2);
    EXPECT_EQ(Round(-2.5000001), -3);
    EXPECT_EQ(Round(1e15 + 0.5), 1000000000000000); // 1e15 is even
    EXPECT_THROW(Round(std::nan("")), EInvalidOp);
    EXPECT_THROW(Round(1e19), EInvalidOp);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);

    EXPECT_EQ(MulDiv(10, 3, 4), 8); // 7.5 away from zero
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(10, -3, 4), -8);
    EXPECT_EQ(MulDiv(10, 3, -4), -8);
    EXPECT_EQ(MulDiv(7, 3, 4), 5); // 5.25
    EXPECT_EQ(MulDiv(100, 120, 96), 125);
    EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000); // no 32-bit overflow inside
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(std::numeric_limits<int>::max(), 2, 1), -1);
}

TEST(Arithmetic, RoundToDecimalsHalvesToEvenAsTheNumberReads)
{
    struct Case {
        double value;
        int places;
        double expected;
    };
    const Case cases[] = {
        {2.675, 2, 2.68}, // the double lies below 2.675; its text is a half
        {2.665, 2, 2.66}, // a half to the even digit
        {-2.675, 2, -2.68},
        {2.5, 0, 2.0},
        {3.5, 0, 4.0},
        {-0.5, 0, 0.0},
        {0.05, 1, 0.0},
        {0.15, 1, 0.2},
        {0.9999, 3, 1.0},
        {0.004, 2, 0.0}, // every kept digit is 0
        {0.005, 2, 0.0},
        {0.0051, 2, 0.01},
        {0.7 + 0.1, 1, 0.8}, // 0.7999999999999999
        {1.05, 1, 1.0},
        {1.15, 1, 1.2},
        {12.3456, 3, 12.346},
        {12.5, -1, 12.0},                                // below 0 counts as 0
        {123456789012345678.0, 2, 123456789012345678.0}, // scaled beyond 64 bits: unchanged
        {9.3e18, 0, 9.3e18},
        {1e300, 37, 1e300},
        {0.1, 38, 0.1},
        {5e-324, 300, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundToDecimals(c.value, c.places), c.expected) << c.value << " at " << c.places;
    EXPECT_TRUE(std::isnan(RoundToDecimals(std::nan(""), 2)));
    EXPECT_EQ(RoundToDecimals(-std::numeric_limits<double>::infinity(), 2), -std::numeric_limits<double>::infinity());
    EXPECT_FALSE(std::signbit(RoundToDecimals(-0.001, 2))); // no negative zero
}

// Encoded while the program's statics are built, possibly before the runtime's own.
const TDateTime kStaticDate = EncodeDate(2023, 2, 25);

TEST(DateTime, EncodeDateWhileStaticsAreBuilt)
{
    EXPECT_EQ(kStaticDate, 44982);
}

TEST(DateTime, EncodeDecodeAndWeekday)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(2023, 2, 25), 44982);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    EXPECT_EQ(DayOfWeek(EncodeDate(2023, 2, 25)), 7);  // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1); // Sunday, before day 0
    EXPECT_EQ(ConvertMessage([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
    EXPECT_EQ(EncodeDate(2024, 2, 29), EncodeDate(2024, 3, 1) - 1);
    EXPECT_EQ(ConvertMessage([] { EncodeTime(24, 0, 0, 0); }), "Invalid argument to time encode");

    const TDateTime t = EncodeDate(2023, 2, 25) + EncodeTime(13, 45, 30, 250);
    int y, m, d, h, n, s, ms;
    DecodeDate(t, y, m, d);
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}), (std::vector<int>{2023, 2, 25, 13, 45, 30, 250}));

    // A negative value counts its fraction forward from its day.
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h}), (std::vector<int>{1899, 12, 29, 6}));

    // A time a hair before midnight rounds into the next day, not to 24:00.
    DecodeDate(EncodeDate(2023, 2, 25) + 0.9999999999, y, m, d);
    DecodeTime(EncodeDate(2023, 2, 25) + 0.9999999999, h, n, s, ms);
    EXPECT_EQ((std::vector<int>{d, h, n, s}), (std::vector<int>{26, 0, 0, 0}));

    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_EQ(Date(), std::floor(Date()));
}

TEST(DateTime, TheCalendarRangeIsYearOneToYear9999)
{
    EXPECT_EQ(MinDateTime, EncodeDate(1, 1, 1));
    EXPECT_EQ(MaxDateTime, EncodeDate(9999, 12, 31) + EncodeTime(23, 59, 59, 999));
    for (const TDateTime inside : {MinDateTime, MinDateTime - 0.5, MaxDateTime, 0.0, -0.5, 44982.75}) {
        EXPECT_TRUE(IsValidDateTime(inside)) << inside;
        int y, m, d;
        EXPECT_NO_THROW(DecodeDate(inside, y, m, d)) << inside;
    }
    // Past the ends, also where the time rounds into the day after the last; never a
    // number that is none.
    for (const TDateTime outside : {MinDateTime - 1, MinDateTime - 0.9999999999, MaxDateTime + 0.0000001,
                                    2958466.0, 1e20, -3e6, std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_FALSE(IsValidDateTime(outside)) << outside;
}

TEST(DateTime, FormatPatterns)
{
    const TDateTime t = EncodeDate(2023, 2, 25) + EncodeTime(14, 5, 9, 7);
    {
        TScopedFormatSettings fs(TFormatSettings::Invariant());
        EXPECT_EQ(FormatDateTime("ddddd tt", t), "2/25/2023 2:05:09 PM");
        EXPECT_EQ(DateTimeToStr(t), "2/25/2023 2:05:09 PM");
        EXPECT_EQ(DateTimeToStr(EncodeDate(2023, 2, 25)), "2/25/2023"); // no time at midnight
        EXPECT_EQ(DateToStr(t), "2/25/2023");
        EXPECT_EQ(TimeToStr(t), "2:05:09 PM");
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", t), "2023-02-25 14:05:09.007");
        EXPECT_EQ(FormatDateTime("hh:mm", t), "14:05"); // m after h is minutes
        EXPECT_EQ(FormatDateTime("d mmm yy, dddd (ddd) mmmm", t), "25 Feb 23, Saturday (Sat) February");
        EXPECT_EQ(FormatDateTime("h:nn am/pm|AM/PM|a/p|ampm", t), "2:05 pm|PM|p|PM");
        EXPECT_EQ(FormatDateTime("h AMPM", EncodeTime(0, 30, 0, 0)), "12 AM");
        EXPECT_EQ(FormatDateTime("yyyy \"year\" 'd'", t), "2023 year d");
        EXPECT_EQ(FormatDateTime("c", t), "2/25/2023 2:05:09 PM");
    }
    {
        TScopedFormatSettings fs(CommaSettings());
        EXPECT_EQ(FormatDateTime("ddddd tt", t), "25.02.2023 14:05:09");
        EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", t), "25.02.2023 14:05");
    }
}

TEST(DateTime, TextToDates)
{
    {
        TScopedFormatSettings fs(TFormatSettings::Invariant());
        EXPECT_EQ(StrToDate("2/25/2023"), EncodeDate(2023, 2, 25));
        EXPECT_EQ(StrToDate(" 2/25/23 "), EncodeDate(2023, 2, 25));
        EXPECT_EQ(StrToDateTime("2/25/2023 2:05:09 PM"), EncodeDate(2023, 2, 25) + EncodeTime(14, 5, 9, 0));
        EXPECT_EQ(StrToDateTime("2/25/2023"), EncodeDate(2023, 2, 25));
        EXPECT_EQ(StrToTime("14:05"), EncodeTime(14, 5, 0, 0));
        EXPECT_EQ(StrToTime("12:00 AM"), 0);
        EXPECT_EQ(ConvertMessage([] { StrToDate("2/30/2023"); }), "'2/30/2023' is not a valid date");
        EXPECT_EQ(ConvertMessage([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
        EXPECT_EQ(ConvertMessage([] { StrToDateTime("2/25/2023 x"); }), "'2/25/2023 x' is not a valid date and time");
    }
    TScopedFormatSettings fs(CommaSettings());
    EXPECT_EQ(StrToDate("25.02.2023"), EncodeDate(2023, 2, 25));
    EXPECT_EQ(StrToDateTime("25.02.2023 14:05:09"), EncodeDate(2023, 2, 25) + EncodeTime(14, 5, 9, 0));
}

TEST(DateTime, AFormattedDateReadsBackByItsPattern)
{
    auto read = [](const std::string& text, const char* format) {
        TDateTime v = -1e9;
        return TryFormattedTextToDateTime(text, format, v) ? FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", v)
                                                           : std::string("none");
    };
    {
        TScopedFormatSettings fs(TFormatSettings::Invariant());
        EXPECT_EQ(read("29 Feb 2024", "dd mmm yyyy"), "2024-02-29 00:00:00.000");
        EXPECT_EQ(read("Thursday, February 29, 2024", "dddddd"), "2024-02-29 00:00:00.000");
        EXPECT_EQ(read("2/29/2024 2:05:09 PM", "c"), "2024-02-29 14:05:09.000");
        EXPECT_EQ(read("2/29/2024", "c"), "2024-02-29 00:00:00.000"); // no time at midnight
        EXPECT_EQ(read("12:30 am", "h:nn am/pm"), "1899-12-30 00:30:00.000");
        EXPECT_EQ(read("2024-02-29 14:05:09.007", "yyyy-mm-dd hh:mm:ss.zzz"), "2024-02-29 14:05:09.007");
        EXPECT_EQ(read("5 March 24, 2:30 p", "d mmmm yy, h:nn a/p"), "2024-03-05 14:30:00.000");
        EXPECT_EQ(read("year 0055 d", "'year' yyyy \"d\""), "0055-01-01 00:00:00.000");
        EXPECT_EQ(read("1899-12-29 06:00", "yyyy-mm-dd hh:nn"), "1899-12-29 06:00:00.000");
        // What the pattern would not write: a wrong weekday, an unpadded day, a date that is
        // none, a month name it does not have, something left over, nothing.
        for (const auto& [text, format] : std::vector<std::pair<const char*, const char*>>{
                 {"Friday, February 29, 2024", "dddddd"}, {"1 Feb 2024", "dd mmm yyyy"}, {"30 Feb 2024", "dd mmm yyyy"}, {"29 Foo 2024", "dd mmm yyyy"}, {"2/29/2024 x", "c"}, {"13:00 pm", "h:nn am/pm"}, {"", "c"}})
            EXPECT_EQ(read(text, format), "none") << text << " / " << format;
    }
    TScopedFormatSettings fs(CommaSettings());
    EXPECT_EQ(read("29.02.2024 14:05:09", "c"), "2024-02-29 14:05:09.000");
    EXPECT_EQ(read("29/02/2024", "dd/mm/yyyy"), "none"); // the date separator is "."
}

TEST(Strings, TrimCaseCompareAndReplace)
{
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(UpperCase("abc\xE4"), "ABC\xE4"); // ASCII only
    EXPECT_EQ(AnsiUpperCase("abc\xE4\xFF\x9A\xDF\xB5"), "ABC\xC4\x9F\x8A\xDF\xB5");
    EXPECT_EQ(AnsiLowerCase("ABC\xC4\x9F\x8A\xD7"), "abc\xE4\xFF\x9A\xD7");
    EXPECT_TRUE(SameText("ABC", "abc"));
    EXPECT_FALSE(SameText("ABC", "abcd"));
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareStr("a", "B"), 0);
    EXPECT_EQ(CompareText("abc", "ABC"), 0);

    // Locale collation: base letter, then accent, then case.
    EXPECT_LT(AnsiCompareStr("a", "B"), 0);
    EXPECT_LT(AnsiCompareStr("a", "A"), 0);
    EXPECT_LT(AnsiCompareStr("e", "\xE9"), 0);
    EXPECT_LT(AnsiCompareStr("\xE9", "f"), 0);
    EXPECT_LT(AnsiCompareStr("9", "a"), 0);
    EXPECT_LT(AnsiCompareStr("ab", "abc"), 0);
    EXPECT_EQ(AnsiCompareText("\xC9T\xC9", "\xE9t\xE9"), 0);
    EXPECT_NE(AnsiCompareText("ete", "\xE9t\xE9"), 0);
    // clang-format off
    EXPECT_TRUE(AnsiSameText("\x8A" "A", "\x9A" "a"));
    // clang-format on
    // Upper-case folding, letter by letter: accents stay, ß and µ have no capital.
    EXPECT_TRUE(AnsiStartsText("\xE9t", "\xC9T\xC9"));
    EXPECT_FALSE(AnsiStartsText("et", "\xC9T\xC9"));
    EXPECT_FALSE(AnsiStartsText("\xC9T\xC9!", "\xC9T\xC9"));
    EXPECT_TRUE(AnsiStartsText("", "x"));
    // clang-format off
    EXPECT_FALSE(AnsiContainsText("Stra\xDF" "e \x9A", "SSE \x8A"));
    EXPECT_TRUE(AnsiContainsText("Stra\xDF" "e \x9A", "\xDF" "E \x8A"));
    // clang-format on
    EXPECT_TRUE(AnsiContainsText("abc", ""));
    EXPECT_TRUE(AnsiContainsText("", ""));
    EXPECT_FALSE(AnsiContainsText("", "a"));
    EXPECT_FALSE(AnsiContainsText("ab", "abc"));

    EXPECT_EQ(Pos("lo", "hello"), 4u);
    EXPECT_EQ(Pos("x", "hello"), 0u);
    EXPECT_EQ(Pos("l", "hello", 4), 4u);
    EXPECT_EQ(Pos("", "hello"), 0u);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 4, 10), "lo");
    EXPECT_EQ(Copy("hello", 9), "");
    EXPECT_EQ(StringReplace("aAa", "a", "b", rfReplaceAll | rfIgnoreCase), "bbb");
    EXPECT_EQ(StringReplace("aAa", "a", "b", 0), "bAa");
    EXPECT_EQ(StringReplace("aAa", "a", "xa", rfReplaceAll), "xaAxa");
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("a\"b;c", '"'), "\"a\"\"b;c\"");
    EXPECT_EQ(AnsiDequotedStr("\"a\"\"b;c\"", '"'), "a\"b;c");
    EXPECT_EQ(AnsiDequotedStr("plain", '"'), "plain");
    EXPECT_EQ(AnsiDequotedStr("\"open", '"'), "open");
}

TEST(FormatSettingsFromLocale, SeparatorsAndPatterns)
{
    const TFormatSettings de = TFormatSettings::FromLocale("de_DE");
    EXPECT_EQ(de.DecimalSeparator, ',');
    EXPECT_EQ(de.ThousandSeparator, '.');
    EXPECT_EQ(de.CurrencyString, "\x80");
    EXPECT_EQ(de.CurrencyDecimals, 2);
    EXPECT_EQ(de.DateSeparator, '.');
    EXPECT_EQ(de.TimeSeparator, ':');
    EXPECT_EQ(FormatDateTime("ddddd tt", EncodeDate(2023, 2, 5) + EncodeTime(4, 5, 6, 0), de), "05.02.23 04:05:06");
    EXPECT_EQ(CurrToStrF(Currency::FromInt(-1234), ffCurrency, 2, de), "-1.234,00 \x80");
    EXPECT_EQ(de.LongMonthNames[2], "M\xE4rz");
    EXPECT_EQ(FormatDateTime("dddddd", EncodeDate(2023, 2, 25), de), "Samstag, 25. Februar 2023");

    const TFormatSettings us = TFormatSettings::FromLocale("en_US");
    EXPECT_EQ(us.DecimalSeparator, '.');
    EXPECT_EQ(us.CurrencyString, "$");
    EXPECT_EQ(FormatDateTime("tt", EncodeTime(14, 5, 6, 0), us), "2:05:06 PM");
    EXPECT_EQ(StrToDate("2/25/2023", us), EncodeDate(2023, 2, 25));

    const TFormatSettings c = TFormatSettings::FromLocale("C");
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_EQ(c.ShortDateFormat, TFormatSettings::Invariant().ShortDateFormat);
}
