// The simulator's state: every scalar and array of the local community simulation,
// under the names the model uses, owned in one place. The dynamics change `community`
// and `abundance`; the per-run statistics read `abundance` and add into the
// accumulators; the report reads the accumulators once, after the last simulation.
#pragma once

#include <cstdint>
#include <vector>

#include "common/metafile.h"
#include "common/precision.h"

// The 21 Preston octave classes hold abundances from 1 to 2^20 - 1, so a community
// must stay below 2^20 individuals.
inline constexpr int32_t octave_classes = 21;
inline constexpr int32_t commsim_max_individuals = (1 << 20) - 1;

struct CommsimState {
    // Parameters.
    int32_t nruns = 0;
    int32_t icycles = 0;
    int32_t J = 0;
    int32_t D = 0;
    float m = 0.0f;
    int32_t nspecies = 0;
    float total = 0.0f;  // sum of the metacommunity values, added in file order

    // Species arrays (nspecies entries; in the rank arrays entry s is rank s + 1).
    std::vector<float> meta_abundance;
    std::vector<float> meta_cumulative;  // entry k: share of species 0..k
    std::vector<float> abundance;        // individuals of each species in the community
    std::vector<float> rank_percent;
    std::vector<float> rank_sum, rank_sumsq;
    std::vector<float> rank_mean, rank_var;

    // J arrays.
    std::vector<int32_t> community;  // species in each slot; -1 marks a vacancy
    std::vector<float> class_count;  // entry n - 1: species with n individuals
    std::vector<float> class_sum, class_sumsq;  // the report turns class_sum into the mean
    std::vector<float> class_var;

    // Octave arrays.
    float octave_bound[octave_classes] = {};  // 2^k, the upper bound of class k
    float octave_count[octave_classes] = {};
    float octave_sum[octave_classes] = {};
    float octave_sumsq[octave_classes] = {};
    float octave_mean[octave_classes] = {};
    float octave_var[octave_classes] = {};

    // Bookkeeping that lets a cycle cost O(D) instead of O(J); it changes no draw.
    // vacancies: the slots emptied in the current cycle, in the order of the deaths;
    // newborns: the species that fill them, in increasing slot order, held back until
    // the refill ends (see run_cycle).
    std::vector<int32_t> vacancies;
    std::vector<int32_t> newborns;
    // One bit per slot, set for this cycle's vacancies when there are many of them:
    // reading the set bits word by word visits them in increasing slot order.
    std::vector<uint64_t> vacancy_bits;
    // A draw above the last cumulative share (the single-precision sum can end a few
    // units below 1) takes this species: the last one whose share is above 0.
    int32_t last_drawable_species = 0;
    // A guide into meta_cumulative, so that a species draw costs O(1) on average
    // however many species there are: guide_buckets is a power of two, and
    // species_guide[b] is the first species k with meta_cumulative[k] >= b /
    // guide_buckets (nspecies - 1 when there is none). A draw r in bucket b = floor(r * guide_buckets) cannot select a
    // species before species_guide[b], so the search for the first k with
    // r <= meta_cumulative[k] may start there and finds the same k as a search from 0.
    std::vector<int32_t> species_guide;
    double guide_buckets = 1.0;
};

// Sets the parameters, takes over the metacommunity, forms its cumulative shares,
// allocates every array and zeroes the accumulators. Throws std::bad_alloc when the
// arrays do not fit in memory.
void set_up_state(CommsimState& state, int32_t nruns, int32_t icycles, int32_t J, int32_t D,
                  float m, Metacommunity&& meta);

// meta_cumulative from meta_abundance and total: each share a single division, each
// sum a single addition of the previous cumulative value and the new share.
void form_cumulative_shares(CommsimState& state);
