#include "common/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {
constexpr double look_interval = 0.05;  // seconds between looks at the clock
constexpr double draw_interval = 0.25;  // seconds between redraws

void format_duration(double seconds, char* text, std::size_t size) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    if (whole >= 3600)
        std::snprintf(text, size, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, size, "%lld:%02lld", whole / 60, whole % 60);
}
}  // namespace

bool Progress::standard_error_is_terminal() { return isatty(STDERR_FILENO) == 1; }

Progress::Progress(const char* program, int64_t total_work, bool show)
    : program_(program),
      total_work_(std::max<int64_t>(total_work, 1)),
      next_look_(show ? 1 : std::numeric_limits<int64_t>::max()),
      start_(Clock::now()),
      last_look_(start_),
      last_draw_(start_) {}

Progress::~Progress() { finish(); }

void Progress::look(int64_t work_done, int32_t run, int32_t nruns) {
    const Clock::time_point now = Clock::now();
    const double since_look = std::chrono::duration<double>(now - last_look_).count();
    // Work until the next look, from the pace since the last one.
    const double pace = since_look > 0 ? (work_done - last_look_work_) / since_look : 0.0;
    const auto step = static_cast<int64_t>(std::clamp(pace * look_interval, 1.0, 1e15));
    last_look_ = now;
    last_look_work_ = work_done;
    next_look_ = work_done + step;
    if (std::chrono::duration<double>(now - last_draw_).count() < draw_interval) return;
    last_draw_ = now;

    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double share = std::min(1.0, static_cast<double>(work_done) / static_cast<double>(total_work_));
    char elapsed_text[32], left_text[32];
    format_duration(elapsed, elapsed_text, sizeof elapsed_text);
    if (share > 0) format_duration(elapsed / share - elapsed, left_text, sizeof left_text);
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%s: run %d of %d, %5.1f%% done, %s elapsed, %s%s left",
                                     program_, run, nruns, 100.0 * share, elapsed_text,
                                     share > 0 ? "about " : "", share > 0 ? left_text : "unknown time");
    // Pad over what the previous line showed beyond this one.
    std::fprintf(stderr, "\r%s%*s", line, std::max(0, drawn_length_ - length), "");
    std::fflush(stderr);
    drawn_length_ = std::max(drawn_length_, length);
}

void Progress::finish() {
    next_look_ = std::numeric_limits<int64_t>::max();
    if (drawn_length_ == 0) return;
    // Blank the line and return to its start.
    std::fprintf(stderr, "\r%*s\r", drawn_length_, "");
    std::fflush(stderr);
    drawn_length_ = 0;
}
