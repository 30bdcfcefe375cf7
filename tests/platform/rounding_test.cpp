#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/rounding.h"

namespace quillon {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<long double, std::int64_t> table[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {3.5L, 4}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2},
        {2.4999L, 2}, {2.5001L, 3}, {793.7007874L, 794}, {1122.519685L, 1123}, {-3.2L, -3},
        {75.59055L, 76}, {105.8333333333333L, 106},
    };
    for (const auto& [value, expected] : table) EXPECT_EQ(RoundHalfEven(value), expected) << static_cast<double>(value);
    EXPECT_EQ(RoundHalfEven(std::nanl("")), 0);
    EXPECT_EQ(RoundHalfEven32(1e30L), 2147483647);
    EXPECT_EQ(RoundHalfEven32(-1e30L), -2147483647 - 1);
}

}  // namespace
}  // namespace quillon
