// The descending order that both programs hand to qsort (element size 4) to rank
// abundances and percentages from largest to smallest.
//
// Contract: every element is a float >= +0.0 (+infinity allowed), never NaN or -0.0.
// Such bit patterns, read as 32-bit integers, order exactly like the values, so the
// comparison is "second's bits minus first's bits". Equal values have equal bits, so the
// arrangement qsort gives to ties cannot be seen.
#pragma once

int longcmp(const void* first, const void* second);

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The same order for a hot loop: the sign of longcmp, inlined, with std::sort. Within
// the contract equal values have identical bits, so the sorted array is exactly the
// one qsort with longcmp gives.
inline void sort_descending(float* values, std::size_t n) {
    std::sort(values, values + n, [](float first, float second) {
        uint32_t a, b;
        std::memcpy(&a, &first, 4);
        std::memcpy(&b, &second, 4);
        return static_cast<int32_t>(a - b) > 0;  // longcmp(first, second) < 0
    });
}
