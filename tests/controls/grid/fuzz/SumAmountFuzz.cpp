// A running total of the sum list under any sequence of additions and removals of any
// doubles (infinities, NaNs, values near the double range and past 128 bits once scaled)
// equals the total of the values it holds added afresh, and reads as a number, a text and
// an average without failing. Each record of the input: a byte whose low bit says add or
// take away, then eight bytes of a double (added) or one byte picking a held value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "controls/grid/DBSumAmount.h"

namespace {

using grid::TDBSumAmount;

void Require(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<double> held;
    TDBSumAmount running;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        if ((op & 1) == 0 || held.empty()) {
            if (size - at < sizeof(double)) break;
            double value;
            std::memcpy(&value, data + at, sizeof value);
            at += sizeof value;
            held.push_back(value);
            running += TDBSumAmount::FromDouble(value);
        } else {
            if (at >= size) break;
            const std::size_t k = data[at++] % held.size();
            running -= TDBSumAmount::FromDouble(held[k]);
            held.erase(held.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    TDBSumAmount fresh;
    for (auto v = held.rbegin(); v != held.rend(); ++v) fresh += TDBSumAmount::FromDouble(*v);
    Require(running == fresh);
    Require(running.WholeText() == fresh.WholeText());
    const double total = running.ToDouble();
    Require(std::isnan(total) == std::isnan(fresh.ToDouble()));
    if (!std::isnan(total)) Require(total == fresh.ToDouble());
    // Finite values add up to a number (an infinity past the double range), never NaN.
    if (running.IsFinite()) Require(!std::isnan(total));
    const TDBSumAmount average = running.DividedBy(static_cast<std::int64_t>(held.size()));
    (void)average.WholeText();
    if (running.FitsCurrency()) Require(running.ToCurrency().Scaled == static_cast<std::int64_t>(running.Scaled()));
    return 0;
}
