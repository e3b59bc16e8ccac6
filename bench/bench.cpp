// Benchmark of both programs' simulation work against the cost of their random draws.
//
// Each workload runs on the same seed: once with a counting stream to learn how many
// draws it consumes (untimed, so counting never slows the measured code), then timed
// with the programs' own stream, alternating with the floor: the same number of draws
// in a tight loop. Each time is the best of seven. One line per workload:
//   name=... draws=... seconds=... floor_seconds=... ratio=... <parameters>
//
//   bench                  the fixed table of workloads
//   bench --reference      the same table with the straightforward algorithms (a full
//                          copy of the community into parents, a scan of all J slots
//                          for vacancies, a linear species search; the urn clearing
//                          all of its table every run, working out p and the
//                          percentages anew and sorting with qsort), for comparison
//   bench --only NAME      one workload
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/ran2.h"
#include "common/progress.h"
#include "commsim/simulation.h"
#include "metagen/urn.h"
#include "reference_dynamics.h"
#include "reference_urn.h"
#include "scripted_draw.h"

namespace {
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Workload {
    const char* name;
    bool metagen;
    // commsim: J, D, m, icycles on a metacommunity drawn by the urn with meta_theta and
    // meta_J; metagen: theta, J, nruns.
    int32_t J;
    int32_t D;
    float m;
    int32_t icycles;
    float meta_theta;
    int32_t meta_J;
    float theta;
    int32_t nruns;
};

const Workload workloads[] = {
    {"commsim_D1_J1e4", false, 10000, 1, 0.1f, 3000000, 50.0f, 10000, 0, 0},
    {"commsim_D10_J1e3", false, 1000, 10, 0.1f, 1000000, 50.0f, 10000, 0, 0},
    {"commsim_D10_J1e5", false, 100000, 10, 0.1f, 1000000, 50.0f, 10000, 0, 0},
    {"commsim_D10_J1e6", false, 999999, 10, 0.1f, 1000000, 50.0f, 10000, 0, 0},
    {"commsim_Dhalf_J1e4", false, 10000, 5000, 0.5f, 200, 50.0f, 10000, 0, 0},
    {"commsim_m0.9_species", false, 10000, 10, 0.9f, 300000, 1000.0f, 100000, 0, 0},
    {"metagen_theta50_J1e5", true, 100000, 0, 0, 0, 0, 0, 50.0f, 5},
    {"metagen_J10_runs1e5", true, 10, 0, 0, 0, 0, 0, 5.0f, 100000},
};

// A metacommunity as metagen writes it: the mean rank curve of one urn sample.
Metacommunity urn_metacommunity(float theta, int32_t J) {
    UrnTables tables;
    urn_prepare(tables, J, theta);
    int32_t seed = -17;
    Ran2Stream draw(seed);
    urn_run(tables, draw);
    Metacommunity meta;
    meta.values = urn_rank_means(tables, 1);
    for (const float value : meta.values) meta.total = meta.total + value;
    return meta;
}

// The programs' own loops, progress checks included (never drawn here).
template <class Draw>
void run_commsim(CommsimState& state, Draw& draw) {
    Progress progress("commsim", simulation_work(1, state.icycles), false);
    int64_t work_done = 0;
    simulate_run(state, draw, progress, 0, work_done);
}

template <class Draw>
void run_commsim_reference(const Workload& w, ReferenceCommunity& community, Draw& draw) {
    reference_fill(community, draw);
    for (int32_t cycle = 0; cycle < w.icycles; ++cycle) reference_cycle(community, draw);
}

template <class Draw>
void run_metagen(const Workload& w, UrnTables& tables, bool reference, Draw& draw) {
    if (reference) {
        for (int32_t run = 0; run < w.nruns; ++run) {
            std::fill(tables.abundance.begin(), tables.abundance.end(), 0.0f);
            reference_urn_run(tables, w.theta, draw);
        }
        return;
    }
    Progress progress("metagen", static_cast<int64_t>(w.nruns) * w.J, false);
    for (int32_t run = 0; run < w.nruns; ++run) {
        urn_run(tables, draw);
        progress.tick(static_cast<int64_t>(run + 1) * w.J, run + 1, w.nruns);
    }
}

// Times one workload; `work(draw)` runs its simulation work (the set-up is done
// before, untimed).
template <class Work>
void measure(const Workload& w, Work&& work) {
    constexpr int32_t seed = -20261211;
    CountingRan2 counting{seed};
    ran2_state = Ran2State{};
    work(counting);
    const long long draws = counting.draws;

    // The machine may be shared: each time is the best of several repetitions.
    constexpr int repetitions = 7;
    double seconds = 1e300, floor_seconds = 1e300;
    float sink = 0.0f;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        ran2_state = Ran2State{};
        int32_t timed_seed = seed;
        const Clock::time_point start = Clock::now();
        {
            Ran2Stream draw(timed_seed);
            work(draw);
        }
        seconds = std::min(seconds, seconds_since(start));

        ran2_state = Ran2State{};
        int32_t floor_seed = seed;
        const Clock::time_point floor_start = Clock::now();
        {
            Ran2Stream draw(floor_seed);
            for (long long i = 0; i < draws; ++i) sink = sink + draw();
        }
        floor_seconds = std::min(floor_seconds, seconds_since(floor_start));
    }
    if (sink < 0.0f) std::printf("impossible\n");  // keeps the floor loop alive

    std::printf("name=%s draws=%lld seconds=%.3f floor_seconds=%.3f ratio=%.2f", w.name, draws,
                seconds, floor_seconds, seconds / floor_seconds);
    if (w.metagen)
        std::printf(" theta=%g J=%d nruns=%d\n", static_cast<double>(w.theta), w.J, w.nruns);
    else
        std::printf(" J=%d D=%d m=%g icycles=%d meta_theta=%g meta_J=%d\n", w.J, w.D,
                    static_cast<double>(w.m), w.icycles, static_cast<double>(w.meta_theta), w.meta_J);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
    bool reference = false;
    const char* only = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reference") == 0) {
            reference = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::printf("usage: bench [--reference] [--only NAME]\n");
            return 1;
        }
    }
    for (Workload w : workloads) {
        if (only != nullptr && std::strcmp(only, w.name) != 0) continue;
        // The straightforward cycle costs O(J): fewer cycles keep it to seconds. The
        // ratio stays comparable, since the floor is the same number of draws.
        if (reference && !w.metagen) w.icycles = std::min<int64_t>(w.icycles, 200000000 / w.J);
        if (w.metagen) {
            // The tables are set up once, outside the timing; the runs' draws do not
            // depend on what earlier repetitions left in the sums.
            UrnTables tables;
            urn_prepare(tables, w.J, w.theta);
            measure(w, [&](auto& draw) { run_metagen(w, tables, reference, draw); });
            continue;
        }
        const Metacommunity meta = urn_metacommunity(w.meta_theta, w.meta_J);
        if (reference) {
            CommsimState state;
            set_up_state(state, 1, w.icycles, w.J, w.D, w.m, Metacommunity(meta));
            ReferenceCommunity community;
            community.J = w.J;
            community.D = w.D;
            community.m = w.m;
            community.meta_cumulative = state.meta_cumulative;
            community.last_drawable_species = state.last_drawable_species;
            measure(w, [&](auto& draw) { run_commsim_reference(w, community, draw); });
        } else {
            // Set up once, outside the timing: each simulation starts with its own fill.
            CommsimState state;
            set_up_state(state, 1, w.icycles, w.J, w.D, w.m, Metacommunity(meta));
            measure(w, [&](auto& draw) { run_commsim(state, draw); });
        }
    }
    return 0;
}
