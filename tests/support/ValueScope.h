#pragma once
// Gives a variable (a program-wide setting a test changes) a value for as long as the
// scope lives, and the value it had back at the end, however the test ends.
#include <utility>

namespace testsupport {

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

} // namespace testsupport
