// Amounts of the sum list: values scaled by 10000 as a person reads them, halves to
// even, and totals that never wrap.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "controls/grid/DBSumAmount.h"

namespace {

using grid::TDBSumAmount;

// The scaled amount when it fits 64 bits (the tests' amounts do unless they say so).
std::int64_t Scaled(const TDBSumAmount& amount)
{
    EXPECT_TRUE(amount.FitsCurrency());
    return amount.FitsCurrency() ? amount.ToCurrency().Scaled : 0;
}

// k / 10 with a half going to the even integer: k / 100000 scaled by 10000.
std::int64_t HalfToEvenTenth(std::int64_t k)
{
    std::int64_t q = k / 10;
    const std::int64_t r = k % 10 < 0 ? -(k % 10) : k % 10;
    if (r > 5 || (r == 5 && q % 2 != 0)) q += k < 0 ? -1 : 1;
    return q;
}

TEST(SumAmount, ValuesScaleByTheDecimalTextAPersonReads)
{
    const struct {
        double Value;
        std::int64_t Expected;
    } cases[] = {
        {0.00005, 0}, // 0.5: the even neighbour
        {0.00015, 2}, // the double lies below 1.5 when multiplied
        {-0.00015, -2},
        {0.00025, 2},
        {0.00035, 4},
        {1.00005, 10000}, // the product lies above 10000.5
        {2.675, 26750},   // four decimals: no rounding at all
        {1.005, 10050},
        {2.67505, 26750},
        {1234.56785, 12345678},
        {0.1, 1000},
        {-0.00004, 0},
        {900000000000000.5, 9000000000000005000}, // beyond 2^53 once scaled: the decimal text decides
        {1e-300, 0},
        {-1e-300, 0},
        {0.0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Scaled(TDBSumAmount::FromDouble(c.Value)), c.Expected) << c.Value;
}

TEST(SumAmount, EveryFiveDecimalValueRoundsAsItsText)
{
    // Dense near zero, where every fifth-decimal half occurs, then sampled up to 15 digits.
    for (std::int64_t k = -3000000; k <= 3000000; ++k)
        ASSERT_EQ(Scaled(TDBSumAmount::FromDouble(static_cast<double>(k) / 100000.0)), HalfToEvenTenth(k)) << k;
    std::mt19937_64 random(26);
    std::uniform_int_distribution<std::int64_t> digits(-999999999999999, 999999999999999);
    for (int i = 0; i < 200000; ++i) {
        std::int64_t k = digits(random);
        if (i % 2 == 0) k = k / 10 * 10 + 5; // a half at the fifth decimal
        ASSERT_EQ(Scaled(TDBSumAmount::FromDouble(static_cast<double>(k) / 100000.0)), HalfToEvenTenth(k)) << k;
    }
}

TEST(SumAmount, TotalsPastSixtyFourBitsStayExact)
{
    // Ten times the largest 64-bit integer, scaled by 10000: far past 64 bits.
    TDBSumAmount total;
    for (int i = 0; i < 10; ++i) total += TDBSumAmount::FromInteger(std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(total.FitsCurrency());
    EXPECT_TRUE(total.IsExact());
    EXPECT_EQ(total.WholeText(), "92233720368547758070");
    EXPECT_THROW(total.ToCurrency(), rtl::EOverflow);
    for (int i = 0; i < 10; ++i) total -= TDBSumAmount::FromInteger(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Scaled(total), 0);

    // A double whose scaled value needs more than 64 bits.
    const TDBSumAmount big = TDBSumAmount::FromDouble(1e15);
    EXPECT_FALSE(big.FitsCurrency());
    EXPECT_EQ((big + big + big).WholeText(), "3000000000000000");
    EXPECT_DOUBLE_EQ((big + big).ToDouble(), 2e15);
    EXPECT_EQ(TDBSumAmount::FromInteger(-7).WholeText(), "-7");
    EXPECT_EQ(TDBSumAmount::FromDouble(-7.9).WholeText(), "-7"); // towards zero
}

TEST(SumAmount, WhatOneHundredTwentyEightBitsCannotHoldIsKeptExactlyBeside)
{
    TDBSumAmount total = TDBSumAmount::FromDouble(1e35) + TDBSumAmount::FromDouble(2.5);
    EXPECT_FALSE(total.IsExact());
    EXPECT_EQ(total.WholeText(), "100000000000000000000000000000000002");
    EXPECT_DOUBLE_EQ(total.ToDouble(), 1e35);
    total -= TDBSumAmount::FromDouble(1e35);
    EXPECT_TRUE(total.IsExact());
    EXPECT_EQ(Scaled(total), 25000);

    // Adding past the top of 128 bits keeps the total exact, never wraps it.
    TDBSumAmount nearTop = TDBSumAmount::FromDouble(1.6e34);
    EXPECT_TRUE(nearTop.IsExact());
    nearTop += TDBSumAmount::FromDouble(1.6e34);
    EXPECT_FALSE(nearTop.IsExact());
    EXPECT_EQ(nearTop.WholeText(), "32000000000000000000000000000000000");
    EXPECT_DOUBLE_EQ(nearTop.ToDouble(), 3.2e34);
    nearTop -= TDBSumAmount::FromDouble(1.6e34);
    EXPECT_EQ(nearTop, TDBSumAmount::FromDouble(1.6e34));

    // Values near the double range: the total passes it and comes back.
    const TDBSumAmount largest = TDBSumAmount::FromDouble(1e308);
    TDBSumAmount twice = largest + largest;
    EXPECT_EQ(twice.ToDouble(), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(twice.IsFinite());
    twice -= largest;
    twice += TDBSumAmount::FromInteger(1);
    EXPECT_EQ(twice.ToDouble(), 1e308);
    EXPECT_EQ(twice - largest, TDBSumAmount::FromInteger(1));
    EXPECT_EQ((TDBSumAmount() - largest - largest).ToDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(TDBSumAmount::FromDouble(-std::numeric_limits<double>::max()).WholeText().size(), 310u);
    EXPECT_EQ((largest + largest).DividedBy(2), largest);
    EXPECT_EQ((largest + largest + largest).DividedBy(-3).ToDouble(), -1e308);
}

TEST(SumAmount, InfinitiesAndNaNsAreCountedSoThatTakingThemAwayLeavesTheTotalBefore)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TDBSumAmount two = TDBSumAmount::FromDouble(2);
    TDBSumAmount total = two + TDBSumAmount::FromDouble(inf);
    EXPECT_FALSE(total.IsFinite());
    EXPECT_EQ(total.ToDouble(), inf);
    EXPECT_EQ(total.WholeText(), rtl::FormatFloat("0", inf));
    total += TDBSumAmount::FromDouble(-inf);
    EXPECT_TRUE(std::isnan(total.ToDouble())); // both infinities: no number
    total -= TDBSumAmount::FromDouble(inf);
    EXPECT_EQ(total.ToDouble(), -inf);
    total += TDBSumAmount::FromDouble(nan);
    EXPECT_TRUE(std::isnan(total.ToDouble()));
    EXPECT_TRUE(std::isnan(total.DividedBy(3).ToDouble()));
    total -= TDBSumAmount::FromDouble(nan);
    total -= TDBSumAmount::FromDouble(-inf);
    EXPECT_TRUE(total.IsExact());
    EXPECT_EQ(total, two);
    EXPECT_EQ(TDBSumAmount::FromDouble(inf).DividedBy(-2).ToDouble(), -inf);
    EXPECT_FALSE(TDBSumAmount::FromDouble(nan).FitsCurrency());
    EXPECT_THROW(TDBSumAmount::FromDouble(inf).ToCurrency(), rtl::EOverflow);
}

TEST(SumAmount, ARunningTotalIsTheTotalOfItsValuesAddedAfreshWhateverCameAndWent)
{
    // Values of every kind: small, with halves, near and past 128 bits once scaled, near
    // the double range, infinities and NaN.
    const double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::vector<double> kinds = {0.00005,  -2.675,  1234.56785, 1.6e34, -1.7e34,  1e35,
                                       1e308,    -1e308,  1.7976931348623157e308, 4.9e-324,
                                       inf,      -inf,    std::numeric_limits<double>::quiet_NaN(), 0.0};
    // clang-format on
    std::mt19937_64 random(143);
    for (int round = 0; round < 200; ++round) {
        std::vector<double> held;
        TDBSumAmount running;
        for (int step = 0; step < 60; ++step) {
            const bool add = held.empty() || random() % 3 != 0;
            if (add) {
                const double v = random() % 4 == 0 ? kinds[random() % kinds.size()]
                                                   : std::ldexp(static_cast<double>(random() % 2000000) - 1e6,
                                                                static_cast<int>(random() % 2100) - 1050);
                held.push_back(v);
                running += TDBSumAmount::FromDouble(v);
            } else {
                const std::size_t k = random() % held.size();
                running -= TDBSumAmount::FromDouble(held[k]);
                held.erase(held.begin() + static_cast<std::ptrdiff_t>(k));
            }
            TDBSumAmount fresh;
            for (double v : held) fresh += TDBSumAmount::FromDouble(v);
            ASSERT_EQ(running, fresh) << "round " << round << " step " << step;
            ASSERT_EQ(running.WholeText(), fresh.WholeText());
        }
    }
}

TEST(SumAmount, AveragesRoundHalvesToEven)
{
    const struct {
        std::int64_t Scaled;
        std::int64_t Count;
        std::int64_t Expected;
    } cases[] = {
        {5, 2, 2},
        {7, 2, 4},
        {-5, 2, -2},
        {-7, 2, -4},
        {10, 4, 2},
        {14, 4, 4},
        {10, 3, 3},
        {11, 3, 4},
        {5, -2, -2},
        {300000, 3, 100000},
        {7, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Scaled(TDBSumAmount::FromScaled(c.Scaled).DividedBy(c.Count)), c.Expected)
            << c.Scaled << " / " << c.Count;
    EXPECT_EQ(Scaled(TDBSumAmount::FromInteger(std::numeric_limits<std::int64_t>::max()).DividedBy(10000)),
              std::numeric_limits<std::int64_t>::max());
}

} // namespace
