#pragma once
// Strict readers for the values of the tools' command lines: the whole text must be the
// value, in the C locale, within its range. A value that is not read leaves the target
// as it was.
#include <array>
#include <cstdint>
#include <string>

namespace cli {

// Decimal digits with an optional leading '-', within [min, max].
bool ReadWhole(const std::string& text, long long min, long long max, long long& value);
// A decimal number (digits, an optional fraction, an optional leading '-'; no exponent,
// no "inf" or "nan"), within [min, max].
bool ReadNumber(const std::string& text, double min, double max, double& value);
// Written as ReadWhole and ReadNumber take a value, whatever its size: a value that is
// not is no number at all rather than one out of its range.
bool IsWholeText(const std::string& text);
bool IsDecimalText(const std::string& text);
// A dotted IPv4 address: four numbers 0 to 255 of one to three digits each, none with
// a leading zero.
bool ReadDottedIPv4(const std::string& text, std::array<std::uint8_t, 4>& octets);
// Hex digits, two for each byte, appended to bytes.
bool ReadHexBytes(const std::string& text, std::string& bytes);

} // namespace cli
