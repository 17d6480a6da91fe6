#include "vulm/gcd.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

TEST(Gcd, SignedEuclidTable)
{
    const int32_t MIN = INT32_MIN, MAX = INT32_MAX;
    const struct {
        int32_t a, b, result;
    } cases[] = {
        {12, 18, 6},   {18, 12, 6},     {1071, 462, 21}, {17, 5, 1},       {5, 0, 5},
        {-5, 0, -5},   {0, 5, 5},       {0, -5, -5},     {0, 0, 0},        {-12, 18, 6},
        {12, -18, -6}, {-12, -18, -6},  {18, -12, 6},    {-18, 12, -6},    {-3, 2, -1},
        {7, -1, -1},   {-7, 1, 1},      {MIN, 0, MIN},   {0, MIN, MIN},    {MIN, MIN, MIN},
        {MIN, -1, -1}, {-1, MIN, -1},   {MIN, 6, -2},    {MIN, MAX, -1},   {MAX, MAX, MAX},
        {MIN, 1, 1},   {0, -1, -1},     {0, 1, 1},       {MAX, MIN, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gcd(c.a, c.b), c.result) << c.a << ", " << c.b;
}

// Magnitude of the result against std::gcd of the magnitudes; 2^31 stands
// for the magnitude of INT32_MIN.
TEST(Gcd, MagnitudeIsTheGcdOfMagnitudes)
{
    std::mt19937 rng(11);
    auto mag = [](int32_t v) { return v < 0 ? -int64_t(v) : int64_t(v); };
    const int32_t specials[] = {0, 1, -1, 2, -2, INT32_MIN, INT32_MAX, 1 << 30, -(1 << 30), 46340 * 46340};
    for (int i = 0; i < 20000; i++) {
        int32_t a = i < 100 ? specials[i % 10] : int32_t(rng()) >> (rng() % 31);
        int32_t b = i < 100 ? specials[i / 10] : int32_t(rng()) >> (rng() % 31);
        int32_t g = gcd(a, b);
        ASSERT_EQ(mag(g), std::gcd(mag(a), mag(b))) << a << ", " << b;
        if (a >= 0 && b >= 0) {
            ASSERT_GE(g, 0);
        }
        ASSERT_EQ(gcd(a, -1), -1);
        ASSERT_EQ(gcd(a, 1), 1);
    }
}

} // namespace
