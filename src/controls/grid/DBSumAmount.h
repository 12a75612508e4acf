#pragma once
// The amounts of the sum list: values scaled by 10000 (four decimals) as a person reads
// them, added and taken away exactly, so that a running total always equals the total of
// its values added afresh, in any order, whatever was added and taken away before.
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/rtl/SysUtils.h"

namespace grid {

// An amount scaled by 10000 in 128 bits. What that cannot hold (a value beyond ±1.7e34,
// a total past 128 bits, an infinity or NaN) is kept exactly beside it: a wide integer
// and the number of each non-finite value, so that taking such a value away again leaves
// the total it had before.
class TDBSumAmount {
public:
    __extension__ typedef __int128 TScaled;

    constexpr TDBSumAmount() = default;
    TDBSumAmount(const TDBSumAmount& other)
        : scaled_(other.scaled_), beyond_(other.beyond_ ? copy(*other.beyond_) : nullptr)
    {
    }
    TDBSumAmount(TDBSumAmount&& other) noexcept : scaled_(other.scaled_), beyond_(other.beyond_)
    {
        other.beyond_ = nullptr;
    }
    TDBSumAmount& operator=(const TDBSumAmount& other)
    {
        if (this != &other) *this = TDBSumAmount(other);
        return *this;
    }
    TDBSumAmount& operator=(TDBSumAmount&& other) noexcept
    {
        std::swap(scaled_, other.scaled_);
        std::swap(beyond_, other.beyond_);
        return *this;
    }
    constexpr ~TDBSumAmount()
    {
        if (beyond_) release(beyond_);
    }

    static constexpr TDBSumAmount FromScaled(TScaled scaled) { return TDBSumAmount(scaled); }
    static constexpr TDBSumAmount FromCurrency(rtl::Currency value) { return TDBSumAmount(value.Scaled); }
    static constexpr TDBSumAmount FromInteger(std::int64_t whole) { return TDBSumAmount(TScaled(whole) * 10000); }
    // near(value × 10000) on the value's shortest decimal text, a half going to the even
    // integer: 0.00005 is 0 and 0.00015 is 2.
    static TDBSumAmount FromDouble(double value)
    {
        const double scaled = value * 10000.0;
        const double magnitude = std::fabs(scaled);
        if (magnitude < 0x1p50) {
            const auto whole = static_cast<std::int64_t>(scaled); // towards zero
            const double fraction = scaled - static_cast<double>(whole);
            // The product lies within |scaled| x 2^-52 of the scaled decimal text: only a
            // fraction that close to a half needs the text itself.
            if (std::fabs(std::fabs(fraction) - 0.5) > magnitude * 0x1p-49 + 0x1p-60)
                return FromScaled(whole + static_cast<int>(fraction > 0.5) - static_cast<int>(fraction < -0.5));
        }
        return FromDecimalText(value);
    }

    // Held in 128 bits (Scaled() is then the whole amount).
    bool IsExact() const { return beyond_ == nullptr; }
    TScaled Scaled() const { return scaled_; }
    // An amount of finite values only.
    bool IsFinite() const;
    bool FitsCurrency() const;
    // EOverflow when it does not fit.
    rtl::Currency ToCurrency() const;
    // The amount itself (the scaled value ÷ 10000), the nearest double; ±INF beyond the
    // double range; NaN once a NaN, or both infinities, are in it.
    double ToDouble() const;
    // The whole part (towards zero) in decimal digits.
    std::string WholeText() const;
    // near(amount ÷ count), a half going to the even integer; 0 for a count of 0.
    TDBSumAmount DividedBy(std::int64_t count) const;

    TDBSumAmount& operator+=(const TDBSumAmount& other)
    {
        TScaled sum;
        if (beyond_ || other.beyond_ || __builtin_add_overflow(scaled_, other.scaled_, &sum)) [[unlikely]]
            return addBeyond(other, false);
        scaled_ = sum;
        return *this;
    }
    TDBSumAmount& operator-=(const TDBSumAmount& other)
    {
        TScaled difference;
        if (beyond_ || other.beyond_ || __builtin_sub_overflow(scaled_, other.scaled_, &difference)) [[unlikely]]
            return addBeyond(other, true);
        scaled_ = difference;
        return *this;
    }
    friend TDBSumAmount operator+(TDBSumAmount a, const TDBSumAmount& b) { return a += b; }
    friend TDBSumAmount operator-(TDBSumAmount a, const TDBSumAmount& b) { return a -= b; }
    friend bool operator==(const TDBSumAmount& a, const TDBSumAmount& b);

private:
    struct TBeyond;

    constexpr explicit TDBSumAmount(TScaled scaled) : scaled_(scaled) {}
    static TDBSumAmount FromDecimalText(double value);
    static TBeyond* copy(const TBeyond& beyond);
    static void release(TBeyond* beyond);
    TBeyond& beyond();
    TDBSumAmount& addBeyond(const TDBSumAmount& other, bool subtract);
    // Back into 128 bits when what is beside fits there again.
    void settle();

    // While beyond_ is set, the whole amount is there and scaled_ is 0.
    TScaled scaled_ = 0;
    TBeyond* beyond_ = nullptr;
};

} // namespace grid
