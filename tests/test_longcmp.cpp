#include "common/longcmp.h"

#include <gtest/gtest.h>

#include "common/ran2.h"

#include <cstdlib>
#include <limits>
#include <vector>

namespace {
std::vector<float> sorted(std::vector<float> values) {
    // qsort needs a valid address even for no elements; an empty vector has none.
    float none[1];
    std::qsort(values.empty() ? none : values.data(), values.size(), sizeof(float), longcmp);
    return values;
}
}  // namespace

TEST(Longcmp, SortsNonNegativeValuesInDecreasingOrder) {
    const float inf = std::numeric_limits<float>::infinity();
    const float smallest_subnormal = std::numeric_limits<float>::denorm_min();
    struct Case {
        std::vector<float> input, expected;
    } cases[] = {
        {{0, 25.5f, 0, 74.5f}, {74.5f, 25.5f, 0, 0}},
        {{3.0f}, {3.0f}},
        {{}, {}},
        {{1.0f, inf, 1e30f, 0.0f}, {inf, 1e30f, 1.0f, 0.0f}},
        {{smallest_subnormal, 0.0f, 1e-30f}, {1e-30f, smallest_subnormal, 0.0f}},
        {{5, 5, 2, 5, 9}, {9, 5, 5, 5, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(sorted(c.input), c.expected);
}

TEST(Longcmp, OnlyTheSignCountsAndItFollowsTheValues) {
    const float small = 1.0f, large = 100.0f;
    EXPECT_GT(longcmp(&small, &large), 0);  // large goes first
    EXPECT_LT(longcmp(&large, &small), 0);
    EXPECT_EQ(longcmp(&large, &large), 0);
}

TEST(Longcmp, InlinedSortGivesTheArrayOfQsort) {
    int32_t seed = -8;
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<float> values(static_cast<std::size_t>(ran2(&seed) * 60.0f));
        // Few distinct values, so that ties are common; zeros and infinity included.
        for (float& value : values) {
            const int pick = static_cast<int>(ran2(&seed) * 6.0f);
            value = pick == 0 ? 0.0f : pick == 5 ? std::numeric_limits<float>::infinity() : pick * 12.5f;
        }
        std::vector<float> inlined = values;
        sort_descending(inlined.data(), inlined.size());
        EXPECT_EQ(inlined, sorted(values));
    }
}
