#pragma once

#include <sys/resource.h>

#include <chrono>

// Wall time and peak memory, as every benchmark reports them.
using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Peak resident memory of this process so far, in KiB.
inline long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
