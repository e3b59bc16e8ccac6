#include "common/ran2.h"

Ran2State ran2_state;

Ran2Seeding ran2_seeding(int32_t word) {
    using namespace ran2_constants;
    Ran2Seeding seeded;
    Ran2State& g = seeded.state;
    // Negation wraps in two's complement, so the most negative word stays negative and
    // falls back to 1 like zero does.
    const int32_t t = static_cast<int32_t>(0u - static_cast<uint32_t>(word));
    int32_t s = t > 0 ? t : 1;
    g.idum2 = s;
    for (int32_t j = warm_up - 1; j >= 0; --j) {
        s = ran2_g1(s);
        if (j < table_size) g.iv[j] = s;
    }
    g.iy = g.iv[0];
    seeded.word = s;
    return seeded;
}
