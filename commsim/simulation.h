// One independent simulation: the initial fill, then icycles birth-death cycles,
// leaving the final community in `abundance` for the per-run statistics. Counts one
// unit of work for the fill and one per cycle into work_done for the progress line.
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/progress.h"
#include "commsim/dynamics.h"

// Units of work of the whole job, as simulate_run counts them.
inline int64_t simulation_work(int32_t nruns, int32_t icycles) {
    return static_cast<int64_t>(std::max(nruns, 0)) * (1 + std::max<int64_t>(icycles, 0));
}

template <class Draw>
[[gnu::always_inline]] inline void simulate_run(CommsimState& state, Draw& draw, Progress& progress, int32_t run, int64_t& work_done) {
    std::fill(state.abundance.begin(), state.abundance.end(), 0.0f);
    fill_community(state, draw);
    progress.tick(++work_done, run + 1, state.nruns);
    for (int32_t cycle = 0; cycle < state.icycles; ++cycle) {
        run_cycle(state, draw);
        progress.tick(++work_done, run + 1, state.nruns);
    }
}
