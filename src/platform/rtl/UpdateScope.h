#pragma once
// Scopes that end what they began on every way out.
//
// When the work inside fails and the closing step fails as well, the work's error is
// the one that travels on; a closing step that fails on its own raises its error.
#include <exception>
#include <utility>

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
// collections, a grid). Given no target, it brackets nothing.
template <typename T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : TUpdateScope(&target) {}
    explicit TUpdateScope(T* target) : target_(target)
    {
        if (target_) target_->BeginUpdate();
    }
    ~TUpdateScope() noexcept(false)
    {
        if (target_) CloseScope(uncaught_, [this] { target_->EndUpdate(); });
    }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T* target_;
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

// Runs a closing step when the scope ends, for a step that no scope above names.
template <typename Step>
class TScopeExit {
public:
    explicit TScopeExit(Step step) : step_(std::move(step)) {}
    ~TScopeExit() noexcept(false) { CloseScope(uncaught_, step_); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    Step step_;
    int uncaught_ = std::uncaught_exceptions();
};

// Gives a variable a value for the life of the scope, and puts back what it was.
template <typename T>
class TValueScope {
public:
    TValueScope(T& variable, T value) : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
    ~TValueScope() { variable_ = std::move(saved_); }
    TValueScope(const TValueScope&) = delete;
    TValueScope& operator=(const TValueScope&) = delete;

private:
    T& variable_;
    T saved_;
};

// Sets a flag for the life of the scope, and puts back what it was.
class TFlagScope : public TValueScope<bool> {
public:
    explicit TFlagScope(bool& flag) : TValueScope(flag, true) {}
};

} // namespace rtl
