#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <vector>

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

// The middle of several runs' figures (0 for none).
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
