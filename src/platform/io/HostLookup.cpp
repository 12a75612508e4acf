#include "platform/io/HostLookup.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace io {

bool LookupIPv4(const std::string& name, std::uint32_t& address)
{
    if (name.empty() || name.find('\0') != std::string::npos) return false;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    bool ok = false;
    for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr) {
            sockaddr_in in;
            std::memcpy(&in, ai->ai_addr, sizeof in);
            address = ntohl(in.sin_addr.s_addr);
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

} // namespace io
