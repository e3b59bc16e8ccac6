#include "commsim/dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "common/ran2.h"
#include "reference_dynamics.h"
#include "scripted_draw.h"

namespace {
CommsimState state_for(std::vector<float> values, int32_t J, int32_t D, float m) {
    Metacommunity meta;
    for (const float value : values) meta.total = meta.total + value;
    meta.values = std::move(values);
    CommsimState state;
    set_up_state(state, 1, 1, J, D, m, std::move(meta));
    return state;
}

// 19 equal weights: the single-precision cumulative shares end at 1 - 3 * 2^-24, below
// the largest draw 1 - 2^-23.
std::vector<float> nineteen_equal(float trailing_zeros) {
    std::vector<float> values(19, 1.0f);
    for (int i = 0; i < trailing_zeros; ++i) values.push_back(0.0f);
    return values;
}

// ran2 on its own state word and its own copy of the generator state, so that two
// simulations can draw side by side from identical streams.
struct OwnStream {
    int32_t seed;
    Ran2State state;
    float operator()() {
        std::swap(state, ran2_state);
        const float value = ran2(&seed);
        std::swap(state, ran2_state);
        return value;
    }
};

void expect_consistent(const CommsimState& state) {
    std::vector<float> counted(state.nspecies, 0.0f);
    for (const int32_t s : state.community) {
        ASSERT_GE(s, 0);
        ASSERT_LT(s, state.nspecies);
        counted[s] += 1.0f;
    }
    EXPECT_EQ(counted, state.abundance);
}
}  // namespace

TEST(DrawSpecies, TakesTheFirstSpeciesWhoseCumulativeShareIsReached) {
    struct Case {
        const char* name;
        std::vector<float> values;
        float r;
        int32_t expected;
    } cases[] = {
        {"below the first share", {1, 1, 2}, 0.1f, 0},
        {"equal to a share selects it", {1, 1, 2}, 0.25f, 0},
        {"just above a share", {1, 1, 2}, std::nextafter(0.25f, 1.0f), 1},
        {"equal to the second share", {1, 1, 2}, 0.5f, 1},
        {"near the top", {1, 1, 2}, ran2_constants::cap, 2},
        {"first species of weight 0 is never drawn", {0, 1, 1}, ran2_constants::smallest, 1},
        {"middle species of weight 0 is skipped", {1, 0, 1}, std::nextafter(0.5f, 1.0f), 2},
        {"equal to the share before a zero weight", {1, 0, 1}, 0.5f, 0},
        {"one species takes every draw", {7}, ran2_constants::cap, 0},
        {"draw past the last share", nineteen_equal(0), ran2_constants::cap, 18},
        {"past the last share, trailing weights 0", nineteen_equal(2), ran2_constants::cap, 18},
    };
    for (const Case& c : cases) {
        const CommsimState state = state_for(c.values, 4, 1, 0.0f);
        ScriptedDraw draw{c.r};
        EXPECT_EQ(draw_species(state, draw), c.expected) << c.name;
        EXPECT_EQ(draw.used(), 1u) << c.name;
    }
}

// The search starts from a guide entry and takes its first step without a branch;
// where many shares end in one bucket of the guide (a long tail of rare species, a run
// of zero weights) it must go on. At and just past every share the species drawn must
// be the one a scan from species 0 finds.
TEST(DrawSpecies, AgreesWithAScanFromTheFirstSpeciesAtEveryShare) {
    const std::vector<std::vector<float>> metacommunities = {
        {1000, 1, 1, 1, 1, 1, 1, 1},
        {1, 0, 0, 0, 0, 0, 1},
        {5, 3, 0, 0, 2, 1e-3f, 1e-3f, 1e-3f, 1e-3f, 0, 0},
        nineteen_equal(3),
    };
    for (const std::vector<float>& values : metacommunities) {
        const CommsimState state = state_for(values, 4, 1, 0.0f);
        auto scan = [&](float r) {
            for (int32_t k = 0; k < state.nspecies; ++k)
                if (r <= state.meta_cumulative[k]) return k;
            return state.last_drawable_species;
        };
        std::vector<float> draws = {ran2_constants::smallest, ran2_constants::cap};
        for (const float share : state.meta_cumulative) {
            for (const float r : {std::nextafter(share, 0.0f), share, std::nextafter(share, 1.0f)})
                if (r > 0.0f && r <= ran2_constants::cap) draws.push_back(r);
        }
        for (const float r : draws) {
            ScriptedDraw draw{r};
            EXPECT_EQ(draw_species(state, draw), scan(r)) << "r = " << r << ", " << values.size() << " species";
        }
    }
}

TEST(DrawSpecies, CumulativeSharesIgnoreAPowerOfTwoScale) {
    const CommsimState plain = state_for({2, 1, 1}, 4, 1, 0.0f);
    const CommsimState scaled = state_for({50, 25, 25}, 4, 1, 0.0f);
    EXPECT_EQ(plain.meta_cumulative, (std::vector<float>{0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(scaled.meta_cumulative, plain.meta_cumulative);
    const std::vector<float> values = {3.7f, 0.1f, 12.9f, 0.0f, 5.5f};
    std::vector<float> times_1024;
    for (const float value : values) times_1024.push_back(value * 1024.0f);
    EXPECT_EQ(state_for(times_1024, 4, 1, 0.0f).meta_cumulative,
              state_for(values, 4, 1, 0.0f).meta_cumulative);
}

TEST(DrawOccupiedSlot, RedrawsUntilItHitsAnOccupiedSlot) {
    CommsimState state = state_for({1}, 4, 1, 0.0f);
    state.community = {-1, 0, -1, 0};
    ScriptedDraw draw{0.1f, 0.6f, 0.3f};  // slots 0 (vacant), 2 (vacant), 1
    EXPECT_EQ(draw_occupied_slot(state, state.community.data(), draw), 1);
    EXPECT_EQ(draw.used(), 3u);
    ScriptedDraw top{ran2_constants::cap};  // the largest draw gives the last slot
    EXPECT_EQ(draw_occupied_slot(state, state.community.data(), top), 3);
}

TEST(Cycle, FillTakesOneSpeciesDrawPerSlotInSlotOrder) {
    CommsimState state = state_for({1, 1}, 3, 0, 0.0f);
    ScriptedDraw draw{0.1f, 0.9f, 0.5f};
    fill_community(state, draw);
    EXPECT_EQ(state.community, (std::vector<int32_t>{0, 1, 0}));
    EXPECT_EQ(state.abundance, (std::vector<float>{2, 1}));
    EXPECT_EQ(draw.left(), 0u);
}

// Slot 1 is refilled first; when slot 2 looks for a parent, slot 1 is still vacant in
// the snapshot and is rejected like slot 2 itself.
TEST(Cycle, NewbornsOfThisCycleAreNeverParents) {
    CommsimState state = state_for({1, 1}, 3, 2, 0.0f);
    ScriptedDraw draw{0.1f, 0.9f, 0.9f,   // fill: species 0, 1, 1
                      0.5f, 0.9f,         // deaths at slots 1 and 2
                      0.5f, 0.1f,         // slot 1: local birth, parent slot 0
                      0.5f, 0.4f, 0.9f, 0.2f};  // slot 2: parent tries at 1, 2, then 0
    fill_community(state, draw);
    run_cycle(state, draw);
    EXPECT_EQ(state.community, (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(state.abundance, (std::vector<float>{3, 0}));
    EXPECT_EQ(draw.left(), 0u);
}

TEST(Cycle, DecisionDrawsChooseBetweenBirthAndImmigration) {
    struct Case {
        const char* name;
        float m;
        float decision;
        std::vector<int32_t> expected;
        std::size_t draws;  // in the cycle
    } cases[] = {
        // Community {0, 1}; slot 0 dies; the refill either copies slot 1 (species 1,
        // parent try 0.6) or takes an immigrant (species 0, from 0.1; 0.6 would give
        // species 0 as well, so a birth taken for an immigrant shows).
        {"decision equal to m is a local birth", 0.5f, 0.5f, {1, 1}, 3},
        {"decision below m is an immigrant", 0.5f, 0.25f, {0, 1}, 3},
        {"m = 0: always a local birth", 0.0f, ran2_constants::smallest, {1, 1}, 3},
        {"m below 0 acts as 0", -3.0f, ran2_constants::smallest, {1, 1}, 3},
        {"m = 1: always an immigrant", 1.0f, ran2_constants::cap, {0, 1}, 3},
        {"m above 1 acts as 1", 7.0f, ran2_constants::cap, {0, 1}, 3},
    };
    for (const Case& c : cases) {
        CommsimState state = state_for({3, 1}, 2, 1, c.m);
        ScriptedDraw fill{0.1f, 0.9f};
        fill_community(state, fill);
        // death at slot 0, decision, then a parent try at slot 1 or a species draw
        const float third = c.decision >= c.m ? 0.6f : 0.1f;
        ScriptedDraw draw{0.1f, c.decision, third};
        run_cycle(state, draw);
        EXPECT_EQ(state.community, c.expected) << c.name;
        EXPECT_EQ(draw.used(), c.draws) << c.name;
    }
}

TEST(Cycle, NoDeathsMeansNoDrawsAndNoChange) {
    for (const int32_t D : {0, -5}) {
        CommsimState state = state_for({1, 1}, 3, D, 0.5f);
        ScriptedDraw fill{0.1f, 0.9f, 0.9f};
        fill_community(state, fill);
        ScriptedDraw none{};
        for (int cycle = 0; cycle < 3; ++cycle) run_cycle(state, none);
        EXPECT_EQ(state.community, (std::vector<int32_t>{0, 1, 1}));
    }
}

TEST(Cycle, WholeCommunityIsReplacedByImmigrantsWhenDEqualsJAndMIsOne) {
    CommsimState state = state_for({1, 1, 2}, 5, 5, 1.0f);
    CountingRan2 draw{-99};
    fill_community(state, draw);
    for (int cycle = 0; cycle < 100; ++cycle) {
        const long long before = draw.draws;
        run_cycle(state, draw);
        expect_consistent(state);
        // deaths (with their tries) plus exactly two draws per vacancy
        EXPECT_GE(draw.draws - before, 5 + 2 * 5);
    }
}

// The simulator's cycle against the straightforward one, on many small communities:
// after the fill and after every cycle the communities, abundances and state words
// must agree.
TEST(Cycle, MatchesTheStraightforwardCycleDrawForDraw) {
    int32_t case_seed = -2024;
    auto pick = [&case_seed](int32_t n) {
        return static_cast<int32_t>(static_cast<float>(n) * ran2(&case_seed));
    };
    const float m_values[] = {0.0f, 0.1f, 0.5f, 0.9f, 1.0f, -0.5f, 1.5f};
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<float> values(1 + pick(12));
        for (float& value : values) value = pick(4) == 0 ? 0.0f : static_cast<float>(1 + pick(50));
        if (std::accumulate(values.begin(), values.end(), 0.0f) == 0.0f) values[0] = 1.0f;
        int32_t J = 1 + pick(trial % 3 == 0 ? 400 : 40);
        const float m = m_values[pick(7)];
        int32_t D = pick(J + 1);
        if (trial % 5 == 0) D = std::min(J - 1, 1 + pick(3));  // a few deaths
        if (trial % 50 == 7) {  // more than 32 deaths, a small share of the community
            J = 10000 + pick(2000);
            D = 33 + pick(5);
        }
        if (D == J && !(m > ran2_constants::cap)) D = J - 1;

        CommsimState fast = state_for(values, J, D, m);
        ReferenceCommunity reference;
        reference.J = J;
        reference.D = D;
        reference.m = m;
        reference.meta_cumulative = fast.meta_cumulative;
        reference.last_drawable_species = fast.last_drawable_species;

        OwnStream fast_draw{-(trial + 1), Ran2State{}}, reference_draw{-(trial + 1), Ran2State{}};

        fill_community(fast, fast_draw);
        reference_fill(reference, reference_draw);
        ASSERT_EQ(fast.community, reference.community) << "trial " << trial;
        for (int cycle = 0; cycle < 60; ++cycle) {
            run_cycle(fast, fast_draw);
            reference_cycle(reference, reference_draw);
            ASSERT_EQ(fast.community, reference.community) << "trial " << trial << " cycle " << cycle;
            ASSERT_EQ(fast.abundance, reference.abundance) << "trial " << trial << " cycle " << cycle;
            ASSERT_EQ(fast_draw.seed, reference_draw.seed) << "trial " << trial << " cycle " << cycle;
            ASSERT_NO_FATAL_FAILURE(expect_consistent(fast));
        }
    }
}
