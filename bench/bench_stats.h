#pragma once
// Figures measured over several rounds: each benchmark prints the least, the median and the
// greatest of its rounds, and its ratios as the same three of the per-round ratios (ours over
// plain SQL run in the same round, so both sides meet the same machine load).
//
// Beside the elapsed time the benchmarks note the processor time of the process (user and
// system): on a disk whose flushes are slow the elapsed time of both sides is mostly waiting for
// them, and the processor time shows what the work itself costs, as a disk with fast flushes
// would.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process so far, in milliseconds.
inline double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Elapsed and processor time of one measurement.
struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
};

// Elapsed and processor time from its construction.
class Stopwatch {
  public:
    Stopwatch() : wall_(Clock::now()), cpu_(bench::cpuMs()) {}
    double wallMs() const { return msSince(wall_); }
    double cpuMs() const { return bench::cpuMs() - cpu_; }
    Sample sample() const { return {wallMs(), cpuMs()}; }

  private:
    Clock::time_point wall_;
    double cpu_;
};

class Series {
  public:
    void add(double v) { values_.push_back(v); }
    size_t size() const { return values_.size(); }
    double operator[](size_t i) const { return values_[i]; }
    double min() const {
        return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end());
    }
    double max() const {
        return values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end());
    }
    // The middle value; of an even count, the mean of the two middle ones.
    double median() const {
        if (values_.empty()) return 0;
        std::vector<double> v = values_;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

  private:
    std::vector<double> values_;
};

// Round by round, ours over plain.
inline Series ratios(const Series& ours, const Series& plain) {
    Series r;
    for (size_t i = 0; i < ours.size() && i < plain.size(); ++i)
        if (plain[i] > 0) r.add(ours[i] / plain[i]);
    return r;
}

// "label   min X  median Y  max Z unit"
inline void print(const char* label, const Series& s, const char* unit = "") {
    std::printf("%-24s min %9.2f  median %9.2f  max %9.2f %s\n", label, s.min(), s.median(),
                s.max(), unit);
}

// Elapsed and processor time of one side, round by round.
struct Timings {
    Series wall, cpu;
    void add(const Sample& s) {
        wall.add(s.wallMs);
        cpu.add(s.cpuMs);
    }
};

// Prints both sides' elapsed and processor times and the per-round ratios of each, labelled
// "<what> <side>"; returns the per-round ratios of the elapsed times.
inline Series compare(const std::string& what, const std::string& oursName, const Timings& ours,
                      const std::string& plainName, const Timings& plain) {
    print((what + " " + oursName).c_str(), ours.wall, "ms");
    print((what + " " + plainName).c_str(), plain.wall, "ms");
    print((what + " " + oursName + " cpu").c_str(), ours.cpu, "ms");
    print((what + " " + plainName + " cpu").c_str(), plain.cpu, "ms");
    print((what + " cpu ratio").c_str(), ratios(ours.cpu, plain.cpu));
    const Series wall = ratios(ours.wall, plain.wall);
    print((what + " ratio").c_str(), wall);
    return wall;
}

}  // namespace bench
