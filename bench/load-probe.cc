#include "load-probe.h"

#include "bench-support.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-views.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <optional>
#include <unistd.h>

namespace {

bool all_loaded(const MyAppCore& app) {
    return app.data_file_info && app.data_defs && app.data_params && app.region_info &&
           app.habitat_info && app.abundance_choices && app.species_views;
}

} // namespace

LoadedDataSet::LoadedDataSet() {
    ok = app.read_data_files() == RC_OK;
    complete = all_loaded(app);
}

LoadedDataSet::~LoadedDataSet() = default;

int run_load_probe(const std::string& workdir) {
    if (chdir(workdir.c_str()) != 0) return 1;
    malloc_trim(0);
    long rss0 = peak_rss_kib();
    size_t heap0 = heap_in_use();
    auto start = std::chrono::steady_clock::now();
    std::optional<LoadedDataSet> loaded;
    {
        QuietStdout quiet;
        loaded.emplace();
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    size_t heap1 = heap_in_use();
    long rss1 = peak_rss_kib();
    printf("LOADPROBE %d %.6f %ld %zu\n", loaded->ok ? 1 : 0, seconds, rss1 - rss0,
           heap1 > heap0 ? heap1 - heap0 : 0);
    return loaded->ok ? 0 : 1;
}

LoadProbe probe_load_in_child(const std::string& workdir) {
    LoadProbe probe;
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return probe;
    exe[n] = '\0';
    std::string cmd = std::string("'") + exe + "' --probe-load '" + workdir + "'";
    FILE* child = popen(cmd.c_str(), "r");
    if (!child) return probe;
    char line[512];
    while (fgets(line, sizeof line, child)) {
        int ok = 0;
        if (sscanf(line, "LOADPROBE %d %lf %ld %zu", &ok, &probe.seconds, &probe.peak_rss_kib,
                   &probe.heap_bytes) == 4)
            probe.ok = ok != 0;
    }
    pclose(child);
    return probe;
}

QuietStdout::QuietStdout() {
    fflush(stdout);
    saved = dup(1);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, 1);
        close(null);
    }
}

QuietStdout::~QuietStdout() {
    fflush(stdout);
    if (saved >= 0) {
        dup2(saved, 1);
        close(saved);
    }
}
