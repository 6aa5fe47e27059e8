// Loading a data set the way the program does at start-up, and measuring one
// load in a process of its own.
#pragma once

#include "app/my-app-core.h"

#include <cstddef>
#include <string>

// One load of "data-files/" in the working directory with
// MyAppCore::read_data_files, as the program does at start-up; the readers go
// with it.
class LoadedDataSet {
public:
    LoadedDataSet();
    ~LoadedDataSet();
    LoadedDataSet(const LoadedDataSet&) = delete;
    LoadedDataSet& operator=(const LoadedDataSet&) = delete;

    bool ok = false;
    bool complete = false; // every reader was built

private:
    MyAppCore app;
};

struct LoadProbe {
    bool ok = false;
    double seconds = 0;    // one cold load
    long peak_rss_kib = 0; // growth of the peak resident set (ru_maxrss) during the load
    size_t heap_bytes = 0; // malloc'd bytes the loaded readers hold (mallinfo2)
};

// Runs this program again with --probe-load FOLDER and reads its figures: a
// fresh process, so that the peak resident set isn't hidden by earlier work.
LoadProbe probe_load_in_child(const std::string& workdir);

// The child's side: measures one load in workdir and prints the figures.
int run_load_probe(const std::string& workdir);

// Sends standard output to /dev/null while it lives.
class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};
