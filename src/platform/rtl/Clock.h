#pragma once
// The tick clock: milliseconds from a monotonic clock, for time-outs, repeat delays
// and search resets. Tests replace its source so that they move time by hand.
#include <cstdint>
#include <functional>

namespace rtl {

// Milliseconds since an arbitrary start. The 32-bit count wraps after 49.7 days as the
// platform's tick counter does: compare two ticks by their unsigned difference.
std::uint32_t GetTickCount();
std::int64_t GetTickCount64();

// Milliseconds from start to now, correct across a wrap of the 32-bit count.
inline std::uint32_t TicksSince(std::uint32_t start) { return GetTickCount() - start; }

// Replaces the clock's source (milliseconds); an empty function restores the steady
// clock. Set from the main thread while no other thread reads the clock.
void SetTickSource(std::function<std::int64_t()> source);

} // namespace rtl
