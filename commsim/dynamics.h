// The community dynamics: the initial fill from the metacommunity and the birth-death
// cycles. Every random draw of the simulator is made here, through `draw`, a callable
// that returns the next value of the stream (ran2 on the program's seed; a test can
// script the values). The order of the draws is part of the contract:
// - fill: one species draw per slot, slots in increasing order;
// - cycle: the death draws (tries at vacant slots included) in death order, then for
//   each vacancy in increasing slot order its decision draw, followed by the parent
//   tries of a local birth or the one species draw of an immigrant.
//
// A cycle costs O(D) apart from its draws: the snapshot of `parents` is the community
// itself while the refill holds its newborns back (see run_cycle), so nothing is
// copied, and the refill visits the vacated slots in increasing order instead of
// scanning all J slots. The draws and the results are those of the full copy and the
// full scan. One array of J slots instead of two also halves the memory that the
// random slot draws touch.
//
// The routines are forced inline into the loop that owns the stream (Ran2Stream, a
// local object): only there can the stream's state stay in registers; reached through
// a reference, it would be reloaded after every store to an int32 array.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "commsim/state.h"

// What a species draw reads, copied out of the state into a local object. Kept local to
// the loop, these stay in registers; read through the state, each would be loaded
// again after every store to an int32 or float array, which might have changed it.
struct SpeciesSearch {
    const float* cumulative;
    const int32_t* guide;
    double buckets;
    int32_t nspecies;
    int32_t last_drawable_species;

    explicit SpeciesSearch(const CommsimState& state)
        : cumulative(state.meta_cumulative.data()), guide(state.species_guide.data()),
          buckets(state.guide_buckets), nspecies(state.nspecies),
          last_drawable_species(state.last_drawable_species) {}
};

// The species of a draw r: the first k with r <= meta_cumulative[k]. The cumulative
// shares never decrease, so the search may start at the guide's entry for r's bucket
// (see CommsimState) and finds the same k as a scan from species 0; species whose
// share is 0 repeat the value before them and are never found.
//
// The guide's entry and one step of the search are taken without a branch (a branch on
// a value just drawn is mispredicted often, and each miss costs about a draw); with
// four buckets per species a draw rarely falls in a bucket where more than one share
// ends, and finish_species_search goes on from there when it does, or when r lies
// above the last share.
[[gnu::noinline]] inline int32_t finish_species_search(const float* cumulative, int32_t nspecies,
                                                       int32_t last_drawable_species, float r, int32_t k) {
    while (k < nspecies && cumulative[k] < r) ++k;
    // A draw above the last share: the sum ended a few units below 1.
    if (k == nspecies) return last_drawable_species;
    return k;
}

template <class Draw>
[[gnu::always_inline]] inline int32_t draw_species(const SpeciesSearch& search, Draw& draw) {
    const float r = draw();
    const float* cumulative = search.cumulative;
    // r * buckets is exact in double, so the bucket is floor(r * buckets) exactly.
    const auto bucket = static_cast<int32_t>(static_cast<double>(r) * search.buckets);
    int32_t k = search.guide[bucket];  // at most nspecies - 1
    const int32_t last = search.nspecies - 1;
    k += static_cast<int32_t>((k < last) & (cumulative[k] < r));
    if (cumulative[k] < r) [[unlikely]]
        return finish_species_search(cumulative, search.nspecies, search.last_drawable_species, r, k);
    return k;
}

template <class Draw>
[[gnu::always_inline]] inline int32_t draw_species(const CommsimState& state, Draw& draw) {
    return draw_species(SpeciesSearch(state), draw);
}

// A slot whose entry in `array` (the community, or the snapshot of parents) holds a
// species; size is J in single precision. Each try is one draw; a try at a vacancy is
// rejected and repeated.
template <class Draw>
[[gnu::always_inline]] inline int32_t draw_occupied_slot(float size, const int32_t* array, Draw& draw) {
    for (;;) {
        const float product = size * draw();  // one single multiplication, truncated
        const auto slot = static_cast<int32_t>(product);
        if (array[slot] >= 0) return slot;
    }
}

template <class Draw>
[[gnu::always_inline]] inline int32_t draw_occupied_slot(const CommsimState& state, const int32_t* array, Draw& draw) {
    return draw_occupied_slot(static_cast<float>(state.J), array, draw);
}

// Fills all J slots of an empty community (abundance all 0) from the metacommunity.
template <class Draw>
[[gnu::always_inline]] inline void fill_community(CommsimState& state, Draw& draw) {
    int32_t* community = state.community.data();
    float* abundance = state.abundance.data();
    const SpeciesSearch search(state);
    const int32_t J = state.J;
    for (int32_t i = 0; i < J; ++i) {
        const int32_t s = draw_species(search, draw);
        community[i] = s;
        abundance[s] = abundance[s] + 1.0f;
    }
}

// Places the newborns of a refill: newborns[k] is the species of the vacancy that comes
// k-th in increasing slot order, and `slots` holds the `count` distinct vacant slots in
// the order of the deaths. How a slot's place in the order is found depends on how many
// there are; the places themselves never do.
// - one slot (D = 1, the classic model): nothing to find;
// - up to 32 slots: a slot's place is the number of slots below it, counted without
//   branches (a comparison sort would mispredict about half of its branches);
// - a small share of the community: std::sort;
// - otherwise: one bit per slot, read back word by word.
[[gnu::always_inline]] inline void place_newborns(CommsimState& state, int32_t* slots, const int32_t* newborns,
                                                  int32_t count, int32_t* community) {
    if (count == 1) {
        community[slots[0]] = newborns[0];
    } else if (count <= 32) {
        for (int32_t a = 0; a < count; ++a) {
            int32_t place = 0;
            for (int32_t b = 0; b < count; ++b) place += slots[b] < slots[a];
            community[slots[a]] = newborns[place];
        }
    } else if (static_cast<int64_t>(count) * 256 < state.J) {
        std::sort(slots, slots + count);
        for (int32_t k = 0; k < count; ++k) community[slots[k]] = newborns[k];
    } else {
        uint64_t* bits = state.vacancy_bits.data();
        for (int32_t v = 0; v < count; ++v) bits[slots[v] >> 6] |= uint64_t{1} << (slots[v] & 63);
        const auto words = static_cast<int32_t>(state.vacancy_bits.size());
        int32_t k = 0;
        for (int32_t w = 0; w < words; ++w) {
            for (uint64_t word = bits[w]; word != 0; word &= word - 1)
                community[w * 64 + std::countr_zero(word)] = newborns[k++];
            bits[w] = 0;
        }
    }
}

// One birth-death cycle on a full community; leaves a full community.
//
// The refill holds its newborns back and places them only after the last vacancy is
// filled: until then every vacancy of the cycle is still -1 in `community`, which is
// therefore exactly the snapshot of parents taken after the deaths. A newborn's slot
// stays vacant during the refill, so it is never the parent of a later newborn of this
// cycle, and no separate copy of the community is needed. The refill's draws go to the
// vacancies in increasing slot order, but which slot that is matters only when the
// newborns are placed, so the order is found then.
template <class Draw>
[[gnu::always_inline]] inline void run_cycle(CommsimState& state, Draw& draw) {
    int32_t* community = state.community.data();
    float* abundance = state.abundance.data();
    int32_t* vacancies = state.vacancies.data();
    int32_t* newborns = state.newborns.data();
    const SpeciesSearch search(state);
    const float size = static_cast<float>(state.J);
    const int32_t D = state.D;
    const float m = state.m;

    // Deaths. A slot emptied earlier in this cycle is rejected, so D individuals die.
    int32_t count = 0;
    for (int32_t d = 0; d < D; ++d) {
        const int32_t i = draw_occupied_slot(size, community, draw);
        const int32_t s = community[i];
        abundance[s] = abundance[s] - 1.0f;
        community[i] = -1;
        vacancies[count++] = i;
    }

    // Refill: newborns[k] for the vacancy k-th in increasing slot order.
    const int32_t* parents = community;
    for (int32_t k = 0; k < count; ++k) {
        int32_t s;
        if (draw() >= m) {  // a decision equal to m is a local birth
            s = parents[draw_occupied_slot(size, parents, draw)];
        } else {
            s = draw_species(search, draw);
        }
        abundance[s] = abundance[s] + 1.0f;
        newborns[k] = s;
    }
    place_newborns(state, vacancies, newborns, count, community);
}
