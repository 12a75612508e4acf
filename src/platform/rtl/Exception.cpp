#include "platform/rtl/Exception.h"

#include <cerrno>
#include <cstring>

namespace rtl {

void RaiseLastOSError(const std::string& context)
{
    const int code = errno;
    throw EOSError(context + ": " + std::strerror(code), code);
}

} // namespace rtl
