// The metacommunity file: the only thing that passes from metagen to commsim.
//
// Layout: the count n of species, then n values, as text in the POSIX locale. The writer
// puts the count on the first line with "%d" and each value on a line of its own with
// "%f" (the float widened to double). The reader takes the same numbers separated by any
// white space, so several values per line, blank lines and CR LF line ends all read the
// same; whatever follows the n-th value is never read.
//
// The values are relative weights: the reader's user divides each by their total.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/precision.h"

// Writes the count and the values. False if any write failed; the caller closes the
// stream and must check that too.
bool write_metacommunity(std::FILE* out, int32_t count, const float* values);

struct Metacommunity {
    std::vector<float> values;  // the file's values in file order, species 0 first
    float total = 0.0f;         // their sum, added in file order in single precision
};

// Reads a metacommunity and checks what its users rely on: a count of at least 1, that
// many values, each a finite number >= 0, and a total above 0 that is finite in single
// precision. On failure returns false and says what is wrong in `error` (a phrase that
// follows the file's name). Memory grows with the values actually present, so a count
// far beyond the file's contents is refused without allocating for it.
bool read_metacommunity(std::FILE* in, Metacommunity& meta, std::string& error);
