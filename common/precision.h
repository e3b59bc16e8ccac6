// Both programs are reproducible to the byte only if float and double are the IEEE-754
// binary32 and binary64 formats and every step is rounded on its own. Every module that
// does arithmetic that ends up in a file includes this header.
#pragma once

#include <limits>

static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4,
              "single-precision steps need IEEE-754 binary32 floats");
static_assert(std::numeric_limits<double>::is_iec559 && sizeof(double) == 8,
              "double-precision steps need IEEE-754 binary64 doubles");
static_assert(std::numeric_limits<float>::round_style == std::round_to_nearest,
              "rounding must be to nearest, ties to even");
