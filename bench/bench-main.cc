// tavro-bench: the CSV reader and data-set loading benchmarks, followed by a
// summary of the figures that matter. "--probe-load FOLDER" is the helper mode
// in which the load benchmark measures the memory of one load.
#include "bench-summary.h"
#include "bench-support.h"
#include "load-probe.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <giomm/init.h>
#include <map>
#include <unistd.h>

namespace {
std::map<std::string, std::string>& notes() {
    static std::map<std::string, std::string> n;
    return n;
}
std::map<std::string, double>& passes() {
    static std::map<std::string, double> p;
    return p;
}
} // namespace

void summary_note(const std::string& key, const std::string& line) {
    notes()[key] = line;
}
void note_seconds_per_pass(const std::string& key, double s) {
    passes()[key] = s;
}
double seconds_per_pass(const std::string& key) {
    auto it = passes().find(key);
    return it == passes().end() ? 0 : it->second;
}

void print_summary() {
    printf("\n===== Summary =====\n");
    for (auto& [key, line] : notes())
        printf("%s\n", line.c_str());
}

int main(int argc, char** argv) {
    // A data set downloaded into the user's own folders must not take the
    // installed set's place: give the run folders of its own, before anything
    // asks GLib for them.
    ScratchDir home("bench-home");
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").c_str(), 1);

    Gio::init(); // the loader asks Gio about the user's data folder

    if (argc == 3 && strcmp(argv[1], "--probe-load") == 0) return run_load_probe(argv[2]);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    print_summary();
    // Leave the scratch folders before they are removed.
    if (chdir("/") != 0) perror("chdir");
    return 0;
}
