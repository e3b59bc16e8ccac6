#include "commsim/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "common/ran2.h"
#include "commsim/dynamics.h"

namespace {
CommsimState state_for(int32_t nspecies, int32_t J) {
    Metacommunity meta;
    meta.values.assign(nspecies, 1.0f);
    meta.total = static_cast<float>(nspecies);
    CommsimState state;
    set_up_state(state, 2, 0, J, 1, 0.0f, std::move(meta));
    return state;
}

void end_run(CommsimState& state, std::vector<float> abundance) {
    state.abundance = std::move(abundance);
    add_run_statistics(state);
}

std::vector<float> head(const float* values, std::size_t n) { return {values, values + n}; }
}  // namespace

// Two runs with J = 10: species of 6, 3 and 1 individuals, then two species of 5.
TEST(RunStatistics, AccumulateTheTwoRunExample) {
    CommsimState state = state_for(5, 10);
    end_run(state, {3, 0, 6, 1, 0});
    EXPECT_EQ(state.rank_percent, (std::vector<float>{60, 30, 10, 0, 0}));
    EXPECT_EQ(head(state.octave_count, 5), (std::vector<float>{0.5f, 0.5f, 1, 1, 0}));
    EXPECT_EQ(state.class_count, (std::vector<float>{1, 0, 1, 0, 0, 1, 0, 0, 0, 0}));
    end_run(state, {0, 5, 0, 0, 5});
    EXPECT_EQ(state.rank_percent, (std::vector<float>{50, 50, 0, 0, 0}));
    EXPECT_EQ(head(state.octave_count, 5), (std::vector<float>{0, 0, 0, 2, 0}));

    EXPECT_EQ(state.rank_sum, (std::vector<float>{110, 80, 10, 0, 0}));
    EXPECT_EQ(state.rank_sumsq, (std::vector<float>{60 * 60 + 50 * 50, 30 * 30 + 50 * 50, 100, 0, 0}));
    EXPECT_EQ(state.class_sum, (std::vector<float>{1, 0, 1, 0, 2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(state.class_sumsq, (std::vector<float>{1, 0, 1, 0, 4, 1, 0, 0, 0, 0}));
    EXPECT_EQ(head(state.octave_sum, 6), (std::vector<float>{0.5f, 0.5f, 1, 3, 0, 0}));
    EXPECT_EQ(head(state.octave_sumsq, 6), (std::vector<float>{0.25f, 0.25f, 1, 5, 0, 0}));
    for (int k = 4; k < octave_classes; ++k) EXPECT_EQ(state.octave_sum[k], 0.0f);
}

TEST(RunStatistics, ShareOfJIsTheFloatNearestTheDoubleQuotient) {
    CommsimState state = state_for(2, 3);
    end_run(state, {1, 2});
    EXPECT_EQ(state.rank_percent[1], static_cast<float>(100.0 / 3.0));
    EXPECT_EQ(state.rank_percent[0], static_cast<float>(200.0 / 3.0));
}

TEST(RunStatistics, OneSpeciesHoldingTheWholeCommunity) {
    CommsimState state = state_for(3, 12);
    end_run(state, {0, 12, 0});
    EXPECT_EQ(state.rank_percent, (std::vector<float>{100, 0, 0}));
    EXPECT_EQ(state.class_count[11], 1.0f);
    EXPECT_EQ(std::accumulate(state.class_count.begin(), state.class_count.end(), 0.0f), 1.0f);
    EXPECT_EQ(state.octave_count[4], 1.0f);  // 8 < 12 < 16
}

// The rule with integer arithmetic: a power of two 2^j gives half to classes j and
// j + 1, any other n all to the class k with 2^(k-1) < n < 2^k.
TEST(RunStatistics, OctaveClassingFollowsTheRuleForEveryAbundanceBelow2To20) {
    for (int32_t n = 1; n < (1 << 20); ++n) {
        float octave_count[octave_classes + 1] = {};
        add_to_octaves(static_cast<float>(n), octave_count);
        int32_t k = 0;
        while ((1 << k) < n) ++k;
        float expected[octave_classes + 1] = {};
        if ((1 << k) == n) {
            expected[k] = 0.5f;
            expected[k + 1] = 0.5f;
        } else {
            expected[k] = 1.0f;
        }
        ASSERT_EQ(head(octave_count, octave_classes + 1), head(expected, octave_classes + 1)) << "n = " << n;
    }
}

TEST(RunStatistics, OctaveExamples) {
    struct Case {
        float n;
        int32_t first_class;
        float first_share;
    } cases[] = {{1, 0, 0.5f}, {2, 1, 0.5f}, {3, 2, 1}, {600, 10, 1}, {1024, 10, 0.5f}, {524288, 19, 0.5f}};
    for (const Case& c : cases) {
        float octave_count[octave_classes] = {};
        add_to_octaves(c.n, octave_count);
        EXPECT_EQ(octave_count[c.first_class], c.first_share) << "n = " << c.n;
    }
}

// With no cycles the community is a multinomial sample of J from the metacommunity,
// so the number of species present averages sum over s of 1 - (1 - p_s)^J.
TEST(RunStatistics, SpeciesPresentAfterTheFillMatchTheMultinomialExpectation) {
    const std::vector<float> values = {40, 20, 10, 8, 6, 5, 4, 3, 2, 1, 0.5f, 0.5f};
    const int32_t J = 20, nruns = 4000;
    Metacommunity meta;
    for (const float value : values) meta.total = meta.total + value;
    meta.values = values;
    CommsimState state;
    set_up_state(state, nruns, 0, J, 1, 0.1f, std::move(meta));
    double expected = 0.0, variance_bound = 0.0;
    for (const float value : values) {
        const double p = value / 100.0;
        const double present = 1.0 - std::pow(1.0 - p, J);
        expected += present;
        variance_bound += present * (1.0 - present);  // presences are negatively correlated
    }
    int32_t seed = -4242;
    auto draw = [&seed] { return ran2(&seed); };
    for (int32_t run = 0; run < nruns; ++run) {
        std::fill(state.abundance.begin(), state.abundance.end(), 0.0f);
        fill_community(state, draw);
        add_run_statistics(state);
    }
    const double mean = std::accumulate(state.class_sum.begin(), state.class_sum.end(), 0.0) / nruns;
    const double standard_error = std::sqrt(variance_bound / nruns);
    EXPECT_NEAR(mean, expected, 4.0 * standard_error) << "expected " << expected;
}
