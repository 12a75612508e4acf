#pragma once
// Little-endian integers of binary records (settings records, frames), written and
// read byte by byte, never by copying a struct. As functors, so a record's one
// layout description can serve both directions.
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace rtl {

struct LittleEndianWriter {
    template <typename T>
    void operator()(std::uint8_t* at, T value) const
    {
        using U = std::make_unsigned_t<T>;
        const U bits = static_cast<U>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
};

struct LittleEndianReader {
    template <typename T>
    void operator()(const std::uint8_t* at, T& value) const
    {
        using U = std::make_unsigned_t<T>;
        U bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) bits = static_cast<U>(bits | (U(at[i]) << (8 * i)));
        value = static_cast<T>(bits);
    }
};

} // namespace rtl
