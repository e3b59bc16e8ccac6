#include "commsim/state.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// About four buckets per species (so that most draws fall in a bucket where at most one
// share ends), at most 2^22. A power of two keeps every product cumulative share x
// buckets exact in double precision (24 + 22 bits).
void build_species_guide(CommsimState& state) {
    const auto nspecies = static_cast<int64_t>(state.meta_cumulative.size());
    int64_t buckets = 1;
    while (buckets < 4 * nspecies && buckets < (int64_t{1} << 22)) buckets *= 2;
    state.guide_buckets = static_cast<double>(buckets);
    state.species_guide.assign(static_cast<std::size_t>(buckets), 0);
    int64_t k = 0;
    for (int64_t b = 0; b < buckets; ++b) {
        while (k < nspecies &&
               static_cast<double>(state.meta_cumulative[k]) * state.guide_buckets < static_cast<double>(b))
            ++k;
        state.species_guide[b] = static_cast<int32_t>(std::min(k, nspecies - 1));
    }
}
}  // namespace

void form_cumulative_shares(CommsimState& state) {
    const float total = state.total;
    const std::vector<float>& value = state.meta_abundance;
    std::vector<float>& cumulative = state.meta_cumulative;
    cumulative.assign(value.size(), 0.0f);
    state.last_drawable_species = 0;
    float previous = 0.0f;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const float share = value[i] / total;
        cumulative[i] = i == 0 ? share : previous + share;
        if (share > 0.0f) state.last_drawable_species = static_cast<int32_t>(i);
        previous = cumulative[i];
    }
    build_species_guide(state);
}

void set_up_state(CommsimState& state, int32_t nruns, int32_t icycles, int32_t J, int32_t D,
                  float m, Metacommunity&& meta) {
    state.nruns = nruns;
    state.icycles = icycles;
    state.J = J;
    state.D = D;
    state.m = m;
    state.nspecies = static_cast<int32_t>(meta.values.size());
    state.total = meta.total;
    state.meta_abundance = std::move(meta.values);
    form_cumulative_shares(state);

    const auto species = static_cast<std::size_t>(state.nspecies);
    for (std::vector<float>* array :
         {&state.abundance, &state.rank_percent, &state.rank_sum, &state.rank_sumsq,
          &state.rank_mean, &state.rank_var})
        array->assign(species, 0.0f);
    const auto slots = static_cast<std::size_t>(J);
    state.community.assign(slots, -1);
    for (std::vector<float>* array :
         {&state.class_count, &state.class_sum, &state.class_sumsq, &state.class_var})
        array->assign(slots, 0.0f);
    state.vacancies.assign(D > 0 ? static_cast<std::size_t>(D) : 0, 0);
    state.newborns.assign(D > 0 ? static_cast<std::size_t>(D) : 0, 0);
    state.vacancy_bits.assign((slots + 63) / 64, 0);

    for (int32_t k = 0; k < octave_classes; ++k) {
        state.octave_bound[k] = static_cast<float>(std::pow(2.0, k));
        state.octave_sum[k] = 0.0f;
        state.octave_sumsq[k] = 0.0f;
    }
}
