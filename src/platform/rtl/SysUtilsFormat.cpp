// Format: printf-like text from a format and a list of arguments.
#include "platform/rtl/SysUtils.h"

#include <algorithm>

#include "platform/rtl/SysUtilsDetail.h"

namespace rtl {

using detail::Decimal;
using detail::FormatDecimal;

namespace {

using K = TFormatArg::Kind;

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
    // clang-format off
    do { s.insert(s.begin(), digits[u % base]); u /= base; } while (u);
    // clang-format on
    return s;
}

// One conversion: "%" [index ":"] ["-"] [width] ["." precision] type.
struct TConversion {
    bool left = false;
    bool zero = false;
    int width = -1;
    int precision = -1;
    char type = 0; // lower case
};

// The text of one argument, its sign apart, so that padding can go between them.
struct TConverted {
    std::string sign;
    std::string text;
    bool numeric = true; // zero padding applies
};

// Reads a format from left to right and hands out its arguments, in order or from
// an index the format gives.
class TFormatReader {
public:
    TFormatReader(std::string_view format, std::span<const TFormatArg> args) : format_(format), args_(args) {}

    bool AtEnd() const { return i_ >= format_.size(); }

    // Appends a plain character or the "%" of "%%"; false at the start of a conversion.
    bool CopyLiteral(std::string& out)
    {
        const char c = format_[i_];
        if (c != '%') {
            out += c;
            ++i_;
            return true;
        }
        if (i_ + 1 < format_.size() && format_[i_ + 1] == '%') {
            out += '%';
            i_ += 2;
            return true;
        }
        return false;
    }

    // Reads the conversion at "%"; the arguments that "*" names are taken on the way.
    TConversion ReadConversion()
    {
        ++i_; // '%'
        TConversion conv;
        ReadIndex();
        if (Peek('-')) {
            conv.left = true;
            ++i_;
        }
        if (Peek('0')) conv.zero = true;
        ReadNumber(conv.width);
        if (Peek('.')) {
            ++i_;
            if (!ReadNumber(conv.precision)) conv.precision = 0;
        }
        if (AtEnd()) Fail();
        conv.type = static_cast<char>(format_[i_++] | 0x20);
        return conv;
    }

    const TFormatArg& TakeArg()
    {
        if (next_ >= args_.size()) throw EConvertError("No argument for format '" + std::string(format_) + "'");
        return args_[next_++];
    }

    [[noreturn]] void Fail() const { FormatError(format_); }

private:
    bool Peek(char c) const { return i_ < format_.size() && format_[i_] == c; }
    bool PeekDigit() const { return i_ < format_.size() && format_[i_] >= '0' && format_[i_] <= '9'; }

    // "n:" makes argument n the next one.
    void ReadIndex()
    {
        const std::size_t start = i_;
        int n = 0;
        if (!Peek('*') && ReadNumber(n) && Peek(':')) {
            next_ = static_cast<std::size_t>(n);
            ++i_;
        } else {
            i_ = start;
        }
    }

    // A width or precision, written or given by "*"; it stops at kMaxFormatWidth, and a
    // negative one given by "*" counts as none. False when there is none.
    bool ReadNumber(int& n)
    {
        if (Peek('*')) {
            const TFormatArg& a = TakeArg();
            if (a.GetKind() == K::Int) n = static_cast<int>(std::clamp<std::int64_t>(a.Int(), -1, kMaxFormatWidth));
            else if (a.GetKind() == K::UInt) n = static_cast<int>(std::min<std::uint64_t>(a.UInt(), kMaxFormatWidth));
            else Fail();
            ++i_;
            return true;
        }
        if (!PeekDigit()) return false;
        n = 0;
        while (PeekDigit()) n = std::min(n * 10 + (format_[i_++] - '0'), kMaxFormatWidth);
        return true;
    }

    std::string_view format_;
    std::span<const TFormatArg> args_;
    std::size_t i_ = 0;
    std::size_t next_ = 0;
};

void ZeroExtend(std::string& digits, int precision)
{
    if (precision > static_cast<int>(digits.size())) digits.insert(0, precision - digits.size(), '0');
}

// %d: a signed integer.
TConverted SignedText(const TFormatArg& a, const TConversion& conv, const TFormatReader& reader)
{
    TConverted c;
    std::uint64_t magnitude = 0;
    if (a.GetKind() == K::Int) {
        magnitude = a.Int() < 0 ? 0 - static_cast<std::uint64_t>(a.Int()) : static_cast<std::uint64_t>(a.Int());
        if (a.Int() < 0) c.sign = "-";
    } else if (a.GetKind() == K::UInt) {
        magnitude = a.UInt();
    } else {
        reader.Fail();
    }
    c.text = UnsignedText(magnitude, 10);
    ZeroExtend(c.text, conv.precision);
    return c;
}

// %u and %x: the integer's bits, 32 of them for a narrow one.
TConverted UnsignedArgText(const TFormatArg& a, const TConversion& conv, const TFormatReader& reader)
{
    std::uint64_t u = 0;
    if (a.GetKind() == K::Int) {
        u = static_cast<std::uint64_t>(a.Int());
        if (!a.Wide()) u &= 0xFFFFFFFFu;
    } else if (a.GetKind() == K::UInt) {
        u = a.UInt();
    } else {
        reader.Fail();
    }
    TConverted c;
    c.text = UnsignedText(u, conv.type == 'u' ? 10 : 16);
    ZeroExtend(c.text, conv.precision);
    return c;
}

// %f %e %g %n %m: a float or currency amount in the matching float format.
TConverted FloatText(const TFormatArg& a, const TConversion& conv, const TFormatSettings& fs,
                     const TFormatReader& reader)
{
    Decimal d;
    if (a.GetKind() == K::Float) d = Decimal::FromDouble(a.Float());
    else if (a.GetKind() == K::Curr) d = Decimal::FromCurrency(Currency{a.Int()});
    else reader.Fail();
    const int maxPrecision = a.GetKind() == K::Curr ? 19 : 15;
    const int precision = conv.precision;
    TConverted c;
    switch (conv.type) {
    case 'f': c.text = FormatDecimal(d, ffFixed, maxPrecision, precision < 0 ? 2 : precision, fs); break;
    case 'n': c.text = FormatDecimal(d, ffNumber, maxPrecision, precision < 0 ? 2 : precision, fs); break;
    case 'e': c.text = FormatDecimal(d, ffExponent, precision < 0 ? 15 : std::clamp(precision, 1, 15), 3, fs); break;
    case 'g': c.text = FormatDecimal(d, ffGeneral, precision < 0 ? 15 : std::clamp(precision, 1, 15), 0, fs); break;
    default:
        c.text = FormatDecimal(d, ffCurrency, maxPrecision, precision < 0 ? fs.CurrencyDecimals : precision, fs);
        c.numeric = false;
        break;
    }
    if (c.numeric && !c.text.empty() && c.text[0] == '-') {
        c.sign = "-";
        c.text.erase(0, 1);
    }
    if (d.special != Decimal::Special::None) c.numeric = false;
    return c;
}

TConverted Convert(const TConversion& conv, const TFormatArg& a, const TFormatSettings& fs,
                   const TFormatReader& reader)
{
    switch (conv.type) {
    case 'd': return SignedText(a, conv, reader);
    case 'u':
    case 'x': return UnsignedArgText(a, conv, reader);
    case 'f':
    case 'e':
    case 'g':
    case 'n':
    case 'm': return FloatText(a, conv, fs, reader);
    case 's': {
        if (a.GetKind() != K::Text) reader.Fail();
        TConverted c{{}, a.Text(), false};
        if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < c.text.size())
            c.text.resize(conv.precision);
        return c;
    }
    case 'p': {
        if (a.GetKind() != K::Pointer) reader.Fail();
        TConverted c{{}, UnsignedText(a.UInt(), 16), false};
        c.text.insert(0, 16 - std::min<std::size_t>(16, c.text.size()), '0');
        return c;
    }
    default: reader.Fail();
    }
}

// Pads to the width: blanks before the sign, zeros after it, or blanks after the text.
void AppendPadded(std::string& out, TConverted c, const TConversion& conv)
{
    const int length = static_cast<int>(c.sign.size() + c.text.size());
    if (conv.width > length) {
        const std::size_t pad = static_cast<std::size_t>(conv.width - length);
        if (conv.left) c.text += std::string(pad, ' ');
        else if (conv.zero && c.numeric) c.text.insert(0, pad, '0');
        else c.sign.insert(0, pad, ' ');
    }
    out += c.sign;
    out += c.text;
}

} // namespace

std::string FormatList(const TFormatSettings& fs, std::string_view format, std::span<const TFormatArg> args)
{
    TFormatReader reader(format, args);
    std::string out;
    while (!reader.AtEnd()) {
        if (reader.CopyLiteral(out)) continue;
        const TConversion conv = reader.ReadConversion();
        AppendPadded(out, Convert(conv, reader.TakeArg(), fs, reader), conv);
    }
    return out;
}

} // namespace rtl
