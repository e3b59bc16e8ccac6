// Per-run statistics: when a simulation ends, its final community (`abundance`) is
// condensed into three tallies, and each tally and its square are added into
// accumulators that persist over all simulations:
// - the dominance-diversity curve: abundances in percent of J, in decreasing order;
// - the number of species with n individuals, n = 1..J;
// - the Preston octaves: 21 classes, a species whose abundance is a power of two
//   counting half in each of two neighbouring classes.
// No random draw is made here.
#pragma once

#include "commsim/state.h"

void add_run_statistics(CommsimState& state);

// One present species of abundance n (1..2^20 - 1) into the octave tally: a power of
// two 2^j adds 0.5 to classes j and j + 1, any other n adds 1 to class ceil(log2 n).
void add_to_octaves(float n, float* octave_count);
