// Fuzz target for the metacommunity file reader: the input is a file from anywhere.
// An accepted file must give what the simulator relies on: n >= 1 values, all finite
// and >= 0, a total that is their single-precision sum in file order, positive and
// finite; cumulative shares that never decrease; and species draws that find the
// species a scan from species 0 finds, never one past the last.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/metafile.h"
#include "common/ran2.h"
#include "commsim/dynamics.h"

namespace {
[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

int32_t scanned_species(const CommsimState& state, float r) {
    for (int32_t k = 0; k < state.nspecies; ++k)
        if (r <= state.meta_cumulative[k]) return k;
    return state.last_drawable_species;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (in == nullptr) return 0;
    Metacommunity meta;
    std::string error;
    const bool accepted = read_metacommunity(in, meta, error);
    std::fclose(in);
    if (!accepted) {
        if (error.empty()) broken("refused without a message");
        return 0;
    }
    if (meta.values.empty()) broken("no values");
    float total = 0.0f;
    for (const float value : meta.values) {
        if (!std::isfinite(value) || !(value >= 0.0f)) broken("a value is negative or not finite");
        total = total + value;
    }
    if (!(meta.total > 0.0f) || !std::isfinite(meta.total)) broken("total not positive and finite");
    if (total != meta.total) broken("total is not the sum in file order");

    CommsimState state;
    set_up_state(state, 1, 0, 1, 0, 0.0f, std::move(meta));
    for (int32_t k = 0; k < state.nspecies; ++k) {
        if (!std::isfinite(state.meta_cumulative[k])) broken("cumulative share not finite");
        if (k > 0 && state.meta_cumulative[k] < state.meta_cumulative[k - 1]) broken("cumulative share decreases");
    }
    // Draws at the ends of the range, at and around each share, and from the stream.
    auto check = [&](float r) {
        if (!(r >= ran2_constants::smallest && r <= ran2_constants::cap)) return;
        auto draw = [r] { return r; };
        const int32_t k = draw_species(state, draw);
        if (k < 0 || k >= state.nspecies) broken("species draw outside the species");
        if (k != scanned_species(state, r)) broken("species draw differs from the scan");
    };
    check(ran2_constants::smallest);
    check(ran2_constants::cap);
    for (int32_t k = 0; k < state.nspecies && k < 2000; ++k) {
        const float share = state.meta_cumulative[k];
        check(share);
        check(std::nextafter(share, 0.0f));
        check(std::nextafter(share, 1.0f));
    }
    int32_t seed = -static_cast<int32_t>(size + 1);
    for (int i = 0; i < 200; ++i) check(ran2(&seed));
    return 0;
}
