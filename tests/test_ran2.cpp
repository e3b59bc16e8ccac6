#include "common/ran2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
uint32_t bits(float value) {
    uint32_t pattern;
    std::memcpy(&pattern, &value, 4);
    return pattern;
}
uint64_t bits(double value) {
    uint64_t pattern;
    std::memcpy(&pattern, &value, 8);
    return pattern;
}

struct StreamRow {
    int32_t first_word;  // the state word handed to the first call
    int call;
    uint32_t result_bits;
    int32_t word_after;
};

// The published reference stream, to the bit, with the state word after each call.
const StreamRow reference_stream[] = {
    {-1, 1, 0x3E921D72, 1454538876},       {-1, 2, 0x3E81B82A, 819059838},
    {-1, 3, 0x3DBF6C6E, 1113702789},       {-12345, 1, 0x3CDED11E, 1172353977},
    {-12345, 2, 0x3D717877, 941085506},    {-12345, 3, 0x3E74E86C, 471159879},
    {-2147483563, 1, 0x3F7F3457, 0},       {-2147483563, 2, 0x3E921D72, 1454538876},
    {1, 1, 0x3F27C95E, 40014},  // a positive word on a fresh process: no seeding
};
}  // namespace

TEST(Ran2, ConstantsHaveTheirBitPatterns) {
    EXPECT_EQ(bits(ran2_constants::scale), 0x3E0000000AA00007u);
    EXPECT_EQ(bits(ran2_constants::threshold), 0x3FEFFFFFBF935359u);
    EXPECT_EQ(bits(ran2_constants::cap), 0x3F7FFFFEu);
    EXPECT_EQ(ran2_constants::shuffle_divisor, 67108862);
    EXPECT_EQ(ran2_constants::m1 + int64_t{ran2_constants::c1}, int64_t{1} << 31);
    EXPECT_EQ(ran2_constants::m2 + int64_t{ran2_constants::c2}, int64_t{1} << 31);
}

TEST(Ran2, ReproducesTheReferenceStream) {
    for (const StreamRow& row : reference_stream) {
        ran2_state = Ran2State{};  // a fresh process
        int32_t word = row.first_word;
        float result = 0.0f;
        for (int call = 1; call <= row.call; ++call) result = ran2(&word);
        EXPECT_EQ(bits(result), row.result_bits) << "first word " << row.first_word << ", call " << row.call;
        EXPECT_EQ(word, row.word_after) << "first word " << row.first_word << ", call " << row.call;
    }
}

TEST(Ran2, ZeroAndMostNegativeWordGiveTheStreamOfMinusOne) {
    for (const int32_t word_before : {0, INT32_MIN}) {
        ran2_state = Ran2State{};
        int32_t word = word_before, reference = -1;
        Ran2State reference_state;
        for (int call = 0; call < 100; ++call) {
            const float got = ran2(&word);
            const Ran2State saved = ran2_state;
            ran2_state = reference_state;
            const float expected = ran2(&reference);
            reference_state = ran2_state;
            ran2_state = saved;
            ASSERT_EQ(bits(got), bits(expected)) << "word " << word_before << ", call " << call;
            ASSERT_EQ(word, reference);
        }
    }
}

TEST(Ran2, ReseedingMidStreamRestartsTheStream) {
    ran2_state = Ran2State{};
    int32_t word = -777;
    float first[5];
    for (float& value : first) value = ran2(&word);
    for (int call = 0; call < 1000; ++call) ran2(&word);
    word = -777;  // a word <= 0 seeds again, whatever came before
    for (const float value : first) EXPECT_EQ(bits(ran2(&word)), bits(value));
}

TEST(Ran2, SeedOfMagnitudeM1FallsBackToTheStreamOfMinusOne) {
    ran2_state = Ran2State{};
    int32_t word = -2147483563;
    ran2(&word);
    EXPECT_EQ(word, 0);  // the next call seeds again from 0
    int32_t again = word;
    const float second = ran2(&again);
    ran2_state = Ran2State{};
    int32_t reference = -1;
    EXPECT_EQ(bits(second), bits(ran2(&reference)));
}

TEST(Ran2, ValueBoundsAreTwoToMinus31AndTheCap) {
    struct Case {
        int32_t iy;
        float value;
    } cases[] = {
        {1, 4.656612873077392578125e-10f},             // 2^-31, the smallest result
        {2147483243, 0.999999821186065673828125f},     // 1 - 3 * 2^-24, below the cap
        {2147483244, ran2_constants::cap},             // from here on the cap
        {2147483562, ran2_constants::cap},             // the largest output
    };
    for (const Case& c : cases) EXPECT_EQ(bits(ran2_value(c.iy)), bits(c.value)) << "iy " << c.iy;
    EXPECT_EQ(ran2_constants::smallest, ran2_value(1));
}

TEST(Ran2, LongStreamStaysWithinBounds) {
    ran2_state = Ran2State{};
    int32_t word = -31415;
    float lowest = 1.0f, highest = 0.0f;
    for (int call = 0; call < 2000000; ++call) {
        const float value = ran2(&word);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_GE(lowest, ran2_constants::smallest);
    EXPECT_LE(highest, ran2_constants::cap);
    EXPECT_LT(lowest, 1e-5f);  // the stream does reach near both ends
    EXPECT_GT(highest, 0.99999f);
}

// The two generators' step a*x mod m is taken from a 64-bit product folded once; the
// result must be the remainder itself for every x the generators can hold, including
// the x whose folded sum reaches m and needs the subtraction.
TEST(Ran2, GeneratorStepsAreTheExactRemainder) {
    using namespace ran2_constants;
    auto expect_remainder = [](auto step, int64_t a, int64_t m, int32_t x) {
        EXPECT_EQ(step(x), static_cast<int32_t>(a * x % m)) << "a " << a << " x " << x;
    };
    std::vector<int32_t> xs = {0, 1, 2, 53667, 53668, 52774, m2 - 1, m2, m1 - 2, m1 - 1};
    // Multiples of m / a and their neighbours sit where the folded sum crosses m.
    for (int64_t k = 1; k < 40; ++k) {
        for (const int64_t m : {int64_t{m1}, int64_t{m2}}) {
            for (const int64_t a : {int64_t{a1}, int64_t{a2}}) {
                const int64_t x = k * m / a;
                for (int64_t d = -1; d <= 1; ++d)
                    if (x + d >= 0 && x + d < m2) xs.push_back(static_cast<int32_t>(x + d));
            }
        }
    }
    uint32_t z = 12345;
    for (int i = 0; i < 200000; ++i) {
        z = z * 1664525u + 1013904223u;
        xs.push_back(static_cast<int32_t>(z % static_cast<uint32_t>(m2)));
    }
    for (const int32_t x : xs) {
        expect_remainder(ran2_g1, a1, m1, x);
        expect_remainder(ran2_g2, a2, m2, x);
    }
}

// The shuffle-table index replaces a division by 2^26 - 2. Both are non-decreasing
// step functions of iy, so agreeing at both ends of every step of the division (and
// at the ends of the range) makes them agree for every iy in 0..m1 - 1.
TEST(Ran2, TableIndexIsTheQuotientByTheShuffleDivisor) {
    using namespace ran2_constants;
    std::vector<int32_t> ends = {0, m1 - 1};
    for (int32_t k = 1; k < table_size; ++k) {
        ends.push_back(k * shuffle_divisor - 1);
        ends.push_back(k * shuffle_divisor);
    }
    for (const int32_t iy : ends)
        EXPECT_EQ(ran2_table_index(iy), static_cast<uint32_t>(iy / shuffle_divisor)) << "iy " << iy;
}

// The value of an output is capped by comparing the output itself with the first
// capped one instead of the rounded value with the threshold in double. The rounded
// value never decreases with iy, so the two agree everywhere if they agree at both
// sides of the flip; checked over the whole top of the range and at outputs spread
// over the rest.
TEST(Ran2, CappingByOutputEqualsCappingByThreshold) {
    using namespace ran2_constants;
    // The value as defined: the comparison with the threshold in double.
    auto ran2_value_by_threshold = [](int32_t iy) {
        const float temp = static_cast<float>(scale * static_cast<double>(iy));
        return static_cast<double>(temp) > threshold ? cap : temp;
    };
    auto expect_same = [&](int32_t iy) {
        EXPECT_EQ(bits(ran2_value(iy)), bits(ran2_value_by_threshold(iy))) << "iy " << iy;
    };
    for (int32_t iy = first_capped_output - (1 << 20); iy < m1; ++iy) expect_same(iy);
    for (int64_t iy = 1; iy < first_capped_output - (1 << 20); iy += 1 + iy / 64)
        expect_same(static_cast<int32_t>(iy));
    EXPECT_NE(bits(ran2_value_by_threshold(first_capped_output - 1)), bits(cap));
    EXPECT_EQ(bits(ran2_value_by_threshold(first_capped_output)), bits(cap));
}
