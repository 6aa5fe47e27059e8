// How long loading a whole data set takes and how much memory it needs, against
// reading and splitting the same files with nothing built from them.
#include "bench-summary.h"
#include "bench-support.h"
#include "data-set-generator.h"
#include "load-probe.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

// A folder whose "data-files/" is a data set, and the files a load reads.
struct DataSetPlace {
    std::string name;
    std::string key;     // orders the summary lines
    std::string workdir; // the load runs with this as working directory
    std::vector<std::string> files;
    size_t bytes = 0;
    LoadProbe memory; // measured once, in a fresh process
};

void describe(DataSetPlace& place) {
    place.files = data_set_files(place.workdir + "/data-files");
    for (auto& f : place.files)
        place.bytes += file_size(f);
    place.memory = probe_load_in_child(place.workdir);
}

DataSetPlace& shipped() {
    static DataSetPlace place = [] {
        DataSetPlace p;
        p.name = "shipped";
        p.key = "load-1-";
        p.workdir = TAVRO_SOURCE_DIR;
        if (access((p.workdir + "/data-files").c_str(), R_OK) == 0) describe(p);
        return p;
    }();
    return place;
}

DataSetPlace& generated() {
    static ScratchDir dir("load-bench");
    static DataSetPlace place = [] {
        DataSetPlace p;
        p.name = "generated";
        p.key = "load-2-";
        p.workdir = dir.path();
        if (write_data_set(p.workdir + "/data-files", large_data_set_shape())) describe(p);
        return p;
    }();
    return place;
}

void bench_read_split(benchmark::State& state, DataSetPlace& place) {
    if (place.files.empty()) {
        state.SkipWithError("no data set there");
        return;
    }
    ReadFigures fig;
    PassTimer timer;
    for (auto _ : state) {
        timer.start();
        fig = read_and_split(place.files);
        timer.stop();
    }
    note_seconds_per_pass("split-" + place.name, timer.best());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * place.bytes));
    state.counters["lines"] = static_cast<double>(fig.lines);
    summary_note(place.key + "1", format("%s data set: %zu files, %.2f MB, %zu lines, %zu fields",
                                         place.name.c_str(), place.files.size(), place.bytes / 1e6,
                                         fig.lines, fig.fields));
    summary_note(place.key + "2",
                 format("  read + split every line:   %8.2f ms best, %8.2f ms mean",
                        timer.best() * 1e3, timer.mean() * 1e3));
}

void bench_load(benchmark::State& state, DataSetPlace& place) {
    if (place.files.empty()) {
        state.SkipWithError("no data set there");
        return;
    }
    if (chdir(place.workdir.c_str()) != 0) {
        state.SkipWithError("can't enter the data set's folder");
        return;
    }
    bool complete = false, ok = true;
    PassTimer timer;
    {
        QuietStdout quiet; // the loader's "Using data in" line, once per pass
        for (auto _ : state) {
            timer.start();
            std::optional<LoadedDataSet> loaded(std::in_place);
            timer.stop();
            ok = ok && loaded->ok;
            complete = loaded->complete;
            // Freeing the tables is not part of loading them.
            state.PauseTiming();
            loaded.reset();
            state.ResumeTiming();
        }
    }
    if (!ok) {
        state.SkipWithError("read_data_files failed");
        summary_note(place.key + "3", "  LOAD FAILED (read_data_files gave an error)");
        return;
    }
    double split = seconds_per_pass("split-" + place.name);
    double ratio = split > 0 ? timer.best() / split : 0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * place.bytes));
    state.counters["x_read_split"] = ratio;
    state.counters["peak_rss_MiB"] = place.memory.peak_rss_kib / 1024.0;
    state.counters["heap_kept_MiB"] = place.memory.heap_bytes / 1048576.0;
    summary_note(place.key + "3",
                 format("  load (read_data_files):    %8.2f ms best, %8.2f ms mean%s",
                        timer.best() * 1e3, timer.mean() * 1e3,
                        complete ? "" : "  PARTIAL: not every reader is loaded yet"));
    summary_note(place.key + "4",
                 format("  load / read+split time (best passes): %.2f x  (goal: at most 4 x) %s",
                        ratio, ratio <= 4 ? "OK" : "OVER"));
    summary_note(place.key + "5",
                 format("  first load in a fresh process: %.2f ms; its memory: peak RSS +%.1f MiB "
                        "(ru_maxrss delta), heap kept by the readers %.1f MiB (mallinfo2)",
                        place.memory.seconds * 1e3, place.memory.peak_rss_kib / 1024.0,
                        place.memory.heap_bytes / 1048576.0));
}

void BM_ReadSplitShipped(benchmark::State& state) {
    bench_read_split(state, shipped());
}
void BM_LoadShipped(benchmark::State& state) {
    bench_load(state, shipped());
}
void BM_ReadSplitGenerated(benchmark::State& state) {
    bench_read_split(state, generated());
}
void BM_LoadGenerated(benchmark::State& state) {
    bench_load(state, generated());
}

} // namespace

// Each load runs after the read + split of the same files, for the ratio.
BENCHMARK(BM_ReadSplitShipped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadShipped)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadSplitGenerated)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadGenerated)->Unit(benchmark::kMillisecond)->UseRealTime();
