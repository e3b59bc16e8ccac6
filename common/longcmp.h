// The descending order that both programs hand to qsort (element size 4) to rank
// abundances and percentages from largest to smallest.
//
// Contract: every element is a float >= +0.0 (+infinity allowed), never NaN or -0.0.
// Such bit patterns, read as 32-bit integers, order exactly like the values, so the
// comparison is "second's bits minus first's bits". Equal values have equal bits, so the
// arrangement qsort gives to ties cannot be seen.
#pragma once

int longcmp(const void* first, const void* second);
