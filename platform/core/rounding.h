#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace quillon {

// Rounds to the nearest integer with halves to even, the rounding used wherever the engine
// turns lengths into whole units (RoundHalfEven(2.5) == 2, RoundHalfEven(3.5) == 4). Values
// outside the 64-bit range saturate; NaN gives 0.
inline std::int64_t RoundHalfEven(long double value) noexcept {
    if (std::isnan(value)) return 0;
    // The processor's rounding to nearest breaks ties to even; the program never changes the
    // rounding mode, so this is one instruction on the hot paths of generation.
    const long double result = std::nearbyint(value);
    if (result >= static_cast<long double>(std::numeric_limits<std::int64_t>::max())) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (result <= static_cast<long double>(std::numeric_limits<std::int64_t>::min())) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(result);
}

// The same, saturated to the 32-bit range of report coordinates.
inline std::int32_t RoundHalfEven32(long double value) noexcept {
    const std::int64_t r = RoundHalfEven(value);
    if (r > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (r < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

}  // namespace quillon
