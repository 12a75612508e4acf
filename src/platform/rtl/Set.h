#pragma once
// Sets of the members of a small enumeration, one bit per member at the member's
// position (as stored records and option words keep them): TSet<TOption, std::uint16_t>
// holds the members 0 to 15.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace rtl {

template <typename E, std::unsigned_integral Bits>
requires std::is_enum_v<E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E e : members) Include(e);
    }
    static constexpr TSet FromBits(Bits bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr Bits ToBits() const { return bits_; }

    constexpr bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr TSet& Include(E e)
    {
        bits_ = static_cast<Bits>(bits_ | bit(e));
        return *this;
    }
    constexpr TSet& Exclude(E e)
    {
        bits_ = static_cast<Bits>(bits_ & ~bit(e));
        return *this;
    }

    friend constexpr TSet operator|(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ | b.bits_)); }
    friend constexpr TSet operator&(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ & b.bits_)); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(static_cast<Bits>(a.bits_ & ~b.bits_)); }
    friend constexpr bool operator==(TSet a, TSet b) = default;
    constexpr TSet& operator|=(TSet o) { return *this = *this | o; }
    constexpr TSet& operator&=(TSet o) { return *this = *this & o; }
    constexpr TSet& operator-=(TSet o) { return *this = *this - o; }

private:
    static constexpr Bits bit(E e)
    {
        const auto position = static_cast<unsigned>(e);
        return position < sizeof(Bits) * 8 ? static_cast<Bits>(Bits(1) << position) : Bits(0);
    }

    Bits bits_ = 0;
};

} // namespace rtl
