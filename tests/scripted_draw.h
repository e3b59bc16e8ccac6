// A replay stream for tests: hands out chosen values in order, so a test can fix the
// exact draws a routine receives and check what it did with them.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "common/ran2.h"

class ScriptedDraw {
public:
    ScriptedDraw(std::initializer_list<float> values) : values_(values) {}
    float operator()() {
        if (next_ >= values_.size()) throw std::runtime_error("more draws than scripted");
        return values_[next_++];
    }
    std::size_t used() const { return next_; }
    std::size_t left() const { return values_.size() - next_; }

private:
    std::vector<float> values_;
    std::size_t next_ = 0;
};

// ran2 on a state word, counting the draws.
struct CountingRan2 {
    int32_t seed;
    long long draws = 0;
    float operator()() {
        ++draws;
        return ran2(&seed);
    }
};
