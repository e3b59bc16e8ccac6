// The metacommunity generator's work: urn samples of J individuals governed by theta,
// each ranked by abundance and added, in percent of J, into per-rank sums; after the
// last run the sums become the mean rank-abundance curve.
//
// Each individual added to a sample of j founds a new species with probability
// theta/(j + theta) and otherwise copies the species of one of the j already drawn.
// The order of the draws and the precision of every step fix the file for a seed.
#pragma once

#include <cstdint>
#include <vector>

#include "common/precision.h"

struct UrnTables {
    // Labels start at 1, so entry 0 never holds a species. 10000 entries to start with;
    // a run that founds more species grows the tables, since they must hold every label.
    std::vector<float> abundance;
    std::vector<float> rank_sum;    // entry i: sum over runs of the percentage at rank i + 1
    std::vector<int32_t> sample;    // species label of each individual, in drawing order
    // The same in every run, so worked out once (fewer operations than one run):
    std::vector<float> founding;    // entry j: p = theta/(fj + theta), single precision
    std::vector<float> percent_of;  // entry a: a x 100.0 / J in double, rounded to single
    int32_t nspecies = 0;           // largest number of species of any run so far
    int32_t run_species = 0;        // species founded in the current (or last) run
};

inline constexpr int32_t urn_table_entries = 10000;
// Counts of individuals and j are exact in single precision up to 2^24.
inline constexpr int32_t urn_max_individuals = 1 << 24;

// Accepted theta: not below -1 (p > 1 at j = 1), and small enough that p at j = 1 stays
// below 1 in single precision; p is largest at j = 1, so then it stays below 1 for all j.
bool theta_is_valid(float theta);

void urn_prepare(UrnTables& tables, int32_t J, float theta);

// Makes room for labels up to `label` in abundance and rank_sum (a run that founds
// more than 9999 species), doubling the tables; entries added are 0.
void grow_urn_tables(UrnTables& tables, int32_t label);

// Forced inline, like the community dynamics, so that the stream's state stays in
// registers in the loop that owns it.
//
// Draws one sample into tables.sample[0..J-1], counts each individual into the
// abundance of its label as it is drawn (the tally), and sets tables.run_species.
// The abundances of the previous run must have been cleared.
template <class Draw>
[[gnu::always_inline]] inline void draw_urn_sample(UrnTables& tables, Draw& draw) {
    int32_t* sample = tables.sample.data();
    float* abundance = tables.abundance.data();
    auto labels_held = static_cast<int32_t>(tables.abundance.size());
    const float* founding = tables.founding.data();
    const auto J = static_cast<int32_t>(tables.sample.size());
    int32_t run_species = 1;
    sample[0] = 1;  // the first individual founds species 1 without a draw
    abundance[1] = abundance[1] + 1.0f;
    for (int32_t j = 1; j < J; ++j) {
        const float fj = static_cast<float>(j);
        const float p = founding[j];
        float u, v;
        do {
            u = draw();
            v = u + p;
        } while (v >= 1.0f);  // the interval (u, v] must lie below 1
        const float w = draw();
        int32_t label;
        // One branch on both comparisons: w > u alone is a coin toss that the processor
        // would mispredict half the time, while a founding (w in (u, v]) is as rare as p.
        // The empty asm keeps the first comparison a value, so that the compiler cannot
        // split the test back into two branches.
        auto above = static_cast<uint32_t>(w > u);
        asm("" : "+r"(above));
        if (above & static_cast<uint32_t>(w <= v)) {
            label = ++run_species;
            if (label >= labels_held) [[unlikely]] {
                grow_urn_tables(tables, label);
                abundance = tables.abundance.data();
                labels_held = static_cast<int32_t>(tables.abundance.size());
            }
        } else {
            // Copy one of the j individuals already drawn, chosen uniformly by r.
            int32_t k;
            do {
                const float scaled = fj * draw();  // rounded on its own, then + 1
                k = static_cast<int32_t>(scaled + 1.0f);
            } while ((k < 1) | (k > j));
            label = sample[k - 1];
        }
        sample[j] = label;
        abundance[label] = abundance[label] + 1.0f;
    }
    tables.run_species = run_species;
}

// Ranks the run's species in decreasing order of abundance and adds their
// percentages of J into rank_sum.
void rank_urn_sample(UrnTables& tables);

// Sets the abundances of the last run's labels back to 0; entries above them were
// never set.
void clear_urn_tally(UrnTables& tables);

template <class Draw>
[[gnu::always_inline]] inline void urn_run(UrnTables& tables, Draw& draw) {
    clear_urn_tally(tables);
    draw_urn_sample(tables, draw);
    rank_urn_sample(tables);
}

// The mean percentage at ranks 1..nspecies: rank_sum divided by nruns in single precision.
std::vector<float> urn_rank_means(const UrnTables& tables, int32_t nruns);
