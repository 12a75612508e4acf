#include "device_link/common.h"

#include <cstdint>
#include <random>
#include <string>
#include <sys/utsname.h>
#include <vector>

#include <QColor>
#include <QImage>
#include <QRegion>
#include <gtest/gtest.h>

using namespace device_link;
using rtl::TMemoryStream;

namespace {

std::vector<std::uint8_t> Compressible(std::size_t size)
{
    std::mt19937 rng(7);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>("KV7200 map "[rng() % 11]);
    return bytes;
}

void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

std::vector<std::uint8_t> Tail(const TMemoryStream& stream, std::size_t from)
{
    return std::vector<std::uint8_t>(stream.Bytes().begin() + static_cast<std::ptrdiff_t>(from), stream.Bytes().end());
}

} // namespace

TEST(StreamCompression, RoundTripsAtTheStreamPositions)
{
    const auto original = Compressible(100000);
    TMemoryStream source;
    Fill(source, original); // positioned at its end: compression still reads from the start
    TMemoryStream packed;
    packed.WriteBuffer("HDR", 3);
    CompressStream(source, packed);
    EXPECT_GT(packed.GetPosition(), 3); // not rewound
    EXPECT_EQ(packed.GetPosition(), packed.GetSize());
    ASSERT_GT(packed.GetSize(), 5);
    EXPECT_EQ(packed.Memory()[3], 0x78); // zlib header, best compression
    EXPECT_EQ(packed.Memory()[4], 0xDA);
    EXPECT_LT(packed.GetSize(), 100000 / 2);

    packed.SetPosition(3); // inflate from the current position to the end
    TMemoryStream restored;
    restored.WriteBuffer("old", 3);
    DecompressStream(packed, restored);
    EXPECT_EQ(restored.GetPosition(), 0);
    EXPECT_EQ(Tail(restored, 3), original);
    EXPECT_EQ(restored.ToString().substr(0, 3), "old");

    // An empty source compresses to a stream that inflates to nothing.
    TMemoryStream empty, packedEmpty, restoredEmpty;
    CompressStream(empty, packedEmpty);
    EXPECT_GT(packedEmpty.GetSize(), 0);
    packedEmpty.SetPosition(0);
    DecompressStream(packedEmpty, restoredEmpty);
    EXPECT_EQ(restoredEmpty.GetSize(), 0);
}

TEST(StreamCompression, EmptySourceLeavesTheDestinationRewound)
{
    TMemoryStream source;
    source.WriteBuffer("abc", 3); // positioned at its end
    TMemoryStream dest;
    dest.WriteBuffer("keep", 4);
    DecompressStream(source, dest);
    EXPECT_EQ(dest.ToString(), "keep");
    EXPECT_EQ(dest.GetPosition(), 0);

    TMemoryStream none, empty;
    DecompressStream(none, empty);
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(empty.GetPosition(), 0);
}

TEST(StreamCompression, CorruptOrCutDataRaisesAndWritesNothing)
{
    TMemoryStream source;
    Fill(source, Compressible(5000));
    TMemoryStream packed;
    CompressStream(source, packed);
    const auto good = packed.Bytes();

    std::vector<std::vector<std::uint8_t>> broken;
    broken.push_back({'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    broken.push_back(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)));
    broken.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 1)); // the checksum cut
    auto flipped = good;
    flipped[good.size() - 2] ^= 0x40; // the checksum wrong
    broken.push_back(flipped);
    for (const auto& bytes : broken) {
        TMemoryStream in;
        Fill(in, bytes);
        in.SetPosition(0);
        TMemoryStream out;
        out.WriteBuffer("keep", 4);
        EXPECT_THROW(DecompressStream(in, out), EZDecompressionError) << bytes.size();
        EXPECT_EQ(out.ToString(), "keep");
    }
}

TEST(StreamCompression, ExpandingBeyondTheLimitIsRefusedWithoutWritingAnything)
{
    // 65 MiB of zeros pack into some 65 KB: a small stored blob must not become a
    // huge allocation.
    TMemoryStream plain;
    const std::vector<std::uint8_t> block(1 << 20, 0);
    for (int i = 0; i < 65; ++i) plain.WriteBuffer(block.data(), static_cast<std::int64_t>(block.size()));
    TMemoryStream packed;
    CompressStream(plain, packed);
    EXPECT_LT(packed.GetSize(), 200 * 1024);
    packed.SetPosition(0);
    TMemoryStream out;
    out.WriteBuffer("keep", 4);
    try {
        DecompressStream(packed, out);
        ADD_FAILURE() << "expanded without a limit";
    } catch (const EZDecompressionError& e) {
        EXPECT_EQ(e.Message, "Stream decompression failed: the data expands beyond 64 MiB");
    }
    EXPECT_EQ(out.ToString(), "keep");
}

TEST(ColourConversion, HlsValues)
{
    struct Case {
        std::uint32_t colour;
        int h, l, s;
    };
    for (const Case& c : {Case{0x000000, 160, 0, 0}, Case{0xFFFFFF, 160, 240, 0}, Case{0x0000FF, 0, 120, 240},
                          Case{0x00FF00, 80, 120, 240}, Case{0xFF0000, 160, 120, 240}, Case{0x808080, 160, 120, 0}}) {
        THLS hls;
        RGBToHLS(c.colour, hls);
        EXPECT_EQ(hls.Hue, c.h) << std::hex << c.colour;
        EXPECT_EQ(hls.Lightness, c.l) << std::hex << c.colour;
        EXPECT_EQ(hls.Saturation, c.s) << std::hex << c.colour;
    }
    EXPECT_EQ(HLSToRGB(0, 120, 240), 0x0000FFu);
    EXPECT_EQ(HLSToRGB(160, 240, 0), 0xFFFFFFu);
    EXPECT_EQ(HLSToRGB(80, 120, 240), 0x00FF00u);
    EXPECT_EQ(HLSToRGB(160, 120, 240), 0xFF0000u);
    EXPECT_EQ(HLSToRGB(240, 120, 240), 0x0000FFu); // hue wraps
    // Beyond the scale a channel stops at 255 instead of spilling into the next one.
    EXPECT_EQ(HLSToRGB(0, 255, 0), 0xFFFFFFu);
    EXPECT_EQ(HLSToRGB(0, 120, 255) & 0xFFFF00u, 0u);

    // Near round trips over the colour cube.
    for (std::uint32_t r = 0; r < 256; r += 51)
        for (std::uint32_t g = 0; g < 256; g += 51)
            for (std::uint32_t b = 0; b < 256; b += 51) {
                const std::uint32_t colour = r | (g << 8) | (b << 16);
                THLS hls;
                RGBToHLS(colour, hls);
                const std::uint32_t back = HLSToRGB(hls.Hue, hls.Lightness, hls.Saturation);
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(int((back >> shift) & 0xFF), int((colour >> shift) & 0xFF), 4) << std::hex << colour;
            }
}

TEST(Addresses, BytesMasksAndHostBits)
{
    EXPECT_EQ(BytesToIP(192, 168, 1, 10), 0xC0A8010Au);
    EXPECT_EQ(HostBitsToMask(8), BytesToIP(255, 255, 255, 0));
    EXPECT_EQ(HostBitsToMask(1), 0xFFFFFFFEu);
    EXPECT_EQ(HostBitsToMask(30), 0xC0000000u);
    for (int n : {0, 31, 32, -1}) EXPECT_EQ(HostBitsToMask(n), BytesToIP(127, 255, 255, 255)) << n;

    EXPECT_EQ(MaskToHostBits(BytesToIP(255, 255, 255, 0)), 8);
    EXPECT_EQ(MaskToHostBits(BytesToIP(255, 255, 0, 255)), 255);
    EXPECT_EQ(MaskToHostBits(BytesToIP(255, 255, 255, 255)), 0);
    EXPECT_EQ(MaskToHostBits(0), 31); // bit 31 is not looked at
    EXPECT_EQ(MaskToHostBits(0x80000000u), 31);
    EXPECT_EQ(MaskToHostBits(0x7FFFFFFFu), 0);
    EXPECT_EQ(MaskToHostBits(0xFFFF0F00u), 255);
    for (int n = 1; n <= 30; ++n) EXPECT_EQ(MaskToHostBits(HostBitsToMask(n)), n);
}

TEST(Addresses, ResolveHostOnThisMachine)
{
    std::uint32_t address = 0;
    ASSERT_TRUE(ResolveHost("127.0.0.5", address));
    EXPECT_EQ(address, BytesToIP(127, 0, 0, 5));
    address = 0;
    ASSERT_TRUE(ResolveHost("localhost", address));
    EXPECT_EQ(address >> 24, 127u);

    address = 0x12345678;
    EXPECT_FALSE(ResolveHost("", address));
    EXPECT_FALSE(ResolveHost(std::string(256, 'a'), address));
    EXPECT_FALSE(ResolveHost(std::string("127.0.0.1\0x", 11), address));
    EXPECT_EQ(address, 0x12345678u);
}

TEST(BitmapToRegion, CutsTheTopLeftColourAway)
{
    // Only the top-left pixel has its colour.
    QImage lone(6, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) lone.setPixel(x, y, qRgb(10 * x, 20 * y, 200));
    lone.setPixel(0, 0, qRgb(255, 0, 0));
    const QRegion region = BitmapToRegion(lone);
    EXPECT_EQ(lone.format(), QImage::Format_RGB888);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool expected = x < 5 && y < 3 && !(x == 0 && y == 0);
            EXPECT_EQ(region.contains(QPoint(x, y)), expected) << x << "," << y;
        }

    // A shape on a key colour, with a hole and runs reaching the right edge.
    const char* rows[] = {"..##....", ".####...", "##..####", "..##..##", "........"};
    QImage shape(8, 5, QImage::Format_RGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) shape.setPixel(x, y, rows[y][x] == '#' ? qRgb(0, 0, 0) : qRgb(0, 255, 0));
    const QRegion cut = BitmapToRegion(shape);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool expected = x < 7 && y < 4 && rows[y][x] == '#';
            EXPECT_EQ(cut.contains(QPoint(x, y)), expected) << x << "," << y;
        }
    QRegion same(QRect(0, 0, 7, 4));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x)
            if (rows[y][x] == '.') same -= QRegion(x, y, 1, 1);
    EXPECT_TRUE((cut ^ same).isEmpty());

    QImage none;
    EXPECT_TRUE(BitmapToRegion(none).isEmpty());
    QImage onePixel(1, 1, QImage::Format_RGB32);
    onePixel.fill(Qt::white);
    EXPECT_TRUE(BitmapToRegion(onePixel).isEmpty());
}

TEST(PlatformVersion, KernelReleaseFiveOneOrLater)
{
    EXPECT_TRUE(IsWinXPOrLater("Linux", "5.1.0"));
    EXPECT_TRUE(IsWinXPOrLater("Linux", "6.1.0-18-amd64"));
    EXPECT_TRUE(IsWinXPOrLater("Linux", "6.0.0")); // a later major version passes whatever its minor
    EXPECT_TRUE(IsWinXPOrLater("Linux", "10.0"));
    EXPECT_TRUE(IsWinXPOrLater("Linux", "5.15.0-91-generic"));
    EXPECT_FALSE(IsWinXPOrLater("Linux", "5.0.21"));
    EXPECT_FALSE(IsWinXPOrLater("Linux", "4.19.0-26-amd64"));
    EXPECT_FALSE(IsWinXPOrLater("Darwin", "22.1.0"));
    for (const char* odd : {"", "6", "6.", "x.1", "-6.1", " 6.1", "6.x"})
        EXPECT_FALSE(IsWinXPOrLater("Linux", odd)) << odd;

    utsname names{};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(IsWinXPOrLater(), IsWinXPOrLater(names.sysname, names.release));
}
