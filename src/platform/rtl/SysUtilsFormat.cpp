// Format: printf-like text from a format and a list of arguments.
#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::Decimal;
using detail::FormatDecimal;

// ===========================================================================
// Format

namespace {

// The widest field and the longest precision Format makes.
constexpr int kMaxFormatWidth = 1 << 20;

[[noreturn]] void FormatError(std::string_view format)
{
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::string UnsignedText(std::uint64_t u, int base)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    do { s.insert(s.begin(), digits[u % base]); u /= base; } while (u);
    return s;
}

} // namespace

std::string FormatList(const TFormatSettings& fs, std::string_view format, std::span<const TFormatArg> args)
{
    std::string out;
    std::size_t next = 0;
    std::size_t i = 0;
    auto takeArg = [&]() -> const TFormatArg& {
        if (next >= args.size())
            throw EConvertError("No argument for format '" + std::string(format) + "'");
        return args[next++];
    };
    // Widths and precisions, written or given by "*", stop at kMaxFormatWidth; a negative
    // one given by "*" counts as none.
    auto readNumber = [&](int& n) -> bool {
        if (i < format.size() && format[i] == '*') {
            const TFormatArg& a = takeArg();
            if (a.GetKind() == TFormatArg::Kind::Int)
                n = static_cast<int>(std::clamp<std::int64_t>(a.Int(), -1, kMaxFormatWidth));
            else if (a.GetKind() == TFormatArg::Kind::UInt)
                n = static_cast<int>(std::min<std::uint64_t>(a.UInt(), kMaxFormatWidth));
            else
                FormatError(format);
            ++i;
            return true;
        }
        if (i >= format.size() || format[i] < '0' || format[i] > '9') return false;
        n = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            n = std::min(n * 10 + (format[i] - '0'), kMaxFormatWidth);
            ++i;
        }
        return true;
    };

    while (i < format.size()) {
        const char c = format[i++];
        if (c != '%') { out += c; continue; }
        if (i < format.size() && format[i] == '%') { out += '%'; ++i; continue; }

        bool left = false, zero = false;
        int width = -1, precision = -1;
        // index ":"
        {
            const std::size_t save = i;
            int n = 0;
            if (i < format.size() && format[i] != '*' && readNumber(n) && i < format.size() && format[i] == ':') {
                next = static_cast<std::size_t>(n);
                ++i;
            } else {
                i = save;
            }
        }
        if (i < format.size() && format[i] == '-') { left = true; ++i; }
        if (i < format.size() && format[i] == '0') zero = true;
        readNumber(width);
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (!readNumber(precision)) precision = 0;
        }
        if (i >= format.size()) FormatError(format);
        const char type = static_cast<char>(format[i++] | 0x20);
        const TFormatArg& a = takeArg();
        using K = TFormatArg::Kind;
        std::string text;
        std::string sign;
        bool numeric = true;
        switch (type) {
        case 'd': {
            std::uint64_t mag;
            if (a.GetKind() == K::Int) {
                mag = a.Int() < 0 ? 0 - static_cast<std::uint64_t>(a.Int()) : static_cast<std::uint64_t>(a.Int());
                if (a.Int() < 0) sign = "-";
            } else if (a.GetKind() == K::UInt) {
                mag = a.UInt();
            } else {
                FormatError(format);
            }
            text = UnsignedText(mag, 10);
            if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
            break;
        }
        case 'u':
        case 'x': {
            std::uint64_t u;
            if (a.GetKind() == K::Int) {
                u = static_cast<std::uint64_t>(a.Int());
                if (!a.Wide()) u &= 0xFFFFFFFFu;
            } else if (a.GetKind() == K::UInt) {
                u = a.UInt();
            } else {
                FormatError(format);
            }
            text = UnsignedText(u, type == 'u' ? 10 : 16);
            if (precision > static_cast<int>(text.size())) text.insert(0, precision - text.size(), '0');
            break;
        }
        case 'f': case 'e': case 'g': case 'n': case 'm': {
            Decimal d;
            if (a.GetKind() == K::Float) d = Decimal::FromDouble(a.Float());
            else if (a.GetKind() == K::Curr) d = Decimal::FromCurrency(Currency{a.Int()});
            else FormatError(format);
            const int maxPrecision = a.GetKind() == K::Curr ? 19 : 15;
            switch (type) {
            case 'f': text = FormatDecimal(d, ffFixed, maxPrecision, precision < 0 ? 2 : precision, fs); break;
            case 'n': text = FormatDecimal(d, ffNumber, maxPrecision, precision < 0 ? 2 : precision, fs); break;
            case 'e': text = FormatDecimal(d, ffExponent, precision < 0 ? 15 : std::clamp(precision, 1, 15), 3, fs); break;
            case 'g': text = FormatDecimal(d, ffGeneral, precision < 0 ? 15 : std::clamp(precision, 1, 15), 0, fs); break;
            default:
                text = FormatDecimal(d, ffCurrency, maxPrecision, precision < 0 ? fs.CurrencyDecimals : precision, fs);
                numeric = false;
                break;
            }
            if (numeric && !text.empty() && text[0] == '-') { sign = "-"; text.erase(0, 1); }
            if (d.special != Decimal::Special::None) numeric = false;
            break;
        }
        case 's':
            if (a.GetKind() != K::Text) FormatError(format);
            text = a.Text();
            if (precision >= 0 && static_cast<std::size_t>(precision) < text.size()) text.resize(precision);
            numeric = false;
            break;
        case 'p':
            if (a.GetKind() != K::Pointer) FormatError(format);
            text = UnsignedText(a.UInt(), 16);
            text.insert(0, 16 - std::min<std::size_t>(16, text.size()), '0');
            numeric = false;
            break;
        default:
            FormatError(format);
        }
        const int len = static_cast<int>(sign.size() + text.size());
        if (width > len) {
            const std::size_t pad = static_cast<std::size_t>(width - len);
            if (left) text += std::string(pad, ' ');
            else if (zero && numeric) text.insert(0, pad, '0');
            else sign.insert(0, pad, ' ');
        }
        out += sign;
        out += text;
    }
    return out;
}

} // namespace rtl
