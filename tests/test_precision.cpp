// Guards on how the build treats floating point: every value the programs write
// depends on each single-precision step being rounded on its own.
#include <gtest/gtest.h>

#include "common/precision.h"

namespace {
float multiply_add(float a, float b, float c) { return a * b + c; }
}  // namespace

// With a = b = 1 + 2^-12 the product 1 + 2^-11 + 2^-24 rounds (tie to even) to
// 1 + 2^-11, so adding -(1 + 2^-11) gives 0. A fused multiply-add keeps the 2^-24.
TEST(Precision, MultiplyAndAddAreNotFused) {
    volatile float a = 1.0f + 0x1p-12f, b = a, c = -(1.0f + 0x1p-11f);
    EXPECT_EQ(multiply_add(a, b, c), 0.0f);
}

TEST(Precision, FloatStepsAreNotCarriedInAWiderFormat) {
    // 2^24 + 1 is not a float: the sum must round to 2^24 before it is compared.
    volatile float big = 16777216.0f, one = 1.0f;
    const float sum = big + one;
    EXPECT_EQ(sum - big, 0.0f);
}
