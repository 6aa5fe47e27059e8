// Figures the benchmarks leave for the closing summary of a run.
#pragma once

#include <chrono>
#include <limits>
#include <string>

// Records one summary line under a key; a later call with the same key (a
// benchmark is run several times while its iteration count is chosen) replaces it.
void summary_note(const std::string& key, const std::string& line);
void print_summary();

// Seconds of a benchmark's last run per iteration, for ratios between benchmarks
// of the same run; 0 when that benchmark hasn't run.
void note_seconds_per_pass(const std::string& key, double seconds);
double seconds_per_pass(const std::string& key);

// Times every pass of a benchmark loop. Other work on the machine only ever
// adds time, so the best pass is the steadiest figure for comparisons; the mean
// is reported beside it.
class PassTimer {
public:
    void start() { began = std::chrono::steady_clock::now(); }
    void stop() {
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (s < best_s) best_s = s;
        total += s;
        ++passes;
    }
    double best() const { return passes ? best_s : 0; }
    double mean() const { return passes ? total / passes : 0; }

private:
    std::chrono::steady_clock::time_point began;
    double best_s = std::numeric_limits<double>::infinity();
    double total = 0;
    long passes = 0;
};
