// Progress of a long job, shown on standard error when it is a terminal: the run, the
// share done, the time elapsed and an estimate of the time left, redrawn in place at
// most four times a second and erased at the end. When standard error is not a
// terminal nothing is ever written. Standard output and the files are never touched.
//
// tick() is meant for hot loops: it is one comparison until enough work has been done
// for the next look at the clock, which comes about every 50 milliseconds.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
public:
    // program: the name shown; total_work: units of work in the whole job (cycles,
    // individuals), counted by the caller from 0; show: whether to draw at all.
    Progress(const char* program, int64_t total_work, bool show = standard_error_is_terminal());
    static bool standard_error_is_terminal();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void tick(int64_t work_done, int32_t run, int32_t nruns) {
        if (work_done >= next_look_) look(work_done, run, nruns);
    }
    // Erases the line; nothing more is drawn afterwards.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void look(int64_t work_done, int32_t run, int32_t nruns);

    const char* program_;
    int64_t total_work_;
    int64_t next_look_;
    int64_t last_look_work_ = 0;
    Clock::time_point start_, last_look_, last_draw_;
    int drawn_length_ = 0;
};
