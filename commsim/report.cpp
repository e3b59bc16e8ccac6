#include "commsim/report.h"

#include <cmath>
#include <cstdint>

namespace {
// The row estimator shared by the three tables. Returns false for a row that is left
// out (a mean that is not above 0, which a not-a-number fails as well).
struct Row {
    float mean;
    float var;
    double sd;
};

bool estimate_row(float sum, float sumsq, int32_t nruns, Row& row) {
    const auto N = static_cast<float>(nruns);
    row.mean = sum / N;
    if (!(row.mean > 0.0f)) return false;
    const float scaled = N * row.mean;            // two single products, then a
    const float square = scaled * row.mean;       // single subtraction: the one-pass
    const float numerator = sumsq - square;       // estimator, residue of either sign
    row.var = static_cast<float>(static_cast<double>(numerator) /
                                 (static_cast<double>(nruns) - 1.0));
    row.sd = std::sqrt(static_cast<double>(row.var));  // written unrounded
    return true;
}

void write_separator(std::FILE* out) { std::fprintf(out, "\n\n\n"); }

// One table: rows 0..n-1 in increasing order, each "first column" then
// "%f %f %f\n" of mean, var and SD. Means and variances are stored for the rows.
template <class FirstColumn>
void write_rows(std::FILE* out, int32_t n, const float* sum, const float* sumsq, int32_t nruns,
                float* mean, float* var, FirstColumn first_column) {
    Row row;
    for (int32_t i = 0; i < n; ++i) {
        const bool written = estimate_row(sum[i], sumsq[i], nruns, row);
        mean[i] = row.mean;
        if (!written) continue;
        var[i] = row.var;
        first_column(i);
        std::fprintf(out, "%f %f %f\n", static_cast<double>(row.mean),
                     static_cast<double>(row.var), row.sd);
    }
}
}  // namespace

bool write_report(std::FILE* out, CommsimState& state, const char* meta_file_name) {
    std::fprintf(out, "input file %s \n", meta_file_name);
    std::fprintf(out, "nruns= %d \n", state.nruns);
    std::fprintf(out, "icycles= %d \n", state.icycles);
    std::fprintf(out, "J= %ld \n", static_cast<long>(state.J));
    std::fprintf(out, "D= %ld \n", static_cast<long>(state.D));
    std::fprintf(out, "M= %f \n", static_cast<double>(state.m));

    write_separator(out);
    std::fprintf(out, "The mean dominance-diversity curve\n");
    std::fprintf(out, "Rank Mean Var SD\n");
    write_rows(out, state.nspecies, state.rank_sum.data(), state.rank_sumsq.data(), state.nruns,
               state.rank_mean.data(), state.rank_var.data(),
               [&](int32_t i) { std::fprintf(out, "%d ", i + 1); });

    write_separator(out);
    std::fprintf(out, "Number of species with n individuals\n");
    std::fprintf(out, "number_of_ind Mean Var SD\n");
    // The class means are written over the class sums.
    write_rows(out, state.J, state.class_sum.data(), state.class_sumsq.data(), state.nruns,
               state.class_sum.data(), state.class_var.data(),
               [&](int32_t i) { std::fprintf(out, "%d ", i + 1); });

    write_separator(out);
    std::fprintf(out, "Mean Preston distribution of relative abundance\n");
    std::fprintf(out, "abund_cls Mean Var SD\n");
    write_rows(out, octave_classes, state.octave_sum, state.octave_sumsq, state.nruns,
               state.octave_mean, state.octave_var, [&](int32_t k) {
                   std::fprintf(out, "%f ", static_cast<double>(state.octave_bound[k]));
               });
    std::fflush(out);
    return !std::ferror(out);
}
