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

// Raises a nesting counter for the life of the scope.
class TCountScope {
public:
    explicit TCountScope(int& counter) : counter_(counter) { ++counter_; }
    ~TCountScope() { --counter_; }
    TCountScope(const TCountScope&) = delete;
    TCountScope& operator=(const TCountScope&) = delete;

private:
    int& counter_;
};

// Sets a flag for the life of the scope, and puts back what it was.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

} // namespace rtl
