#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Variant.h"

using namespace rtl;

namespace {

template <typename E, typename F>
std::string MessageOf(F f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message;
    }
    return "not raised";
}

} // namespace

TEST(Variant, NullAndUnassignedAreDistinct)
{
    const Variant empty, null = Null();
    EXPECT_TRUE(VarIsEmpty(empty));
    EXPECT_FALSE(VarIsNull(empty));
    EXPECT_TRUE(VarIsNull(null));
    EXPECT_FALSE(VarIsEmpty(null));
    EXPECT_EQ(VarType(empty), varEmpty);
    EXPECT_EQ(VarType(null), varNull);

    EXPECT_TRUE(null == Null());
    EXPECT_TRUE(empty == Unassigned());
    EXPECT_FALSE(empty == null);
    EXPECT_FALSE(null == empty);
    // Neither equals a value, not even zero or the empty text.
    EXPECT_FALSE(null == Variant(0));
    EXPECT_FALSE(empty == Variant(0));
    EXPECT_FALSE(empty == Variant(""));
    EXPECT_FALSE(Variant("") == null);

    // Unassigned reads as nothing; Null does not read as a value at all.
    EXPECT_EQ(empty.AsInteger(), 0);
    EXPECT_EQ(empty.AsString(), "");
    EXPECT_EQ(VarToStr(null), "");
    EXPECT_EQ(VarToStrDef(null, "-"), "-");
    EXPECT_EQ(MessageOf<EVariantTypeCastError>([&] { null.AsString(); }),
              "Could not convert variant of type (Null) into type (String)");
    EXPECT_EQ(MessageOf<EVariantTypeCastError>([&] { null.AsFloat(); }),
              "Could not convert variant of type (Null) into type (Double)");
}

TEST(Variant, ArraysCompareByBoundsAndElements)
{
    const Variant a = VarArrayOf({1, "two", 3.5});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarType(a), varArray | varVariant);
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 0);
    EXPECT_EQ(VarArrayHighBound(a, 1), 2);
    EXPECT_TRUE(a == VarArrayOf({1, "two", 3.5}));
    EXPECT_TRUE(a == VarArrayOf({1.0, "two", Currency::FromScaled(35000)}));
    EXPECT_FALSE(a == VarArrayOf({1, "two", 3.6}));
    EXPECT_FALSE(a == VarArrayOf({1, "two"}));

    // Same elements, other bounds: 0..2 against 1..3.
    Variant b = VarArrayCreate(1, 3);
    b[1] = 1;
    b[2] = "two";
    b[3] = 3.5;
    EXPECT_FALSE(a == b);
    EXPECT_EQ(VarCompareValue(a, b), vrNotEqual);

    // An array never equals a single value.
    EXPECT_FALSE(VarArrayOf({1}) == Variant(1));
    EXPECT_FALSE(Variant(1) == VarArrayOf({1}));
    // Null elements compare like Null values.
    EXPECT_TRUE(VarArrayOf({Null(), 1}) == VarArrayOf({Null(), 1}));
    EXPECT_FALSE(VarArrayOf({Null(), 1}) == VarArrayOf({Unassigned(), 1}));

    EXPECT_THROW(b[4], EVariantArrayBoundsError);
    EXPECT_THROW(b[0], EVariantArrayBoundsError);
    EXPECT_THROW(Variant(1)[0], EVariantInvalidOpError);
    EXPECT_EQ(MessageOf<EVariantTypeCastError>([&] { a.AsString(); }),
              "Could not convert variant of type (Array of Variant) into type (String)");
}

TEST(Variant, ArraysCopyOnWriteAndRedim)
{
    Variant a = VarArrayOf({1, 2});
    Variant copy = a;
    copy[0] = 9;
    EXPECT_EQ(a[0].AsInteger(), 1);
    EXPECT_EQ(copy[0].AsInteger(), 9);

    VarArrayRedim(a, 3);
    EXPECT_EQ(a.HighBound(), 3);
    EXPECT_EQ(a[1].AsInteger(), 2);
    EXPECT_TRUE(VarIsEmpty(a[3]));
    VarArrayRedim(a, 0);
    EXPECT_EQ(a.ElementCount(), 1);
    VarArrayRedim(a, -1);
    EXPECT_EQ(a.ElementCount(), 0);
    EXPECT_THROW(VarArrayRedim(a, -2), EVariantArrayBoundsError);
    EXPECT_THROW(VarArrayLowBound(a, 2), EVariantInvalidOpError);
}

TEST(Variant, NumbersCompareAcrossTypes)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_TRUE(Variant(1) == Variant(1.0));
    EXPECT_TRUE(Variant(1) == Variant(1LL));
    EXPECT_TRUE(Variant(1) == Variant(Currency::FromInt(1)));
    EXPECT_TRUE(Variant(1.5f) == Variant(1.5));
    EXPECT_TRUE(Variant(true) == Variant(-1));
    EXPECT_TRUE(Variant("1.5") == Variant(1.5));
    EXPECT_FALSE(Variant("abc") == Variant(1)); // no exception: just unequal
    EXPECT_TRUE(Variant("abc") == Variant(std::string("abc")));
    EXPECT_FALSE(Variant("abc") == Variant("ABC"));
    EXPECT_TRUE(Variant::FromDateTime(2.5) == Variant(2.5));
    EXPECT_TRUE(Variant::FromError(5) == Variant::FromError(5));
    EXPECT_FALSE(Variant::FromError(5) == Variant(5));
    // 64-bit integers are compared exactly, not through doubles.
    EXPECT_FALSE(Variant(9007199254740993LL) == Variant(9007199254740992LL));
    EXPECT_TRUE(Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::max()))
                == Variant(Currency::FromScaled(std::numeric_limits<std::int64_t>::max())));

    EXPECT_EQ(VarCompareValue(1, 2), vrLessThan);
    EXPECT_EQ(VarCompareValue(2.5, 2), vrGreaterThan);
    EXPECT_EQ(VarCompareValue("a", "b"), vrLessThan);
    EXPECT_EQ(VarCompareValue(Null(), 1), vrLessThan);
    EXPECT_EQ(VarCompareValue(Unassigned(), Null()), vrLessThan);
    EXPECT_EQ(VarCompareValue("x", 1), vrNotEqual);
    EXPECT_EQ(VarCompareValue(Currency::FromScaled(15000), 1), vrGreaterThan);
}

TEST(Variant, ConversionsRaiseTheRuntimeMessages)
{
    TScopedFormatSettings fs('.', ',');
    EXPECT_EQ(MessageOf<EConvertError>([] { Variant("abc").AsFloat(); }),
              "'abc' is not a valid floating point value");
    EXPECT_EQ(MessageOf<EConvertError>([] { Variant("abc").AsInteger(); }),
              "'abc' is not a valid integer value");
    EXPECT_EQ(MessageOf<EConvertError>([] { Variant("yes").AsBoolean(); }),
              "'yes' is not a valid boolean value");
    EXPECT_EQ(MessageOf<EVariantTypeCastError>([] { Variant::FromError(1).AsInteger(); }),
              "Could not convert variant of type (Error) into type (Int64)");
    EXPECT_THROW(Variant(1e10).AsInteger(), EVariantOverflowError);
    EXPECT_THROW(Variant(1e300).AsInt64(), EVariantOverflowError);
    EXPECT_THROW(Variant::FromInteger(70000, varSmallint), EVariantOverflowError);
    EXPECT_THROW(Variant(~0ULL), EVariantOverflowError);

    EXPECT_EQ(Variant(" 12 ").AsInteger(), 12);
    EXPECT_EQ(Variant("2.5").AsInteger(), 2); // halves to even
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(Currency::FromScaled(25000)).AsInteger(), 2);
    EXPECT_EQ(Variant(Currency::FromScaled(-35000)).AsInteger(), -4);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_FALSE(Variant("0").AsBoolean());
    EXPECT_EQ(Variant(1.5).AsString(), "1.5");
    EXPECT_EQ(Variant(Currency::FromScaled(12345)).AsString(), "1.2345");
    EXPECT_EQ(Variant("1.23456").AsCurrency().Scaled, 12346);
    EXPECT_EQ(Variant(7).AsCurrency().Scaled, 70000);
    EXPECT_EQ(Variant(std::numeric_limits<std::int64_t>::max()).AsString(), "9223372036854775807");
    {
        TScopedFormatSettings comma(',', '.');
        EXPECT_EQ(Variant(1.5).AsString(), "1,5");
        EXPECT_EQ(Variant("1,5").AsFloat(), 1.5);
    }
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2023, 2, 25)).AsString(), "2/25/2023");
    EXPECT_EQ(Variant("2/25/2023").AsDateTime(), EncodeDate(2023, 2, 25));

    EXPECT_EQ(VarType(VarAsType(Variant("42"), varInteger)), varInteger);
    EXPECT_EQ(VarAsType(Variant("42"), varSmallint).AsInteger(), 42);
    EXPECT_EQ(VarType(VarAsType(Variant(1), varString)), varString);
    EXPECT_THROW(VarAsType(Null(), varInteger), EVariantTypeCastError);
}

TEST(Variant, TypesAndArithmetic)
{
    EXPECT_EQ(VarType(Variant(1)), varInteger);
    EXPECT_EQ(VarType(Variant(1LL)), varInt64);
    EXPECT_EQ(VarType(Variant(std::int64_t{1})), varInt64);
    EXPECT_EQ(VarType(Variant(1u)), varLongWord);
    EXPECT_EQ(VarType(Variant(1.0)), varDouble);
    EXPECT_EQ(VarType(Variant("x")), varString);
    EXPECT_EQ(VarType(Variant(Currency{})), varCurrency);
    EXPECT_EQ(VarType(Variant::FromDateTime(1)), varDate);
    EXPECT_TRUE(VarIsNumeric(Variant(Currency{})));
    EXPECT_FALSE(VarIsNumeric(Variant(true)));
    EXPECT_TRUE(VarIsOrdinal(Variant::FromInteger(3, varByte)));
    EXPECT_TRUE(VarIsFloat(Variant(1.5f)));
    EXPECT_TRUE(VarIsClear(Null()));

    EXPECT_TRUE(VarIsNull(Null() + Variant(1)));
    EXPECT_TRUE(VarIsNull(Variant(1) - Null()));
    const Variant three = Variant(1) + Variant(2);
    EXPECT_EQ(VarType(three), varInteger);
    EXPECT_EQ(three.AsInteger(), 3);
    const Variant big = Variant(std::numeric_limits<int>::max()) + Variant(1);
    EXPECT_EQ(VarType(big), varInt64);
    EXPECT_EQ(big.AsInt64(), 2147483648LL);
    const Variant stepped = Variant(0.2) + Variant(0.1);
    EXPECT_EQ(VarType(stepped), varDouble);
    EXPECT_DOUBLE_EQ(stepped.AsFloat(), 0.3);
    EXPECT_EQ((Variant(Currency::FromScaled(15000)) - Variant(1)).AsCurrency().Scaled, 5000);
    EXPECT_EQ(VarType(Variant(Currency{}) + Variant(1)), varCurrency);
    EXPECT_EQ((Variant("a") + Variant("b")).AsString(), "ab");
    EXPECT_EQ((Unassigned() + Variant(4)).AsInteger(), 4);
    EXPECT_EQ(VarType(Variant::FromDateTime(10) + Variant(1)), varDate);
    EXPECT_THROW(VarArrayOf({1}) + Variant(1), EVariantInvalidOpError);
}
