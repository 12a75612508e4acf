#pragma once
// A clock that tests move by hand; code under test takes a clock function
// (milliseconds) so time-outs are driven instead of slept.
#include <atomic>
#include <cstdint>
#include <functional>

namespace testsupport {

class FakeClock {
public:
    std::int64_t Now() const { return ms_.load(); }
    void Advance(std::int64_t ms) { ms_ += ms; }
    void Set(std::int64_t ms) { ms_ = ms; }
    // A clock function bound to this object, for code that takes std::function<int64_t()>.
    // clang-format off
    std::function<std::int64_t()> Function() { return [this] { return Now(); }; }
    // clang-format on
private:
    std::atomic<std::int64_t> ms_{1'000'000};
};

} // namespace testsupport
