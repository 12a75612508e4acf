// Case mapping and comparison of 8-bit text, plain and by the code page's collation.
#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::Lower;

// ===========================================================================
// Case and comparison

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    // clang-format off
    for (char& c : r) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    // clang-format on
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    // clang-format off
    for (char& c : r) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    // clang-format on
    return r;
}

int CompareStr(std::string_view a, std::string_view b)
{
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]) == a[i] && a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i]);
        const auto y = static_cast<unsigned char>(Lower(b[i]) == b[i] && b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

char AnsiUpperChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    switch (u) {
    case 0x9A: return '\x8A'; // š
    case 0x9C: return '\x8C'; // œ
    case 0x9E: return '\x8E'; // ž
    case 0xFF: return '\x9F'; // ÿ
    default: return c;
    }
}

char AnsiLowerChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    switch (u) {
    case 0x8A: return '\x9A';
    case 0x8C: return '\x9C';
    case 0x8E: return '\x9E';
    case 0x9F: return '\xFF';
    default: return c;
    }
}

std::string AnsiUpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AnsiUpperChar(c);
    return r;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AnsiLowerChar(c);
    return r;
}

namespace {

// Collation weights of one byte: primary (base character), secondary (accent), tertiary (case).
struct CollationTable {
    std::uint16_t primary[256];
    std::uint8_t secondary[256];
    std::uint8_t tertiary[256];

    CollationTable()
    {
        for (int b = 0; b < 256; ++b) {
            primary[b] = static_cast<std::uint16_t>(b); // symbols and controls: below digits
            secondary[b] = 0;
            tertiary[b] = 0;
        }
        for (int d = 0; d < 10; ++d) primary['0' + d] = static_cast<std::uint16_t>(300 + d);
        auto letter = [&](unsigned char b, char base, std::uint8_t accent) {
            primary[b] = static_cast<std::uint16_t>(400 + (base - 'a'));
            secondary[b] = accent;
            tertiary[b] = AnsiLowerChar(static_cast<char>(b)) == static_cast<char>(b) ? 0 : 1;
        };
        for (char c = 'a'; c <= 'z'; ++c) {
            letter(static_cast<unsigned char>(c), c, 0);
            letter(static_cast<unsigned char>(c - 32), c, 0);
        }
        // Accented letters of the code page, lower and upper case, by base letter.
        // clang-format off
        struct Row { const char* bytes; char base; };
        // clang-format on
        static const Row rows[] = {
            {"\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xC0\xC1\xC2\xC3\xC4\xC5\xC6", 'a'},
            {"\xE7\xC7", 'c'},
            {"\xF0\xD0", 'd'},
            {"\xE8\xE9\xEA\xEB\xC8\xC9\xCA\xCB", 'e'},
            {"\x83", 'f'},
            {"\xEC\xED\xEE\xEF\xCC\xCD\xCE\xCF", 'i'},
            {"\xF1\xD1", 'n'},
            {"\xF2\xF3\xF4\xF5\xF6\xF8\x9C\xD2\xD3\xD4\xD5\xD6\xD8\x8C", 'o'},
            {"\x9A\x8A\xDF", 's'},
            {"\xFE\xDE", 't'},
            {"\xF9\xFA\xFB\xFC\xD9\xDA\xDB\xDC", 'u'},
            {"\xFD\xFF\xDD\x9F", 'y'},
            {"\x9E\x8E", 'z'},
        };
        for (const Row& r : rows) {
            std::uint8_t accent = 1;
            for (const char* p = r.bytes; *p; ++p) {
                const auto b = static_cast<unsigned char>(*p);
                const bool upper = AnsiLowerChar(*p) != *p;
                // The same accent in both cases: compare the lower-case form's position.
                const auto lower = static_cast<unsigned char>(AnsiLowerChar(*p));
                std::uint8_t acc = accent;
                if (upper) {
                    // clang-format off
                    for (const char* q = r.bytes; *q; ++q)
                        if (static_cast<unsigned char>(*q) == lower) { acc = secondary[lower]; break; }
                    // clang-format on
                } else {
                    ++accent;
                }
                letter(b, r.base, acc);
                (void)b;
            }
        }
    }
};

const CollationTable& Collation()
{
    static const CollationTable table;
    return table;
}

int CollationCompare(std::string_view a, std::string_view b, bool ignoreCase)
{
    const CollationTable& t = Collation();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.primary[x] != t.primary[y]) return t.primary[x] < t.primary[y] ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.secondary[x] != t.secondary[y]) return t.secondary[x] < t.secondary[y] ? -1 : 1;
    }
    if (ignoreCase) return 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (t.tertiary[x] != t.tertiary[y]) return t.tertiary[x] < t.tertiary[y] ? -1 : 1;
    }
    return 0;
}

} // namespace

int AnsiCompareStr(std::string_view a, std::string_view b) { return CollationCompare(a, b, false); }
int AnsiCompareText(std::string_view a, std::string_view b) { return CollationCompare(a, b, true); }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(std::string_view a, std::string_view b) { return a == b; }

namespace {

bool SameUpper(char a, char b)
{
    return a == b || AnsiUpperChar(a) == AnsiUpperChar(b);
}

} // namespace

bool AnsiStartsText(std::string_view sub, std::string_view s)
{
    return sub.size() <= s.size() && std::equal(sub.begin(), sub.end(), s.begin(), SameUpper);
}

bool AnsiContainsText(std::string_view s, std::string_view sub)
{
    return std::search(s.begin(), s.end(), sub.begin(), sub.end(), SameUpper) != s.end() || sub.empty();
}

} // namespace rtl
