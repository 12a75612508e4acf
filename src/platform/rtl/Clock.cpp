#include "platform/rtl/Clock.h"

#include <chrono>

namespace rtl {

namespace {
std::function<std::int64_t()>& tickSource()
{
    static std::function<std::int64_t()> source;
    return source;
}
} // namespace

std::int64_t GetTickCount64()
{
    if (const auto& source = tickSource()) return source();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(GetTickCount64()); }

void SetTickSource(std::function<std::int64_t()> source) { tickSource() = std::move(source); }

} // namespace rtl
