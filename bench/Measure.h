#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace skbench {

// Milliseconds one call of `work` takes.
template <typename Work> double timeMs(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

inline double median(std::vector<double> samples) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

struct Timings {
    double subject = 0;  // median, ms
    double baseline = 0; // median, ms
    double ratio() const { return baseline > 0 ? subject / baseline : 0; }
};

// Runs each side once to warm caches, then `reps` times alternately, so that a slow
// phase of the machine hits both sides alike; returns the medians. `prepare` runs
// before each call of either side, outside the timing.
template <typename Subject, typename Baseline, typename Prepare>
Timings compareMedians(int reps, Subject&& subject, Baseline&& baseline, Prepare&& prepare) {
    std::vector<double> a, b;
    prepare();
    subject();
    prepare();
    baseline();
    for (int i = 0; i < reps; ++i) {
        prepare();
        a.push_back(timeMs(subject));
        prepare();
        b.push_back(timeMs(baseline));
    }
    return {median(a), median(b)};
}

template <typename Subject, typename Baseline>
Timings compareMedians(int reps, Subject&& subject, Baseline&& baseline) {
    return compareMedians(reps, subject, baseline, [] {});
}

// One line of the report: the figure, its target, the raw numbers, PASS or OVER.
inline void reportLine(const std::string& label, double value, double target,
                       const std::string& details) {
    std::printf("%s: %.2f (target <= %g)  [%s]  %s\n", label.c_str(), value, target,
                details.c_str(), value <= target ? "PASS" : "OVER");
    std::fflush(stdout);
}

} // namespace skbench
