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
inline constexpr int32_t m1 = 2147483563, a1 = 40014, q1 = 53668, r1 = 12211;
inline constexpr int32_t m2 = 2147483399, a2 = 40692, q2 = 52774, r2 = 3791;
inline constexpr int32_t table_size = 32;
inline constexpr int32_t warm_up = table_size + 8;
inline constexpr int32_t output_range = m1 - 1;
inline constexpr int32_t shuffle_divisor = 1 + output_range / table_size;
inline constexpr double scale = 1.0 / m1;            // 1/m1, bit pattern 3E0000000AA00007
inline constexpr double threshold = 1.0 - 1.2e-7;    // bit pattern 3FEFFFFFBF935359
inline constexpr float cap = 0.99999988079071044921875f;  // 1 - 2^-23, pattern 3F7FFFFE
inline constexpr float smallest = 4.656612873077392578125e-10f;  // 2^-31, for iy = 1
}  // namespace ran2_constants

// Schrage's method: a*x mod m for 0 <= x, with no product leaving 32 bits (r < q).
template <int32_t a, int32_t q, int32_t r, int32_t m>
inline int32_t ran2_schrage_step(int32_t x) {
    const int32_t k = x / q;
    x = a * (x - k * q) - k * r;
    if (x < 0) x += m;
    return x;
}

inline int32_t ran2_g1(int32_t x) {
    using namespace ran2_constants;
    return ran2_schrage_step<a1, q1, r1, m1>(x);
}

inline int32_t ran2_g2(int32_t x) {
    using namespace ran2_constants;
    return ran2_schrage_step<a2, q2, r2, m2>(x);
}

// The value returned for a combined output iy in 1..m1 - 1: 2^-31 for iy = 1, the cap
// from iy = 2147483244 on. Two roundings on purpose: the product to double, then to
// single; the comparison with the threshold is made in double.
inline float ran2_value(int32_t iy) {
    using namespace ran2_constants;
    const double product = scale * static_cast<double>(iy);
    const float temp = static_cast<float>(product);
    if (static_cast<double>(temp) > threshold) return cap;
    return temp;
}

// Seeding from a word <= 0: the whole generator state and the new word, from the word
// alone. Taken and returned by value, so that a local stream's state never escapes.
struct Ran2Seeding {
    int32_t word;
    Ran2State state;
};
Ran2Seeding ran2_seeding(int32_t word);

// One step of the generator on the state g (the steps of ran2, below).
inline float ran2_step(int32_t* idum, Ran2State& g) {
    using namespace ran2_constants;
    if (*idum <= 0) {
        const Ran2Seeding seeded = ran2_seeding(*idum);
        *idum = seeded.word;
        g = seeded.state;
    }
    *idum = ran2_g1(*idum);
    g.idum2 = ran2_g2(g.idum2);
    const int32_t j = g.iy / shuffle_divisor;  // uses iy of the previous call
    g.iy = g.iv[j] - g.idum2;
    g.iv[j] = *idum;
    if (g.iy < 1) g.iy += output_range;
    return ran2_value(g.iy);
}

inline float ran2(int32_t* idum) { return ran2_step(idum, ran2_state); }

// The process's one stream, taken into a local object for the length of a hot loop and
// handed back when the object ends: the values and their order are those of ran2 on
// the same word. While it lives, the loop must draw only through it. Being local, its
// state can stay in registers; the process-wide state could be changed by any store to
// an int32 array and would be reloaded after each.
class Ran2Stream {
public:
    explicit Ran2Stream(int32_t& seed) : seed_(seed), word_(seed), state_(ran2_state) {}
    ~Ran2Stream() {
        seed_ = word_;
        ran2_state = state_;
    }
    Ran2Stream(const Ran2Stream&) = delete;
    Ran2Stream& operator=(const Ran2Stream&) = delete;

    float operator()() { return ran2_step(&word_, state_); }

private:
    int32_t& seed_;
    int32_t word_;
    Ran2State state_;
};
