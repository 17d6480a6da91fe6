#include "vulm/gcd.h"

#include <gtest/gtest.h>

namespace {

TEST(Gcd, SignedEuclid)
{
    const int32_t MIN = INT32_MIN, MAX = INT32_MAX;
    const struct {
        int32_t a, b, result;
    } cases[] = {
        {1071, 462, 21}, {-12, 18, 6}, {12, -18, -6}, {-5, 0, -5}, {0, -5, -5}, {0, 0, 0},
        {MIN, -1, -1},   {MIN, 0, MIN}, {MIN, 6, -2}, {MAX, MIN, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gcd(c.a, c.b), c.result) << c.a << ", " << c.b;
}

} // namespace
