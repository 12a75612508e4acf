#pragma once
// IPv4 host lookup through the system resolver (hosts file, DNS, numeric text).
#include <cstdint>
#include <string>

namespace io {

// Looks name up for IPv4 addresses. True with the first one in address (first octet
// most significant); false when the name does not resolve, is empty or holds a zero byte.
bool LookupIPv4(const std::string& name, std::uint32_t& address);

} // namespace io
