// The urn written the straightforward way: one draw at a time, p and the percentages
// worked out where they are used, qsort with longcmp. Tests and the benchmark's
// comparison run it beside metagen's own urn.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "common/longcmp.h"
#include "metagen/urn.h"

template <class Draw>
void reference_urn_sample(UrnTables& tables, float theta, Draw& draw) {
    int32_t* sample = tables.sample.data();
    const auto J = static_cast<int32_t>(tables.sample.size());
    int32_t run_species = 1;
    sample[0] = 1;
    for (int32_t j = 1; j < J; ++j) {
        const float fj = static_cast<float>(j);
        const float p = theta / (fj + theta);
        float u, v;
        do {
            u = draw();
            v = u + p;
        } while (v >= 1.0f);
        const float w = draw();
        if (w > u && w <= v) {
            sample[j] = ++run_species;
        } else {
            int32_t k;
            do {
                const float scaled = fj * draw();
                k = static_cast<int32_t>(scaled + 1.0f);
            } while (k < 1 || k > j);
            sample[j] = sample[k - 1];
        }
    }
    tables.run_species = run_species;
}

// One run on tables from urn_prepare: all 10000 abundance entries cleared, sample,
// tally, qsort, percentages in double, rank sums.
template <class Draw>
void reference_urn_run(UrnTables& tables, float theta, Draw& draw) {
    std::fill(tables.abundance.begin(), tables.abundance.end(), 0.0f);
    reference_urn_sample(tables, theta, draw);
    const int32_t run_species = tables.run_species;
    const auto needed = static_cast<std::size_t>(run_species) + 1;
    if (tables.abundance.size() < needed) {
        tables.abundance.resize(needed, 0.0f);
        tables.rank_sum.resize(needed, 0.0f);
    }
    float* abundance = tables.abundance.data();
    for (const int32_t label : tables.sample) abundance[label] = abundance[label] + 1.0f;
    std::qsort(abundance + 1, static_cast<std::size_t>(run_species), sizeof(float), longcmp);
    const auto J = static_cast<double>(tables.sample.size());
    for (int32_t i = 0; i < run_species; ++i) {
        const auto percent = static_cast<float>(static_cast<double>(abundance[i + 1]) * 100.0 / J);
        tables.rank_sum[i] = tables.rank_sum[i] + percent;
    }
    if (run_species > tables.nspecies) tables.nspecies = run_species;
}
