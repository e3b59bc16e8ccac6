#include "commsim/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/longcmp.h"

namespace {
// A tally and its square into the accumulators: the square is one single product,
// rounded before the single addition.
void accumulate(const float* count, float* sum, float* sumsq, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        sum[i] = sum[i] + count[i];
        const float square = count[i] * count[i];
        sumsq[i] = sumsq[i] + square;
    }
}

// Half a species: widened to double, 0.5 added in double, rounded back to single.
float add_half(float value) { return static_cast<float>(static_cast<double>(value) + 0.5); }
}  // namespace

void add_to_octaves(float n, float* octave_count) {
    // x in single precision; exact powers of two give a whole x (the double quotient
    // need not be whole, its rounding to single is).
    const auto x = static_cast<float>(std::log(static_cast<double>(n)) / std::log(2.0));
    const auto k = static_cast<int32_t>(std::ceil(static_cast<double>(x)));
    if (x == static_cast<float>(k)) {
        octave_count[k] = add_half(octave_count[k]);
        octave_count[k + 1] = add_half(octave_count[k + 1]);
    } else {
        octave_count[k] = octave_count[k] + 1.0f;
    }
}

void add_run_statistics(CommsimState& state) {
    const int32_t nspecies = state.nspecies;
    const float* abundance = state.abundance.data();
    float* rank_percent = state.rank_percent.data();

    // Percent of J in double, rounded once to single; absent species give 0.
    const auto J = static_cast<double>(state.J);
    for (int32_t s = 0; s < nspecies; ++s)
        rank_percent[s] = static_cast<float>(static_cast<double>(abundance[s]) * 100.0 / J);
    std::qsort(rank_percent, static_cast<std::size_t>(nspecies), sizeof(float), longcmp);
    accumulate(rank_percent, state.rank_sum.data(), state.rank_sumsq.data(), nspecies);

    std::fill(std::begin(state.octave_count), std::end(state.octave_count), 0.0f);
    for (int32_t s = 0; s < nspecies; ++s)
        if (abundance[s] != 0.0f) add_to_octaves(abundance[s], state.octave_count);
    accumulate(state.octave_count, state.octave_sum, state.octave_sumsq, octave_classes);

    float* class_count = state.class_count.data();
    std::fill_n(class_count, state.J, 0.0f);
    for (int32_t s = 0; s < nspecies; ++s) {
        if (abundance[s] == 0.0f) continue;
        const auto i = static_cast<int32_t>(abundance[s] - 1.0f);  // n - 1
        class_count[i] = class_count[i] + 1.0f;
    }
    accumulate(class_count, state.class_sum.data(), state.class_sumsq.data(), state.J);
}
