// Sets of enumeration members kept as bits at the members' positions.
#include <cstdint>

#include <gtest/gtest.h>

#include "platform/rtl/Set.h"

namespace {

// clang-format off
enum TColour { Red, Green, Blue, Ninth = 8, Fifteenth = 15 };
// clang-format on
using TColours = rtl::TSet<TColour, std::uint16_t>;

TEST(Set, MembersAreBitsAtTheirPositions)
{
    constexpr TColours none;
    EXPECT_TRUE(none.IsEmpty());
    TColours s{Red, Blue, Fifteenth};
    EXPECT_EQ(s.ToBits(), 0x8005u);
    EXPECT_TRUE(s.Contains(Blue));
    EXPECT_FALSE(s.Contains(Green));
    s.Include(Ninth).Exclude(Red);
    EXPECT_EQ(s.ToBits(), 0x8104u);
    EXPECT_EQ(TColours::FromBits(0x8104u), s);
    EXPECT_EQ(TColours::FromBits(0x0003u), (TColours{Red, Green}));
}

TEST(Set, UnionIntersectionAndDifference)
{
    const TColours a{Red, Green};
    const TColours b{Green, Blue};
    EXPECT_EQ(a | b, (TColours{Red, Green, Blue}));
    EXPECT_EQ(a & b, TColours{Green});
    EXPECT_EQ(a - b, TColours{Red});
    EXPECT_NE(a, b);
    TColours c = a;
    c |= b;
    c -= TColours{Red};
    c &= TColours{Blue, Ninth};
    EXPECT_EQ(c, TColours{Blue});
    // A member beyond the set's width is never in it.
    using TSmall = rtl::TSet<TColour, std::uint8_t>;
    TSmall small;
    small.Include(Fifteenth).Include(Red);
    EXPECT_FALSE(small.Contains(Fifteenth));
    EXPECT_EQ(small.ToBits(), 1u);
}

} // namespace
