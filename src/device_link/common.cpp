#include "device_link/common.h"

#include <algorithm>
#include <cstdlib>
#include <sys/utsname.h>
#include <vector>
#include <zlib.h>

#include <QList>
#include <QRect>

#include "platform/io/HostLookup.h"

namespace device_link {

namespace {

constexpr std::size_t kMaxHostNameLength = 255;

std::vector<std::uint8_t> ReadRest(rtl::TStream& source)
{
    const std::int64_t count = std::max<std::int64_t>(0, source.GetSize() - source.GetPosition());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    source.ReadBuffer(bytes.data(), count);
    return bytes;
}

int ClampChannel(int value) { return std::clamp(value, 0, 255); }

} // namespace

void CompressStream(rtl::TStream& source, rtl::TStream& dest)
{
    source.SetPosition(0);
    const std::vector<std::uint8_t> input = ReadRest(source);
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<std::uint8_t> output(size);
    const int rc = compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()), 9);
    if (rc != Z_OK)
        throw EZCompressionError("Stream compression failed (zlib error " + std::to_string(rc) + ")");
    dest.WriteBuffer(output.data(), static_cast<std::int64_t>(size));
}

void DecompressStream(rtl::TStream& source, rtl::TStream& dest)
{
    std::vector<std::uint8_t> input = ReadRest(source);
    if (!input.empty()) {
        z_stream z{};
        if (inflateInit(&z) != Z_OK) throw EZDecompressionError("Stream decompression failed: out of memory");
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(input.size());
        // One byte beyond the limit tells a stream that ends at it from one that goes on.
        constexpr std::size_t kRoom = kMaxDecompressedSize + 1;
        std::vector<std::uint8_t> output(std::min(std::max<std::size_t>(input.size() * 4, 4096), kRoom));
        int rc = Z_OK;
        bool tooLarge = false;
        while (rc == Z_OK) {
            if (z.total_out == output.size()) {
                if (output.size() == kRoom) {
                    tooLarge = true;
                    break;
                }
                output.resize(std::min(output.size() * 2, kRoom));
            }
            z.next_out = output.data() + z.total_out;
            z.avail_out = static_cast<uInt>(std::min<std::size_t>(output.size() - z.total_out, 1u << 30));
            rc = inflate(&z, Z_NO_FLUSH);
            // No progress with all input used: the data stops before its end.
            if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
            if (rc == Z_BUF_ERROR) rc = Z_OK;
        }
        // clang-format off
        const std::string reason = tooLarge            ? "the data expands beyond " + std::to_string(kMaxDecompressedSize >> 20) + " MiB"
                                 : rc == Z_STREAM_END ? std::string()
                                 : z.msg               ? std::string(z.msg)
                                 : rc == Z_BUF_ERROR   ? std::string("data is cut short")
                                                       : "zlib error " + std::to_string(rc);
        const std::size_t produced = z.total_out;
        // clang-format on
        inflateEnd(&z);
        if (!reason.empty()) throw EZDecompressionError("Stream decompression failed: " + reason);
        dest.WriteBuffer(output.data(), static_cast<std::int64_t>(produced));
    }
    dest.SetPosition(0);
}

int HueToRGB(int m1, int m2, int hue)
{
    hue %= 240;
    if (hue < 0) hue += 240;
    if (hue < 40) return m1 + ((m2 - m1) * hue + 20) / 40;
    if (hue < 120) return m2;
    if (hue < 160) return m1 + ((m2 - m1) * (160 - hue) + 20) / 40;
    return m1;
}

void RGBToHLS(std::uint32_t colour, THLS& hls)
{
    const int r = colour & 0xFF;
    const int g = (colour >> 8) & 0xFF;
    const int b = (colour >> 16) & 0xFF;
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int l = ((max + min) * 240 + 255) / 510;
    int h = 160;
    int s = 0;
    if (max != min) {
        const int range = max - min;
        if (l <= 120) s = (range * 240 + (max + min) / 2) / (max + min);
        else s = (range * 240 + (510 - max - min) / 2) / (510 - max - min);
        const int rDelta = ((max - r) * 40 + range / 2) / range;
        const int gDelta = ((max - g) * 40 + range / 2) / range;
        const int bDelta = ((max - b) * 40 + range / 2) / range;
        if (r == max) h = bDelta - gDelta;
        else if (g == max) h = 80 + rDelta - bDelta;
        else h = 160 + gDelta - rDelta;
        h %= 240;
        if (h < 0) h += 240;
    }
    hls.Hue = static_cast<std::uint8_t>(h);
    hls.Lightness = static_cast<std::uint8_t>(l);
    hls.Saturation = static_cast<std::uint8_t>(s);
}

std::uint32_t HLSToRGB(int hue, int lightness, int saturation)
{
    int r, g, b;
    if (saturation == 0) {
        r = g = b = lightness * 255 / 240;
    } else {
        const int m2 = lightness <= 120 ? (lightness * (240 + saturation) + 120) / 240
                                        : lightness + saturation - (lightness * saturation + 120) / 240;
        const int m1 = 2 * lightness - m2;
        r = (HueToRGB(m1, m2, hue + 80) * 255 + 120) / 240;
        g = (HueToRGB(m1, m2, hue) * 255 + 120) / 240;
        b = (HueToRGB(m1, m2, hue - 80) * 255 + 120) / 240;
    }
    // Inputs beyond the 0..240 scale must not spill into the neighbouring channel.
    return std::uint32_t(ClampChannel(r)) | (std::uint32_t(ClampChannel(g)) << 8)
           | (std::uint32_t(ClampChannel(b)) << 16);
}

std::uint32_t BytesToIP(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return (std::uint32_t(b0) << 24) | (std::uint32_t(b1) << 16) | (std::uint32_t(b2) << 8) | b3;
}

std::uint32_t HostBitsToMask(int n)
{
    if (n < 1 || n > 30) return 0x7FFFFFFFu;
    return 0xFFFFFFFFu << n;
}

std::uint8_t MaskToHostBits(std::uint32_t mask)
{
    int run = 0;
    while (run < 31 && ((mask >> run) & 1) == 0) ++run;
    for (int bit = run; bit < 31; ++bit)
        if (((mask >> bit) & 1) == 0) return 255;
    return static_cast<std::uint8_t>(run);
}

bool ResolveHost(const std::string& name, std::uint32_t& address)
{
    if (name.size() > kMaxHostNameLength) return false;
    return io::LookupIPv4(name, address);
}

QRegion BitmapToRegion(QImage& bitmap)
{
    if (bitmap.isNull()) return QRegion();
    bitmap = bitmap.convertToFormat(QImage::Format_RGB888);
    const int width = bitmap.width();
    const int height = bitmap.height();
    const uchar* topRow = bitmap.constScanLine(0);
    const uchar key[3] = {topRow[0], topRow[1], topRow[2]};
    auto isKey = [&key](const uchar* pixel) {
        return pixel[0] == key[0] && pixel[1] == key[1] && pixel[2] == key[2];
    };
    // The kept runs of each row inside the rectangle (0, 0)-(width - 1, height - 1):
    // the rectangle less the runs of the key colour, in the banded order QRegion takes.
    QList<QRect> kept;
    for (int y = 0; y < height - 1; ++y) {
        const uchar* row = bitmap.constScanLine(y);
        int x = 0;
        while (x < width - 1) {
            if (isKey(row + 3 * x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width - 1 && !isKey(row + 3 * x)) ++x;
            kept.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    if (!kept.isEmpty()) region.setRects(kept.constData(), static_cast<int>(kept.size()));
    return region;
}

bool IsWinXPOrLater(const std::string& systemName, const std::string& release)
{
    if (systemName != "Linux") return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char* text = release.c_str();
    if (!isDigit(*text)) return false;
    char* end = nullptr;
    const long major = std::strtol(text, &end, 10);
    if (*end != '.' || !isDigit(end[1])) return false;
    const long minor = std::strtol(end + 1, &end, 10);
    // Any later version passes, 6.0 included.
    return major > 5 || (major == 5 && minor >= 1);
}

bool IsWinXPOrLater()
{
    utsname names{};
    if (::uname(&names) != 0) return false;
    return IsWinXPOrLater(names.sysname, names.release);
}

} // namespace device_link
