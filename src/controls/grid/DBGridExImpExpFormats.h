#pragma once
// The binary cell format "KVDBIF" of the grid's exports.
//
// KVDBIF, all integers little-endian: a 12-byte header ("KVDBIF" and a 0 byte, a
// version byte, the signed 32-bit column count N); per column a visible byte and a
// NUL-terminated name; then the cells, N per record, each a tag byte and its payload;
// tag 0 ends the data.
#include <cstdint>

namespace grid {

namespace kvdbif {

inline constexpr char Signature[7] = {'K', 'V', 'D', 'B', 'I', 'F', '\0'};
inline constexpr std::uint8_t Version = 1;
inline constexpr int HeaderSize = 12;

enum TCellTag : std::uint8_t {
    ctEnd = 0,     // end of data
    ctNoValue = 1, // the column has no field, or its type has no cell form
    ctNull = 2,
    ctInteger = 3, // signed 32-bit
    ctFloat = 4,   // 64-bit IEEE double
    ctText = 5,    // signed 32-bit length, then the bytes
    ctOther = 6    // other data as text, laid out as ctText
};

} // namespace kvdbif

} // namespace grid
