// The community dynamics written the straightforward way: a linear species search
// from species 0, a full copy of the community into the snapshot of parents, and a
// scan of all J slots for vacancies. Tests run it beside the simulator's own cycle and
// require the same communities, abundances and draws.
#pragma once

#include <cstdint>
#include <vector>

struct ReferenceCommunity {
    int32_t J = 0, D = 0;
    float m = 0.0f;
    std::vector<float> meta_cumulative;
    int32_t last_drawable_species = 0;
    std::vector<int32_t> community, parents;
    std::vector<float> abundance;
};

template <class Draw>
int32_t reference_draw_species(const ReferenceCommunity& c, Draw& draw) {
    const float r = draw();
    for (int32_t k = 0; k < static_cast<int32_t>(c.meta_cumulative.size()); ++k)
        if (r <= c.meta_cumulative[k]) return k;
    return c.last_drawable_species;
}

template <class Draw>
int32_t reference_draw_occupied_slot(const ReferenceCommunity& c, const std::vector<int32_t>& array,
                                     Draw& draw) {
    for (;;) {
        const auto slot = static_cast<int32_t>(static_cast<float>(c.J) * draw());
        if (array[slot] >= 0) return slot;
    }
}

template <class Draw>
void reference_fill(ReferenceCommunity& c, Draw& draw) {
    c.community.assign(c.J, -1);
    c.abundance.assign(c.meta_cumulative.size(), 0.0f);
    for (int32_t i = 0; i < c.J; ++i) {
        const int32_t s = reference_draw_species(c, draw);
        c.community[i] = s;
        c.abundance[s] = c.abundance[s] + 1.0f;
    }
}

template <class Draw>
void reference_cycle(ReferenceCommunity& c, Draw& draw) {
    for (int32_t d = 0; d < c.D; ++d) {
        const int32_t i = reference_draw_occupied_slot(c, c.community, draw);
        c.abundance[c.community[i]] = c.abundance[c.community[i]] - 1.0f;
        c.community[i] = -1;
    }
    c.parents = c.community;
    for (int32_t i = 0; i < c.J; ++i) {
        if (c.community[i] >= 0) continue;
        int32_t s;
        if (draw() >= c.m) {
            s = c.parents[reference_draw_occupied_slot(c, c.parents, draw)];
        } else {
            s = reference_draw_species(c, draw);
        }
        c.community[i] = s;
        c.abundance[s] = c.abundance[s] + 1.0f;
    }
}
