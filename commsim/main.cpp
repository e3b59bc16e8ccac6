// commsim: simulates a zero-sum local community of J individuals that receives
// immigrants from a metacommunity file, and writes a report of the mean
// rank-abundance curve, the number of species with n individuals and the Preston
// octaves over independent simulations.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "common/answers.h"
#include "common/failure.h"
#include "common/metafile.h"
#include "common/ran2.h"
#include "commsim/simulation.h"
#include "commsim/report.h"
#include "commsim/statistics.h"

namespace {
// Is the output name the metacommunity file itself, by name or through another path
// or a link? Opening it for writing would truncate it before anything is simulated.
bool is_same_file(std::FILE* meta_file, const std::string& meta_name, const std::string& out_name) {
    if (meta_name == out_name) return true;
    struct stat meta_info, out_info;
    if (fstat(fileno(meta_file), &meta_info) != 0) return false;
    if (stat(out_name.c_str(), &out_info) != 0) return false;  // does not exist yet
    return meta_info.st_dev == out_info.st_dev && meta_info.st_ino == out_info.st_ino;
}
}  // namespace

int main() {
    prompt("type number of independent simulations\n");
    const int32_t nruns = answer_int32(stdin, "number of independent simulations", INT32_MIN, INT32_MAX);
    prompt("type number of birth_death cycles\n");
    const int32_t icycles = answer_int32(stdin, "number of birth_death cycles", INT32_MIN, INT32_MAX);
    prompt("type size of the community\n");
    const int32_t J = answer_int32(stdin, "size of the community", 1, commsim_max_individuals);
    prompt("type number of deaths per cycle\n");
    const int32_t D = answer_int32(stdin, "number of deaths per cycle", INT32_MIN, INT32_MAX);
    // Each death needs a living individual: more deaths than individuals never end.
    if (D > J) {
        char range[96];
        std::snprintf(range, sizeof range, "at most %d deaths, the size of the community", J);
        reject_answer("number of deaths per cycle", range, std::to_string(D));
    }
    prompt("type probability of immigration per cycle (0<=m<=1) \n");
    const float m = answer_float(stdin, "probability of immigration",
                                 "a finite number (below 0 acts as 0, above 1 as 1)");
    // With D = J nobody survives to be a parent, so only an m above every draw
    // (1 - 2^-23; in practice m = 1) lets the refill end.
    if (D == J && !(m > ran2_constants::cap))
        fail("number of deaths per cycle: %d deaths in a community of %d leave no parent for "
             "a local birth; use fewer deaths, or m = 1 so that every vacancy takes an "
             "immigrant (got m = %g)",
             D, J, static_cast<double>(m));
    prompt("type seed for the random number generator\n"
           "(for generating the same sequence of random numbers,\n"
           " type always the same seed)\n");
    int32_t seed = answer_seed(stdin);
    prompt("type the name of the metacommunity file\n");
    const std::string meta_file_name = answer_file_name(stdin, "metacommunity file name");
    prompt("type name of output file\n");
    const std::string out_file_name = answer_file_name(stdin, "output file name");

    std::printf("\nINPUT PARAMETERS\n");
    std::printf("Number of independent simulations = %d \n", nruns);
    std::printf("Number of birth_death cycles = %d \n", icycles);
    std::printf("Size of the community = %ld \n", static_cast<long>(J));
    std::printf("Number of deaths per cycle = %ld \n", static_cast<long>(D));
    std::printf("Probability of immigration = %f \n", static_cast<double>(m));
    std::printf("Input file: %s \n", meta_file_name.c_str());
    std::printf("Output file: %s \n", out_file_name.c_str());
    std::printf("\nWORKING...\n\n");
    std::fflush(stdout);

    std::FILE* meta_file = std::fopen(meta_file_name.c_str(), "r");
    if (meta_file == nullptr) fail("error opening file %s", meta_file_name.c_str());
    // The metacommunity is read and checked completely before the report is opened, so
    // a bad file never truncates an existing report.
    Metacommunity meta;
    std::string fault;
    bool read_ok;
    try {
        read_ok = read_metacommunity(meta_file, meta, fault);
    } catch (const std::bad_alloc&) {
        fail("metacommunity file %s: too many species to hold in memory", meta_file_name.c_str());
    }
    if (!read_ok) fail("metacommunity file %s %s", meta_file_name.c_str(), fault.c_str());
    if (is_same_file(meta_file, meta_file_name, out_file_name))
        fail("output file %s is the metacommunity file; writing the report would destroy it",
             out_file_name.c_str());

    const std::size_t species = meta.values.size();
    CommsimState state;
    try {
        set_up_state(state, nruns, icycles, J, D, m, std::move(meta));
    } catch (const std::bad_alloc&) {
        fail("not enough memory for %zu species and a community of %d",
             species, J);
    }

    std::FILE* out_file = std::fopen(out_file_name.c_str(), "w");
    if (out_file == nullptr) fail("error opening file %s", out_file_name.c_str());

    {
        Ran2Stream draw(seed);  // the stream runs on from one simulation to the next
        Progress progress("commsim", simulation_work(nruns, icycles));
        int64_t work_done = 0;
        for (int32_t run = 0; run < nruns; ++run) {
            simulate_run(state, draw, progress, run, work_done);
            add_run_statistics(state);
        }
    }

    const bool written = write_report(out_file, state, meta_file_name.c_str());
    std::fclose(meta_file);
    close_written_file(out_file, written, out_file_name.c_str());
    return 0;
}
