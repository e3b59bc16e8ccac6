#include "metagen/urn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "common/ran2.h"
#include "reference_urn.h"

namespace {

UrnTables tables_for(int32_t J, float theta = 1.0f) {
    UrnTables tables;
    urn_prepare(tables, J, theta);
    return tables;
}
}  // namespace

TEST(Urn, ScriptedDrawsFoundOrCopy) {
    struct Case {
        const char* name;
        float theta;
        std::vector<float> draws;  // for the second individual
        std::vector<int32_t> sample;
    } cases[] = {
        // theta = 1, j = 1: p = 0.5
        {"w inside (u, u + p] founds", 1.0f, {0.3f, 0.5f}, {1, 2}},
        {"w equal to v founds", 1.0f, {0.25f, 0.75f}, {1, 2}},
        {"w equal to u copies", 1.0f, {0.3f, 0.3f, 0.9f}, {1, 1}},
        {"w above v copies", 1.0f, {0.3f, 0.9f, 0.1f}, {1, 1}},
        {"u + p >= 1 redraws u", 1.0f, {0.5f, 0.7f, 0.1f, 0.4f}, {1, 2}},
        {"theta = 0 never founds", 0.0f, {0.3f, 0.3f, 0.5f}, {1, 1}},
        {"theta = -1 never founds", -1.0f, {0.3f, 0.3f, 0.5f}, {1, 1}},
        // r = 1 (beyond any real draw) gives k = j + 1, so r is drawn again.
        {"k above j redraws r", 0.0f, {0.3f, 0.3f, 1.0f, 0.5f}, {1, 1}},
    };
    for (const Case& c : cases) {
        UrnTables tables = tables_for(2, c.theta);
        std::size_t next = 0;
        auto scripted = [&] { return c.draws.at(next++); };
        draw_urn_sample(tables, scripted);
        EXPECT_EQ(tables.sample, c.sample) << c.name;
        EXPECT_EQ(next, c.draws.size()) << c.name;
    }
}

TEST(Urn, CopyTakesTheKthIndividualDrawn) {
    // J = 3, theta = 0: individual 2 copies with k = (int)(2 r + 1); r = 0.75 gives k = 2.
    UrnTables tables = tables_for(3, 0.0f);
    const std::vector<float> values = {0.3f, 0.3f, 0.1f,    // j = 1: copies position 0
                                       0.3f, 0.3f, 0.75f};  // j = 2: copies position 1
    std::size_t next = 0;
    auto scripted = [&] { return values.at(next++); };
    draw_urn_sample(tables, scripted);
    EXPECT_EQ(tables.sample, (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(next, values.size());
}

TEST(Urn, RankingAddsPercentagesInDecreasingOrder) {
    // J = 5, two runs: abundances 2 and 3 (40 and 60 percent), then one species of 5.
    UrnTables tables = tables_for(5);
    tables.abundance[1] = 2;
    tables.abundance[2] = 3;
    tables.run_species = 2;
    rank_urn_sample(tables);
    clear_urn_tally(tables);
    EXPECT_EQ(tables.abundance[1], 0.0f);
    EXPECT_EQ(tables.abundance[2], 0.0f);
    tables.abundance[1] = 5;
    tables.run_species = 1;
    rank_urn_sample(tables);
    EXPECT_EQ(tables.nspecies, 2);
    EXPECT_EQ(urn_rank_means(tables, 2), (std::vector<float>{80, 20}));
}

TEST(Urn, SampleIsTalliedAsItIsDrawn) {
    UrnTables tables = tables_for(400, 20.0f);
    int32_t seed = -3;
    auto draw = [&seed] { return ran2(&seed); };
    for (int run = 0; run < 3; ++run) {
        clear_urn_tally(tables);
        draw_urn_sample(tables, draw);
        std::vector<float> counted(tables.abundance.size(), 0.0f);
        for (const int32_t label : tables.sample) counted[label] += 1.0f;
        EXPECT_EQ(counted, tables.abundance) << "run " << run;
        rank_urn_sample(tables);
    }
}

TEST(Urn, ThetaLimits) {
    struct Case {
        float theta;
        bool valid;
    } cases[] = {{0, true}, {-1, true}, {-0.5f, true}, {50, true}, {16777215.0f, true},
                 {-1.0000001f, false}, {16777216.0f, false}, {1e30f, false}};
    for (const Case& c : cases) EXPECT_EQ(theta_is_valid(c.theta), c.valid) << c.theta;
}

// A run of more than 9999 species grows the tables instead of writing past them.
TEST(Urn, RunsWithMoreSpeciesThanTheTablesHoldGrowThem) {
    const int32_t J = 30000;
    UrnTables tables = tables_for(J, 1e5f);
    int32_t seed = -5;
    auto draw = [&seed] { return ran2(&seed); };
    urn_run(tables, draw);
    urn_run(tables, draw);
    ASSERT_GT(tables.nspecies, urn_table_entries);
    const std::vector<float> means = urn_rank_means(tables, 2);
    EXPECT_TRUE(std::is_sorted(means.rbegin(), means.rend()));
    EXPECT_NEAR(std::accumulate(means.begin(), means.end(), 0.0), 100.0, 0.01);
    EXPECT_GT(means.back(), 0.0f);
}

// The number of species in a sample of J has mean sum theta/(theta + j) and variance
// sum theta j/(theta + j)^2 over j = 0..J-1.
TEST(Urn, MeanNumberOfSpeciesMatchesTheory) {
    const float theta = 5.0f;
    const int32_t J = 100, nruns = 20000;
    double expected = 0.0, variance = 0.0;
    for (int32_t j = 0; j < J; ++j) {
        expected += theta / (theta + j);
        variance += theta * j / ((theta + j) * (theta + j));
    }
    ASSERT_NEAR(expected, 15.7154, 1e-4);
    UrnTables tables = tables_for(J, theta);
    int32_t seed = -271828;
    auto draw = [&seed] { return ran2(&seed); };
    double species = 0.0;
    for (int32_t run = 0; run < nruns; ++run) {
        urn_run(tables, draw);
        species += tables.run_species;
    }
    EXPECT_NEAR(species / nruns, expected, 4.0 * std::sqrt(variance / nruns));
}

// metagen's urn against the straightforward one on many small cases: the same samples
// run by run, the same number of draws, the same means.
TEST(Urn, MatchesTheStraightforwardUrnDrawForDraw) {
    const float thetas[] = {0.0f, -0.5f, -1.0f, 0.3f, 5.0f, 50.0f, 1000.0f, 1e5f};
    int32_t case_seed = -99;
    for (int trial = 0; trial < 120; ++trial) {
        const float theta = thetas[trial % 8];
        const int32_t J = 1 + static_cast<int32_t>(ran2(&case_seed) * (trial % 4 == 0 ? 2000.0f : 60.0f));
        UrnTables fast = tables_for(J, theta), reference = tables_for(J, theta);
        int32_t fast_seed = -(trial + 1), reference_seed = -(trial + 1);
        Ran2State fast_state, reference_state;
        int64_t fast_draws = 0;
        auto fast_draw = [&] {
            ++fast_draws;
            std::swap(fast_state, ran2_state);
            const float value = ran2(&fast_seed);
            std::swap(fast_state, ran2_state);
            return value;
        };
        int64_t reference_draws = 0;
        auto reference_draw = [&] {
            ++reference_draws;
            std::swap(reference_state, ran2_state);
            const float value = ran2(&reference_seed);
            std::swap(reference_state, ran2_state);
            return value;
        };
        for (int run = 0; run < 4; ++run) {
            urn_run(fast, fast_draw);
            reference_urn_run(reference, theta, reference_draw);
            ASSERT_EQ(fast.sample, reference.sample) << "trial " << trial << " run " << run;
            ASSERT_EQ(fast_draws, reference_draws) << "trial " << trial << " run " << run;
        }
        ASSERT_EQ(fast.nspecies, reference.nspecies);
        EXPECT_EQ(urn_rank_means(fast, 4), urn_rank_means(reference, 4)) << "trial " << trial;
    }
}
