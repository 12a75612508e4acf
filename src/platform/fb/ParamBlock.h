#pragma once
// Byte strings of the parameter blocks the client interface takes (database,
// transaction and service parameter blocks), and the "name=value" lines that the
// components' Params lists hold.
#include <cstdint>
#include <string>
#include <string_view>

namespace fb {

class TParamBlock {
public:
    void AddByte(std::uint8_t b) { bytes_.push_back(static_cast<char>(b)); }
    // tag, one length byte, the text (at most 255 bytes).
    void AddString1(std::uint8_t tag, std::string_view text);
    // tag, two length bytes (little-endian), the text (at most 65535 bytes).
    void AddString2(std::uint8_t tag, std::string_view text);
    // tag, length byte 4, the value as 4 little-endian bytes.
    void AddInt1(std::uint8_t tag, std::uint32_t value);
    // tag, the value as 4 little-endian bytes (no length byte).
    void AddInt4(std::uint8_t tag, std::uint32_t value);

    const char* Data() const { return bytes_.data(); }
    // Lengths as the client interface wants them.
    unsigned short Size() const { return static_cast<unsigned short>(bytes_.size()); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// One line of a Params list: "name=value" or "name". The name comes back in lower
// case without an "isc_dpb_"/"isc_tpb_"/"isc_spb_" prefix; the value unchanged.
struct TParamLine {
    std::string Name;
    std::string Value;
    bool HasValue = false;
};
TParamLine ParseParamLine(std::string_view line);

} // namespace fb
