#include <gtest/gtest.h>

#include "platform/rtl/Codec1252.h"

using namespace rtl;

TEST(Codec1252, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);

    const QString q = Cp1252ToQString(all);
    ASSERT_EQ(q.size(), 256);
    EXPECT_EQ(QStringToCp1252(q), all);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(QString::fromUtf8(Cp1252ToUtf8(all)), q); // both routes agree

    // Distinct bytes give distinct characters.
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
}

TEST(Codec1252, KnownCharacters)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x8A), U'\u0160');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081'); // undefined: kept as a control character
    EXPECT_EQ(Cp1252ToUnicode(0xB5), U'\u00B5');
    EXPECT_EQ(Cp1252ToUtf8("dB\xB5V"), "dB\xC2\xB5V");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5");
    EXPECT_EQ(Cp1252ToQString("\x80"), QString(QChar(0x20AC)));
}

TEST(Codec1252, MissingAndMalformedCharactersBecomeTheReplacement)
{
    // clang-format off
    EXPECT_EQ(Utf8ToCp1252("a\xE4\xB8\xAD" "b"), "a?b");            // a CJK character
    // clang-format on
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");              // truncated sequence
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");           // overlong form
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80", '_'), "___"); // a surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");    // beyond the basic plane
    EXPECT_EQ(QStringToCp1252(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y");
    EXPECT_EQ(QStringToCp1252(QString(QChar(0x0100)), '#'), "#");
}
