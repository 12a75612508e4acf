#include "device_link/Freq.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"

using namespace device_link;

TEST(RdsDIText, NamesEachFlagOrMarksItUnknown)
{
    for (int bit = 0; bit < 4; ++bit) EXPECT_EQ(RdsDIText(0xFF, 0x00, bit), "??") << bit;
    const std::vector<std::string> clear = {"MONO", "Not AH", "Not Compressed", "Static"};
    const std::vector<std::string> set = {"STEREO", "AH", "Compressed", "Dynamic"};
    for (int bit = 0; bit < 4; ++bit) {
        EXPECT_EQ(RdsDIText(0x00, 0x0F, bit), clear[bit]);
        EXPECT_EQ(RdsDIText(0x0F, 0x0F, bit), set[bit]);
        // Only this bit's mask and value count.
        EXPECT_EQ(RdsDIText(std::uint8_t(~(1 << bit)), std::uint8_t(1 << bit), bit), clear[bit]);
        EXPECT_EQ(RdsDIText(0x0F, std::uint8_t(0x0F & ~(1 << bit)), bit), "??");
    }
    // The log's example: valid mask 15, value 1.
    EXPECT_EQ(RdsDIText(1, 15, 0) + ", " + RdsDIText(1, 15, 1) + ", " + RdsDIText(1, 15, 2) + ", "
                  + RdsDIText(1, 15, 3),
              "STEREO, Not AH, Not Compressed, Static");
    EXPECT_EQ(RdsDIText(0xFF, 0xFF, 4), "");
    EXPECT_EQ(RdsDIText(0xFF, 0xFF, 8), "");
    EXPECT_EQ(RdsDIText(0xFF, 0xFF, -1), "");
}

TEST(RdsCTText, DecodesClockTimesWithTheirBlanks)
{
    TRDSDateTime t;
    RdsCTText(60000, 57668, t); // 14:05, +2 h
    EXPECT_EQ(t.Text, "25 Feb 2023, Sat, week 08, 14:5  + 2:0 ");
    EXPECT_EQ(t.Day, "25");
    EXPECT_EQ(t.Month, "Feb");
    EXPECT_EQ(t.Year, "2023");
    EXPECT_EQ(t.WeekDay, "Sat");
    EXPECT_EQ(t.Week, "08");
    EXPECT_EQ(t.Unused, "");
    EXPECT_EQ(t.Hour, "14");
    EXPECT_EQ(t.Minute, "5 ");
    EXPECT_EQ(t.Offset, "+ 2:0 ");

    RdsCTText(59215, 38819, t); // 09:30, -1.5 h
    EXPECT_EQ(t.Text, "01 Jan 2021, Fri, week 53, 9 :30 - 1:30");
    EXPECT_EQ(t.Offset, "- 1:30");
    EXPECT_EQ(t.Hour, "9 ");

    // 17-bit packed time as group 4A carries it: hour 23.
    RdsCTText(60000, (23u << 12) | (59u << 6), t);
    EXPECT_EQ(t.Text, "25 Feb 2023, Sat, week 08, 23:59 + 0:0 ");
}

TEST(RdsCTText, ReadsOnlyTheSeventeenBitsTheClockCarries)
{
    TRDSDateTime clean, t;
    RdsCTText(60000, 57668, clean);
    // A corrupt record's high bits (a day number of 2^31 and above) change nothing.
    RdsCTText(0x80000000u | 60000, 0xFFFE0000u | 57668, t);
    EXPECT_EQ(t.Text, clean.Text);
    RdsCTText(0x20000, 57668, t); // no day left: not transmitted
    EXPECT_EQ(t.Text, "not transmitted");
    RdsCTText(0xFFFFFFFF, 0xFFFFFFFF, t); // the largest values all bits give
    EXPECT_FALSE(t.Text.empty());
    EXPECT_EQ(t.Hour, "31");
}

TEST(RdsCTText, MissingOrOutOfRangeDates)
{
    TRDSDateTime t;
    t.Day = "stale";
    RdsCTText(0, 57668, t);
    EXPECT_EQ(t.Text, "not transmitted");
    EXPECT_EQ(t.Day, "");
    EXPECT_EQ(t.Offset, "");
    RdsCTText(60000, 0, t);
    EXPECT_EQ(t.Text, "not transmitted");
    EXPECT_EQ(t.Year, "");
    // Days before March 1900 have no month of the table.
    for (std::uint32_t mjd : {1u, 100u, 15078u}) {
        RdsCTText(mjd, 57668, t);
        EXPECT_FALSE(t.Text.empty());
        EXPECT_EQ(t.Text.find("not transmitted"), std::string::npos);
    }
    RdsCTText(15079, 57668, t); // 1 March 1900
    EXPECT_EQ(t.Text.substr(0, 11), "01 Mar 1900");
}

TEST(NormalizeFreqText, CleansTypedFrequencies)
{
    rtl::TScopedFormatSettings point('.', ',');
    EXPECT_EQ(NormalizeFreqText("abc"), "87.5");
    EXPECT_EQ(NormalizeFreqText(""), "87.5");
    EXPECT_EQ(NormalizeFreqText(" . "), "87.5");
    EXPECT_EQ(NormalizeFreqText("1x0y5.z5 MHz"), "105.5");
    EXPECT_EQ(NormalizeFreqText("95"), "95");
    EXPECT_EQ(NormalizeFreqText("95."), "95.");
    EXPECT_EQ(NormalizeFreqText("120"), "108.0");
    EXPECT_EQ(NormalizeFreqText("80"), "87.5");
    EXPECT_EQ(NormalizeFreqText(".9"), "87.5");
    EXPECT_EQ(NormalizeFreqText("99.5.3"), "99.53");
    EXPECT_EQ(NormalizeFreqText("108.0"), "108.0");
    EXPECT_EQ(NormalizeFreqText("87.50"), "87.50");
    EXPECT_EQ(NormalizeFreqText(std::string(400, '9')), "108.0");
}

TEST(NormalizeFreqText, UsesTheLocaleDecimalSeparator)
{
    rtl::TScopedFormatSettings comma(',', '.');
    EXPECT_EQ(NormalizeFreqText("101,7"), "101,7");
    EXPECT_EQ(NormalizeFreqText("120"), "108,0");
    EXPECT_EQ(NormalizeFreqText("x"), "87,5");
    EXPECT_EQ(NormalizeFreqText("99.5"), "108,0"); // the point is not a separator here: 995
}

TEST(ClampFreq, LimitsToTheBand)
{
    EXPECT_EQ(ClampFreq(87.4), 87.5);
    EXPECT_EQ(ClampFreq(87.5), 87.5);
    EXPECT_EQ(ClampFreq(99.9), 99.9);
    EXPECT_EQ(ClampFreq(108.0), 108.0);
    EXPECT_EQ(ClampFreq(108.1), 108.0);
}

TEST(LevelScale, FollowsTheTableBetweenAndBeyondItsPoints)
{
    // clang-format off
    const std::array<double, 15> dbuv{54.64788, 52.66937, 48.62728, 46.0206,  41.58362,
                                      39.08485, 35.84783, 32.0412,  27.60422, 25.10545,
                                      21.58362, 18.0618,  12.66937, 7.604225, 0.0};
    // clang-format on
    for (int i = 0; i < 15; ++i) {
        EXPECT_NEAR(ADCToDBuV(15 - i), dbuv[i], 1e-9) << "step " << 15 - i;
        EXPECT_NEAR(DBuVToADC(dbuv[i]), 15 - i, 1e-9) << "level " << dbuv[i];
    }
    EXPECT_NEAR(ADCToDBuV(14.5), 53.658625, 1e-9);
    EXPECT_NEAR(ADCToDBuV(0.5), 0.0, 1e-12);
    EXPECT_NEAR(ADCToDBuV(20), 64.54043, 1e-9);
    EXPECT_NEAR(ADCToDBuV(1.5), 7.604225 / 2, 1e-9);
    EXPECT_NEAR(DBuVToADC(-3), 1.0, 1e-12);
    EXPECT_NEAR(DBuVToADC(47.32394), 12.5, 1e-9);
}

TEST(Interpolate, DegenerateTablesGiveAValue)
{
    const std::vector<double> none;
    EXPECT_EQ(Interpolate(none, none, 3.0), 0.0);
    const std::vector<double> x1{5}, y1{7};
    EXPECT_EQ(Interpolate(x1, y1, 9.0), 7.0);
    const std::vector<double> x{5, 5, 1}, y{10, 20, 30};
    EXPECT_EQ(Interpolate(x, y, 6.0), 20.0); // a vertical step, no division by zero
    EXPECT_DOUBLE_EQ(Interpolate(x, y, 3.0), 25.0);
    const std::vector<double> shortY{1, 2};
    EXPECT_EQ(Interpolate(x, shortY, 0.0), 2.0); // only the pairs both tables hold
}
