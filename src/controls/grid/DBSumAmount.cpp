// Amounts of the sum list, exact in 128 bits and, beyond them, in a wide integer.
#include "controls/grid/DBSumAmount.h"

#include <array>
#include <charconv>
#include <limits>
#include <string_view>

namespace grid {

namespace {

using TScaled = TDBSumAmount::TScaled;
__extension__ typedef unsigned __int128 TMagnitude;

constexpr TScaled kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr TScaled kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr TMagnitude kScaledMax = (TMagnitude(1) << 127) - 1;

// A signed integer of 1152 bits in two's complement: the largest double scaled by 10000
// needs 1038 of them, and 2^63 such values added up fewer than 1102.
class TWideInt {
public:
    static TWideInt Of(TScaled value)
    {
        TWideInt w;
        const auto bits = static_cast<TMagnitude>(value);
        w.limbs_[0] = static_cast<std::uint64_t>(bits);
        w.limbs_[1] = static_cast<std::uint64_t>(bits >> 64);
        const std::uint64_t fill = value < 0 ? ~std::uint64_t(0) : 0;
        for (std::size_t i = 2; i < kLimbs; ++i) w.limbs_[i] = fill;
        return w;
    }
    // A magnitude in decimal digits.
    static TWideInt OfDigits(std::string_view digits, bool negative)
    {
        TWideInt w;
        for (const char digit : digits) w.mulAdd(10, static_cast<std::uint64_t>(digit - '0'));
        if (negative) w.negate();
        return w;
    }

    void Add(const TWideInt& other, bool subtract)
    {
        // a - b is a + ~b + 1.
        unsigned carry = subtract ? 1 : 0;
        for (std::size_t i = 0; i < kLimbs; ++i) {
            const std::uint64_t b = subtract ? ~other.limbs_[i] : other.limbs_[i];
            const TMagnitude sum = TMagnitude(limbs_[i]) + b + carry;
            limbs_[i] = static_cast<std::uint64_t>(sum);
            carry = static_cast<unsigned>(sum >> 64);
        }
    }
    bool Negative() const { return (limbs_[kLimbs - 1] >> 63) != 0; }
    bool IsZero() const
    {
        for (const std::uint64_t limb : limbs_)
            if (limb != 0) return false;
        return true;
    }
    bool FitsScaled() const
    {
        const std::uint64_t fill = (limbs_[1] >> 63) != 0 ? ~std::uint64_t(0) : 0;
        for (std::size_t i = 2; i < kLimbs; ++i)
            if (limbs_[i] != fill) return false;
        return true;
    }
    TScaled ToScaled() const { return static_cast<TScaled>((TMagnitude(limbs_[1]) << 64) | limbs_[0]); }
    // The magnitude in decimal digits ("0" for zero).
    std::string MagnitudeDigits() const
    {
        TWideInt m = *this;
        if (m.Negative()) m.negate();
        std::string digits;
        do {
            const std::uint64_t chunk = m.divide(10'000'000'000'000'000'000ULL);
            std::string part = std::to_string(chunk);
            if (!m.IsZero()) part.insert(0, 19 - part.size(), '0');
            digits.insert(0, part);
        } while (!m.IsZero());
        return digits;
    }
    // Divides the magnitude by divisor (this must not be negative); returns the remainder.
    std::uint64_t divide(std::uint64_t divisor)
    {
        TMagnitude remainder = 0;
        for (std::size_t i = kLimbs; i-- > 0;) {
            const TMagnitude part = (remainder << 64) | limbs_[i];
            limbs_[i] = static_cast<std::uint64_t>(part / divisor);
            remainder = part % divisor;
        }
        return static_cast<std::uint64_t>(remainder);
    }
    void negate()
    {
        unsigned carry = 1;
        for (std::uint64_t& limb : limbs_) {
            const TMagnitude sum = TMagnitude(~limb) + carry;
            limb = static_cast<std::uint64_t>(sum);
            carry = static_cast<unsigned>(sum >> 64);
        }
    }
    friend bool operator==(const TWideInt&, const TWideInt&) = default;

private:
    static constexpr std::size_t kLimbs = 18;

    void mulAdd(std::uint64_t factor, std::uint64_t addend)
    {
        TMagnitude carry = addend;
        for (std::uint64_t& limb : limbs_) {
            const TMagnitude product = TMagnitude(limb) * factor + carry;
            limb = static_cast<std::uint64_t>(product);
            carry = product >> 64;
        }
    }

    std::array<std::uint64_t, kLimbs> limbs_{};
};

double ScaledToDouble(TScaled scaled)
{
    return static_cast<double>(scaled) / 10000.0;
}

std::string MagnitudeText(TMagnitude magnitude)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return digits;
}

} // namespace

// The amount beyond 128 bits: its finite part exactly, and how many of each non-finite
// value are in it.
struct TDBSumAmount::TBeyond {
    TWideInt Finite;
    std::int64_t PositiveInfinities = 0;
    std::int64_t NegativeInfinities = 0;
    std::int64_t NaNs = 0;

    bool HasNonFinite() const { return PositiveInfinities != 0 || NegativeInfinities != 0 || NaNs != 0; }
    friend bool operator==(const TBeyond&, const TBeyond&) = default;
};

TDBSumAmount::TBeyond* TDBSumAmount::copy(const TBeyond& beyond)
{
    return new TBeyond(beyond);
}

void TDBSumAmount::release(TBeyond* beyond)
{
    delete beyond;
}

TDBSumAmount::TBeyond& TDBSumAmount::beyond()
{
    if (!beyond_) {
        beyond_ = new TBeyond{TWideInt::Of(scaled_)};
        scaled_ = 0;
    }
    return *beyond_;
}

void TDBSumAmount::settle()
{
    if (!beyond_ || beyond_->HasNonFinite() || !beyond_->Finite.FitsScaled()) return;
    scaled_ = beyond_->Finite.ToScaled();
    release(beyond_);
    beyond_ = nullptr;
}

TDBSumAmount& TDBSumAmount::addBeyond(const TDBSumAmount& other, bool subtract)
{
    const int sign = subtract ? -1 : 1;
    TBeyond& mine = beyond();
    if (other.beyond_) {
        mine.Finite.Add(other.beyond_->Finite, subtract);
        mine.PositiveInfinities += sign * other.beyond_->PositiveInfinities;
        mine.NegativeInfinities += sign * other.beyond_->NegativeInfinities;
        mine.NaNs += sign * other.beyond_->NaNs;
    } else {
        mine.Finite.Add(TWideInt::Of(other.scaled_), subtract);
    }
    settle();
    return *this;
}

bool operator==(const TDBSumAmount& a, const TDBSumAmount& b)
{
    if (a.scaled_ != b.scaled_ || !a.beyond_ != !b.beyond_) return false;
    return !a.beyond_ || *a.beyond_ == *b.beyond_;
}

TDBSumAmount TDBSumAmount::FromDecimalText(double value)
{
    TDBSumAmount beyondAmount;
    if (std::isnan(value)) {
        ++beyondAmount.beyond().NaNs;
        return beyondAmount;
    }
    if (std::isinf(value)) {
        ++(value > 0 ? beyondAmount.beyond().PositiveInfinities : beyondAmount.beyond().NegativeInfinities);
        return beyondAmount;
    }
    if (value == 0) return {};
    // "d.ddde-xx": the shortest digits that read back as the value.
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific).ptr;
    std::string digits;
    const char* p = text;
    while (p < end && *p != 'e') {
        if (*p != '.') digits += *p;
        ++p;
    }
    int exponent = 0;
    if (p < end) std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    // Digits before the point once scaled by 10000.
    const int wholeDigits = exponent + 1 + 4;
    if (wholeDigits > 39) {
        // Far beyond 128 bits, and a whole number: every digit is before the point.
        digits.append(static_cast<std::size_t>(wholeDigits) - digits.size(), '0');
        beyondAmount.beyond().Finite = TWideInt::OfDigits(digits, value < 0);
        return beyondAmount;
    }
    TMagnitude magnitude = 0;
    bool overflow = false;
    for (int i = 0; i < wholeDigits; ++i) {
        const int digit = i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)] - '0' : 0;
        overflow |= __builtin_mul_overflow(magnitude, TMagnitude(10), &magnitude);
        overflow |= __builtin_add_overflow(magnitude, TMagnitude(digit), &magnitude);
    }
    if (wholeDigits >= 0 && wholeDigits < static_cast<int>(digits.size())) {
        const auto rest = std::string_view(digits).substr(static_cast<std::size_t>(wholeDigits));
        const bool above = rest.find_first_not_of('0', 1) != std::string_view::npos;
        if (rest[0] > '5' || (rest[0] == '5' && (above || (magnitude & 1) != 0))) ++magnitude;
    }
    if (overflow || magnitude > kScaledMax) {
        digits.resize(std::max<std::size_t>(digits.size(), static_cast<std::size_t>(wholeDigits)), '0');
        beyondAmount.beyond().Finite = TWideInt::OfDigits(digits, value < 0);
        return beyondAmount;
    }
    return FromScaled(value < 0 ? -static_cast<TScaled>(magnitude) : static_cast<TScaled>(magnitude));
}

bool TDBSumAmount::IsFinite() const
{
    return !beyond_ || !beyond_->HasNonFinite();
}

bool TDBSumAmount::FitsCurrency() const
{
    return !beyond_ && scaled_ >= kInt64Min && scaled_ <= kInt64Max;
}

rtl::Currency TDBSumAmount::ToCurrency() const
{
    if (!FitsCurrency()) throw rtl::EOverflow("Arithmetic overflow");
    return rtl::Currency::FromScaled(static_cast<std::int64_t>(scaled_));
}

double TDBSumAmount::ToDouble() const
{
    if (!beyond_) return ScaledToDouble(scaled_);
    const TBeyond& b = *beyond_;
    if (b.NaNs != 0 || (b.PositiveInfinities != 0 && b.NegativeInfinities != 0))
        return std::numeric_limits<double>::quiet_NaN();
    if (b.PositiveInfinities != 0) return std::numeric_limits<double>::infinity();
    if (b.NegativeInfinities != 0) return -std::numeric_limits<double>::infinity();
    // The nearest double to the decimal text; past the double range an infinity.
    const std::string text = (b.Finite.Negative() ? "-" : "") + b.Finite.MagnitudeDigits() + "e-4";
    double result = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec == std::errc::result_out_of_range)
        return b.Finite.Negative() ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return result;
}

std::string TDBSumAmount::WholeText() const
{
    if (!IsFinite()) return rtl::FormatFloat("0", ToDouble());
    if (beyond_) {
        const std::string digits = beyond_->Finite.MagnitudeDigits();
        if (digits.size() <= 4) return "0";
        const std::string whole = digits.substr(0, digits.size() - 4);
        return beyond_->Finite.Negative() ? "-" + whole : whole;
    }
    const TScaled whole = scaled_ / 10000;
    const std::string digits = MagnitudeText(whole < 0 ? -static_cast<TMagnitude>(whole) : TMagnitude(whole));
    return whole < 0 ? "-" + digits : digits;
}

TDBSumAmount TDBSumAmount::DividedBy(std::int64_t count) const
{
    if (count == 0) return {};
    const TMagnitude divisor = count < 0 ? -static_cast<TMagnitude>(count) : TMagnitude(count);
    if (!beyond_) {
        TDBSumAmount result(scaled_ / count);
        const TScaled remainder = scaled_ % count;
        const TMagnitude twice = 2 * (remainder < 0 ? -static_cast<TMagnitude>(remainder) : TMagnitude(remainder));
        if (twice > divisor || (twice == divisor && (result.scaled_ & 1) != 0))
            result.scaled_ += (scaled_ < 0) != (count < 0) ? -1 : 1;
        return result;
    }
    // Beyond 128 bits: the magnitude divided, the sign put back.
    TDBSumAmount result;
    TBeyond& r = result.beyond();
    r = *beyond_;
    if (count < 0) std::swap(r.PositiveInfinities, r.NegativeInfinities);
    const bool negative = r.Finite.Negative() != (count < 0);
    if (r.Finite.Negative()) r.Finite.negate();
    const TMagnitude twice = 2 * TMagnitude(r.Finite.divide(static_cast<std::uint64_t>(divisor)));
    if (twice > divisor || (twice == divisor && (r.Finite.ToScaled() & 1) != 0))
        r.Finite.Add(TWideInt::Of(1), false);
    if (negative) r.Finite.negate();
    result.settle();
    return result;
}

} // namespace grid
