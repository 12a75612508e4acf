#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"
#include "support/TempDir.h"

using namespace rtl;

TEST(MemoryStream, PositionAndSizeRules)
{
    TMemoryStream s;
    EXPECT_EQ(s.GetSize(), 0);
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.GetPosition(), 6);
    EXPECT_EQ(s.GetSize(), 6);

    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 4), 0); // at the end: nothing
    s.SetPosition(4);
    EXPECT_EQ(s.Read(buf, 8), 2); // short read at the end
    EXPECT_EQ(std::string(buf, 2), "ef");
    s.SetPosition(4);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);

    // Seeking past the end and writing leaves zeros in the gap.
    s.Seek(2, TSeekOrigin::soEnd);
    EXPECT_EQ(s.GetPosition(), 8);
    s.WriteBuffer("Z", 1);
    EXPECT_EQ(s.ToString(), std::string("abcdef\0\0Z", 9));

    // Shrinking keeps the position; negative seeks stop at 0.
    s.SetSize(3);
    EXPECT_EQ(s.GetSize(), 3);
    EXPECT_EQ(s.GetPosition(), 9);
    EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 0);
}

TEST(MemoryStream, CopyAndFileRoundTrip)
{
    TMemoryStream a;
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    a.WriteBuffer(bytes.data(), 256);

    TMemoryStream b;
    EXPECT_EQ(b.CopyFrom(a, 0), 256); // 0: all of the source from its start
    EXPECT_EQ(b.ToString(), bytes);

    testsupport::TempDir dir;
    b.SaveToFile(dir.File("x.bin"));
    TMemoryStream c;
    c.LoadFromFile(dir.File("x.bin"));
    EXPECT_EQ(c.GetPosition(), 0);
    EXPECT_EQ(c.ToString(), bytes);
    EXPECT_THROW(c.LoadFromFile(dir.File("missing")), EOSError);
}
