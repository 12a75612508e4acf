#pragma once
// Scopes that end what they began on every way out.
//
// When the work inside fails and the closing step fails as well, the work's error is
// the one that travels on; a closing step that fails on its own raises its error.
#include <exception>

namespace rtl {

// Runs the closing step of a scope that began when std::uncaught_exceptions() was
// uncaughtAtStart.
template <typename Step>
void CloseScope(int uncaughtAtStart, Step&& step)
{
    if (std::uncaught_exceptions() > uncaughtAtStart) {
        try {
            step();
        } catch (...) {
            // The error that unwinds the scope is the one to report.
        }
        return;
    }
    step();
}

// BeginUpdate now, the matching EndUpdate when the scope ends (string lists,
// collections).
template <typename T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : target_(target) { target_.BeginUpdate(); }
    ~TUpdateScope() noexcept(false)
    {
        CloseScope(uncaught_, [this] { target_.EndUpdate(); });
    }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& target_;
    int uncaught_ = std::uncaught_exceptions();
};

} // namespace rtl
