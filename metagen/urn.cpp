#include "metagen/urn.h"

#include <algorithm>
#include <cstdlib>

#include "common/longcmp.h"

bool theta_is_valid(float theta) {
    return theta >= -1.0f && theta / (1.0f + theta) < 1.0f;
}

void urn_prepare(UrnTables& tables, int32_t J, float theta) {
    tables.abundance.assign(urn_table_entries, 0.0f);
    tables.rank_sum.assign(urn_table_entries, 0.0f);
    tables.sample.assign(static_cast<std::size_t>(J), 0);
    tables.founding.assign(static_cast<std::size_t>(J), 0.0f);
    for (int32_t j = 1; j < J; ++j) {
        const float fj = static_cast<float>(j);
        tables.founding[j] = theta / (fj + theta);  // single-precision add and divide
    }
    tables.percent_of.assign(static_cast<std::size_t>(J) + 1, 0.0f);
    for (int32_t a = 0; a <= J; ++a)
        tables.percent_of[a] = static_cast<float>(static_cast<double>(a) * 100.0 / static_cast<double>(J));
    tables.nspecies = 0;
    tables.run_species = 0;
}

void grow_urn_tables(UrnTables& tables, int32_t label) {
    const auto needed = static_cast<std::size_t>(label) + 1;
    const std::size_t grown = std::max(needed, 2 * tables.abundance.size());
    tables.abundance.resize(grown, 0.0f);
    tables.rank_sum.resize(grown, 0.0f);
}

void clear_urn_tally(UrnTables& tables) {
    std::fill_n(tables.abundance.begin() + 1, tables.run_species, 0.0f);
}

void rank_urn_sample(UrnTables& tables) {
    const int32_t run_species = tables.run_species;
    float* abundance = tables.abundance.data();
    sort_descending(abundance + 1, static_cast<std::size_t>(run_species));
    const float* percent_of = tables.percent_of.data();
    for (int32_t i = 0; i < run_species; ++i) {
        // The abundance is a whole number of individuals, exact in single precision.
        const float percent = percent_of[static_cast<int32_t>(abundance[i + 1])];
        tables.rank_sum[i] = tables.rank_sum[i] + percent;
    }
    tables.nspecies = std::max(tables.nspecies, run_species);
}

std::vector<float> urn_rank_means(const UrnTables& tables, int32_t nruns) {
    const auto runs = static_cast<float>(nruns);
    std::vector<float> means(static_cast<std::size_t>(tables.nspecies));
    for (int32_t i = 0; i < tables.nspecies; ++i) means[i] = tables.rank_sum[i] / runs;
    return means;
}
