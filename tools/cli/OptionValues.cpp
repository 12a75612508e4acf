#include "cli/OptionValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c)
{
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool ReadWhole(const std::string& text, long long min, long long max, long long& value)
{
    long long read = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, read);
    if (text.empty() || error != std::errc() || at != end || read < min || read > max) return false;
    value = read;
    return true;
}

bool IsWholeText(const std::string& text)
{
    const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
    return text.size() > first && std::all_of(text.begin() + first, text.end(), IsDigit);
}

bool IsDecimalText(const std::string& text)
{
    std::size_t digits = 0, points = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsDigit(text[i])) ++digits;
        else if (text[i] == '.') ++points;
        else if (!(text[i] == '-' && i == 0)) return false;
    }
    return digits > 0 && points <= 1;
}

bool ReadNumber(const std::string& text, double min, double max, double& value)
{
    // from_chars also takes exponents, "inf" and "nan": only plain decimals get there.
    if (!IsDecimalText(text)) return false;
    double read = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, read, std::chars_format::fixed);
    if (error != std::errc() || at != end || !std::isfinite(read) || read < min || read > max) return false;
    value = read;
    return true;
}

bool ReadDottedIPv4(const std::string& text, std::array<std::uint8_t, 4>& octets)
{
    std::array<std::uint8_t, 4> read{};
    std::size_t part = 0, at = 0;
    while (true) {
        std::size_t end = at;
        while (end < text.size() && IsDigit(text[end])) ++end;
        long long number = 0;
        // "010" is 10 to some readers and 8 to others.
        const bool leadingZero = end - at > 1 && text[at] == '0';
        if (end == at || end - at > 3 || leadingZero || !ReadWhole(text.substr(at, end - at), 0, 255, number))
            return false;
        read[part++] = static_cast<std::uint8_t>(number);
        if (part == 4) {
            if (end != text.size()) return false;
            break;
        }
        if (end >= text.size() || text[end] != '.') return false;
        at = end + 1;
    }
    octets = read;
    return true;
}

bool ReadHexBytes(const std::string& text, std::string& bytes)
{
    if (text.size() % 2 != 0) return false;
    std::string read;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        read += static_cast<char>(high * 16 + low);
    }
    bytes += read;
    return true;
}

} // namespace cli
