// metagen: draws urn samples with diversity parameter theta and writes their averaged
// rank-abundance curve as a metacommunity file for commsim.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "common/answers.h"
#include "common/failure.h"
#include "common/metafile.h"
#include "common/progress.h"
#include "common/ran2.h"
#include "metagen/urn.h"

int main() {
    prompt("Input theta\n");
    const float theta = answer_float(
        stdin, "theta",
        "a number from -1 to about 1.68e7 (theta/(1 + theta) must stay below 1 in single "
        "precision)",
        theta_is_valid);
    prompt("Input number of individuals\n");
    const int32_t J = answer_int32(stdin, "number of individuals", 1, urn_max_individuals);
    prompt("Input number of runs\n");
    const int32_t nruns = answer_int32(stdin, "number of runs", INT32_MIN, INT32_MAX);
    prompt("Type seed for the random number generator\n"
           "(for generating the same sequence of random numbers,\n"
           " type the same seed)\n");
    int32_t seed = answer_seed(stdin);
    prompt("Type output file name ");
    const std::string out_name = answer_file_name(stdin, "output file name");

    std::printf("\nINPUT PARAMETERS\n");
    std::printf("theta= %f \n", static_cast<double>(theta));
    std::printf("number of individuals = %ld \n", static_cast<long>(J));
    std::printf("number of independent simulations = %d \n", nruns);
    std::printf("output file: %s \n", out_name.c_str());
    std::printf("\nWORKING...\n\n");
    std::fflush(stdout);

    // The tables are obtained before the file is opened, so a failure leaves it as it was.
    UrnTables tables;
    try {
        urn_prepare(tables, J, theta);
    } catch (const std::bad_alloc&) {
        fail("not enough memory for a sample of %d individuals", J);
    }

    std::FILE* out = std::fopen(out_name.c_str(), "w");
    if (out == nullptr) fail("error opening file %s", out_name.c_str());

    {
        Ran2Stream draw(seed);  // the stream runs on from run to run
        Progress progress("metagen", static_cast<int64_t>(std::max(nruns, 0)) * J);
        for (int32_t run = 0; run < nruns; ++run) {
            urn_run(tables, draw);
            progress.tick(static_cast<int64_t>(run + 1) * J, run + 1, nruns);
        }
    }

    const std::vector<float> means = urn_rank_means(tables, nruns);
    close_written_file(out, write_metacommunity(out, tables.nspecies, means.data()), out_name.c_str());
    return 0;
}
