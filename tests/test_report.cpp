#include "commsim/report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commsim/statistics.h"

namespace {
CommsimState state_for(int32_t nruns, int32_t nspecies, int32_t J, int32_t D, float m) {
    Metacommunity meta;
    meta.values.assign(nspecies, 1.0f);
    meta.total = static_cast<float>(nspecies);
    CommsimState state;
    set_up_state(state, nruns, 1000, J, D, m, std::move(meta));
    return state;
}

// The report as text; the characters printf gives a not-a-number are the C library's
// ("-nan" or "nan"), so they are shown as "nan".
std::string report_of(CommsimState& state, const char* meta_name = "meta.txt") {
    std::FILE* out = std::tmpfile();
    EXPECT_TRUE(write_report(out, state, meta_name));
    std::rewind(out);
    std::string text;
    for (int c = std::getc(out); c != EOF; c = std::getc(out)) text.push_back(static_cast<char>(c));
    std::fclose(out);
    for (std::size_t at; (at = text.find("-nan")) != std::string::npos;) text.erase(at, 1);
    return text;
}

const std::string header_of_2_runs =
    "input file meta.txt \nnruns= 2 \nicycles= 1000 \nJ= 10 \nD= 3 \nM= 0.100000 \n\n\n\n";

std::string tables(const std::string& ranks, const std::string& classes, const std::string& octaves) {
    return "The mean dominance-diversity curve\nRank Mean Var SD\n" + ranks +
           "\n\n\nNumber of species with n individuals\nnumber_of_ind Mean Var SD\n" + classes +
           "\n\n\nMean Preston distribution of relative abundance\nabund_cls Mean Var SD\n" + octaves;
}

void run_ends(CommsimState& state, std::vector<float> abundance) {
    state.abundance = std::move(abundance);
    add_run_statistics(state);
}
}  // namespace

TEST(Report, TwoRunExample) {
    CommsimState state = state_for(2, 5, 10, 3, 0.1f);
    run_ends(state, {3, 0, 6, 1, 0});
    run_ends(state, {0, 5, 0, 0, 5});
    EXPECT_EQ(report_of(state),
              header_of_2_runs +
                  tables("1 55.000000 50.000000 7.071068\n"
                         "2 40.000000 200.000000 14.142136\n"
                         "3 5.000000 50.000000 7.071068\n",
                         "1 0.500000 0.500000 0.707107\n"
                         "3 0.500000 0.500000 0.707107\n"
                         "5 1.000000 2.000000 1.414214\n"
                         "6 0.500000 0.500000 0.707107\n",
                         "1.000000 0.250000 0.125000 0.353553\n"
                         "2.000000 0.250000 0.125000 0.353553\n"
                         "4.000000 0.500000 0.500000 0.707107\n"
                         "8.000000 1.500000 0.500000 0.707107\n"));
    EXPECT_EQ(state.rank_mean[1], 40.0f);
    EXPECT_EQ(state.class_sum[4], 1.0f);  // the class means replace the sums
    EXPECT_EQ(state.octave_var[3], 0.5f);
}

// Every run the same: the one-pass estimator leaves a residue of either sign.
TEST(Report, FiveIdenticalRunsLeaveANegativeResidue) {
    CommsimState state = state_for(5, 2, 1000, 10, 0.5f);
    for (int run = 0; run < 5; ++run) run_ends(state, {333, 667});
    const std::string report = report_of(state);
    const std::string expected_tables = tables(
        "1 66.699997 0.000000 0.000000\n"
        "2 33.299999 -0.000122 nan\n",
        "333 1.000000 0.000000 0.000000\n"
        "667 1.000000 0.000000 0.000000\n",
        "512.000000 1.000000 0.000000 0.000000\n"
        "1024.000000 1.000000 0.000000 0.000000\n");
    EXPECT_EQ(report.substr(report.size() - expected_tables.size()), expected_tables);
}

TEST(Report, OneRunHasNanVariances) {
    CommsimState state = state_for(1, 3, 4, 1, 0.0f);
    run_ends(state, {3, 1, 0});
    const std::string report = report_of(state);
    const std::string expected_tables = tables(
        "1 75.000000 nan nan\n2 25.000000 nan nan\n",
        "1 1.000000 nan nan\n3 1.000000 nan nan\n",
        "1.000000 0.500000 nan nan\n2.000000 0.500000 nan nan\n4.000000 1.000000 nan nan\n");
    EXPECT_EQ(report.substr(report.size() - expected_tables.size()), expected_tables);
}

TEST(Report, NoRunsGiveOnlyTheHeadings) {
    for (const int32_t nruns : {0, -3}) {
        CommsimState state = state_for(nruns, 3, 4, 1, 0.25f);
        const std::string expected = "input file meta.txt \nnruns= " + std::to_string(nruns) +
                                     " \nicycles= 1000 \nJ= 4 \nD= 1 \nM= 0.250000 \n\n\n\n" +
                                     tables("", "", "");
        EXPECT_EQ(report_of(state), expected);
    }
}

// The SD is the double square root of the single variance, not rounded to single.
TEST(Report, StandardDeviationIsTheUnroundedDoubleRoot) {
    CommsimState state = state_for(2, 1, 1, 0, 0.0f);
    state.rank_sum[0] = 20.0f;      // mean 10
    state.rank_sumsq[0] = 1200.0f;  // var (1200 - 2 * 10 * 10) / 1 = 1000
    const std::string report = report_of(state);
    EXPECT_NE(report.find("\n1 10.000000 1000.000000 31.622777\n"), std::string::npos) << report;
}

TEST(Report, ReportsAFailedWrite) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    CommsimState state = state_for(0, 1, 1, 0, 0.0f);
    EXPECT_FALSE(write_report(full, state, "meta.txt"));
    std::fclose(full);
}
