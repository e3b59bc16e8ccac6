// The simulation report: six parameter lines, then three tables (ranks, number of
// species with n individuals, Preston octaves), each row giving the mean over the
// simulations, the sample variance (divisor nruns - 1) and the standard deviation.
// Rows whose mean is not above 0 are left out. Tables are separated by three empty
// lines. Values that are not a number are written by "%f" like any other.
#pragma once

#include <cstdio>

#include "commsim/state.h"

// Writes the whole report in one pass. False if a write failed; the caller closes the
// stream and must check that too.
bool write_report(std::FILE* out, CommsimState& state, const char* meta_file_name);
