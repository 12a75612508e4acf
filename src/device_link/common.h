#pragma once
// General routines used across the program: stream compression, colour conversion,
// IPv4 addresses and masks, host lookup, a window region from a bitmap and the
// platform version test.
#include <cstddef>
#include <cstdint>
#include <string>

#include <QImage>
#include <QRegion>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"

namespace device_link {

// clang-format off
class EZCompressionError : public rtl::Exception { using Exception::Exception; };
class EZDecompressionError : public rtl::Exception { using Exception::Exception; };
// clang-format on

// Compresses all of source (from its start) in the zlib format at level 9 and
// writes it to dest at dest's position. Raises EZCompressionError; then nothing is written.
void CompressStream(rtl::TStream& source, rtl::TStream& dest);
// The most DecompressStream writes: far beyond any picture the program keeps, and
// a bound on what a small hostile stream can make it allocate.
inline constexpr std::size_t kMaxDecompressedSize = std::size_t(64) << 20;
// Inflates source from its position to its end into dest (nothing for no bytes)
// and rewinds dest. Raises EZDecompressionError for corrupt or cut data and for data
// that expands beyond kMaxDecompressedSize; then nothing is written.
void DecompressStream(rtl::TStream& source, rtl::TStream& dest);

// Hue, lightness and saturation, each on the scale 0..240 (hue wraps at 240).
struct THLS {
    std::uint8_t Hue = 0;
    std::uint8_t Lightness = 0;
    std::uint8_t Saturation = 0;
};

// Colours are 0x00BBGGRR.
void RGBToHLS(std::uint32_t colour, THLS& hls);
// Channels beyond 255 (lightness or saturation above 240) are limited to 255.
std::uint32_t HLSToRGB(int hue, int lightness, int saturation);
// One channel on the 0..240 scale for a hue between the levels m1 and m2.
int HueToRGB(int m1, int m2, int hue);

// IPv4 address with b0 as the most significant byte.
std::uint32_t BytesToIP(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
// The mask with n host bits, for n 1..30; 0x7FFFFFFF for every other n.
std::uint32_t HostBitsToMask(int n);
// The number of host bits of a mask, looking at bits 0..30 only; 255 when its
// zero bits are not one run from bit 0.
std::uint8_t MaskToHostBits(std::uint32_t mask);
// Looks an IPv4 host up (at most 255 characters); true with the first address.
bool ResolveHost(const std::string& name, std::uint32_t& address);

// The region of the bitmap's shape: every pixel of the rectangle from (0, 0) to
// (width - 1, height - 1), both edges excluded, whose colour differs from the
// top-left pixel's. Converts the bitmap to 24 bits per pixel.
QRegion BitmapToRegion(QImage& bitmap);

// Whether the running system (sysname and "major.minor..." release, as uname gives
// them) is this program's platform at version 5.1 or later.
bool IsWinXPOrLater(const std::string& systemName, const std::string& release);
bool IsWinXPOrLater();

} // namespace device_link
