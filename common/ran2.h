// The random stream: L'Ecuyer's combined generator with a Bays-Durham shuffle, as
// published under the name ran2, reproduced to the bit.
//
// Contract
// - ran2(&seed) returns a float u with 2^-31 <= u <= 1 - 2^-23; never 0, never 1.
// - The caller owns one 32-bit state word (its seed). A word of zero or below makes the
//   call seed the generator first; after seeding the stream depends on that word alone.
//   Seeds s and -s, and 0, 1 and -1, give the same stream once a positive seed has been
//   negated (the programs do that right after reading it).
// - The rest of the state (the second generator and the shuffle table) is one
//   process-wide instance, ran2_state, shared by every call. ran2 is not reentrant.
//
// ran2 is defined here, inline, because the simulators call it in their hot loops.
#pragma once

#include <cstdint>

#include "common/precision.h"

struct Ran2State {
    int32_t idum2 = 123456789;  // state of the second generator
    int32_t iy = 0;             // last combined output; picks the next table entry
    int32_t iv[32] = {};        // the shuffle table
};

// The one stream of the process.
extern Ran2State ran2_state;

namespace ran2_constants {
inline constexpr int32_t m1 = 2147483563, a1 = 40014;
inline constexpr int32_t m2 = 2147483399, a2 = 40692;
inline constexpr uint32_t c1 = 85, c2 = 249;  // m = 2^31 - c
inline constexpr int32_t table_size = 32;
inline constexpr int32_t warm_up = table_size + 8;
inline constexpr int32_t output_range = m1 - 1;
inline constexpr int32_t shuffle_divisor = 1 + output_range / table_size;
inline constexpr double scale = 1.0 / m1;            // 1/m1, bit pattern 3E0000000AA00007
inline constexpr double threshold = 1.0 - 1.2e-7;    // bit pattern 3FEFFFFFBF935359
inline constexpr float cap = 0.99999988079071044921875f;  // 1 - 2^-23, pattern 3F7FFFFE
inline constexpr float smallest = 4.656612873077392578125e-10f;  // 2^-31, for iy = 1
// The smallest combined output whose value, rounded to single, lies above the threshold.
inline constexpr int32_t first_capped_output = 2147483244;
}  // namespace ran2_constants

// a*x mod m for 0 <= x < m, with m = 2^31 - c. The product a*x fits 64 bits; written
// as hi*2^31 + lo, it is congruent to lo + c*hi (since 2^31 = m + c), a sum below 2m,
// so one subtraction of m brings it into 0..m-1. This is exactly the value Schrage's
// method gives, a*x mod m, with one multiplication by a instead of four; its chain of
// dependent steps is about half as long, and the generator's speed is set by that chain.
template <uint32_t a, uint32_t c>
inline int32_t ran2_mod_step(int32_t x) {
    constexpr uint32_t m = (uint32_t{1} << 31) - c;
    static_assert(uint64_t{a} * c + c <= m, "lo + c*hi must stay below 2m");
    const uint64_t product = uint64_t{a} * static_cast<uint32_t>(x);
    const auto hi = static_cast<uint32_t>(product >> 31);
    const auto lo = static_cast<uint32_t>(product) & 0x7fffffffu;
    const uint32_t sum = lo + c * hi;
    return static_cast<int32_t>(sum >= m ? sum - m : sum);
}

inline int32_t ran2_g1(int32_t x) {
    using namespace ran2_constants;
    return ran2_mod_step<a1, c1>(x);
}

inline int32_t ran2_g2(int32_t x) {
    using namespace ran2_constants;
    return ran2_mod_step<a2, c2>(x);
}

// The shuffle table entry for the last combined output iy (0 <= iy < m1):
// iy / shuffle_divisor, where shuffle_divisor = 2^26 - 2. With q0 = iy / 2^26 the
// quotient is q0 or q0 + 1, and it is q0 + 1 exactly when iy + 2(q0 + 1) reaches
// (q0 + 1) 2^26; so it is (iy + 2 q0 + 2) / 2^26, two shifts and an add instead of a
// division by a constant (a multiplication on the generator's critical chain).
inline uint32_t ran2_table_index(int32_t iy) {
    static_assert(ran2_constants::shuffle_divisor == (1 << 26) - 2);
    const auto y = static_cast<uint32_t>(iy);
    return (y + 2 * (y >> 26) + 2) >> 26;
}

// The value returned for a combined output iy in 1..m1 - 1: 2^-31 for iy = 1, the cap
// from iy = 2147483244 on. Two roundings on purpose: the product to double, then to
// single. The definition compares that single value, widened to double, with the
// threshold; the single value never decreases as iy grows, so the comparison turns
// true exactly once, at iy = first_capped_output, and comparing iy itself gives the
// same value for every iy, without the conversion back to double on each draw.
inline float ran2_value(int32_t iy) {
    using namespace ran2_constants;
    const double product = scale * static_cast<double>(iy);
    const float temp = static_cast<float>(product);
    return iy >= first_capped_output ? cap : temp;
}

// Seeding from a word <= 0: the whole generator state and the new word, from the word
// alone. Taken and returned by value, so that a local stream's state never escapes.
struct Ran2Seeding {
    int32_t word;
    Ran2State state;
};
Ran2Seeding ran2_seeding(int32_t word);

// One step of the generator: the state word, the second generator, the last combined
// output and the shuffle table, each passed on its own so that a local stream can keep
// the scalars in registers.
inline float ran2_core(int32_t& idum, int32_t& idum2, int32_t& iy, int32_t* iv) {
    using namespace ran2_constants;
    if (idum <= 0) [[unlikely]] {
        const Ran2Seeding seeded = ran2_seeding(idum);
        idum = seeded.word;
        idum2 = seeded.state.idum2;
        iy = seeded.state.iy;
        for (int32_t i = 0; i < table_size; ++i) iv[i] = seeded.state.iv[i];
    }
    idum = ran2_g1(idum);
    idum2 = ran2_g2(idum2);
    // iy of the previous call (or of seeding) lies in 0..m1 - 1: j lies in 0..31.
    const uint32_t j = ran2_table_index(iy);
    const int32_t combined = iv[j] - idum2;
    iv[j] = idum;  // after the read
    iy = combined < 1 ? combined + output_range : combined;  // now 1..m1 - 1
    return ran2_value(iy);
}

inline float ran2(int32_t* idum) { return ran2_core(*idum, ran2_state.idum2, ran2_state.iy, ran2_state.iv); }

// The process's one stream, taken into a local object for the length of a hot loop and
// handed back when the object ends: the values and their order are those of ran2 on
// the same word. While it lives, the loop must draw only through it. Being local, its
// scalars (the word, the second generator, the last output) can stay in registers; in
// the process-wide state they could be changed by any store to an int32 array and
// would be reloaded after each.
class Ran2Stream {
public:
    explicit Ran2Stream(int32_t& seed)
        : seed_(seed), word_(seed), idum2_(ran2_state.idum2), iy_(ran2_state.iy) {}
    ~Ran2Stream() {
        seed_ = word_;
        ran2_state.idum2 = idum2_;
        ran2_state.iy = iy_;
    }
    Ran2Stream(const Ran2Stream&) = delete;
    Ran2Stream& operator=(const Ran2Stream&) = delete;

    // The shuffle table stays in the process-wide state: it is indexed, so it lives in
    // memory wherever it is.
    float operator()() { return ran2_core(word_, idum2_, iy_, ran2_state.iv); }

private:
    int32_t& seed_;
    int32_t word_;
    int32_t idum2_;
    int32_t iy_;
};
