// Helpers shared by the benchmarks: scratch folders, plain reading of the
// files a load touches, and memory figures.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A scratch folder removed with everything in it when the object goes away.
class ScratchDir {
public:
    explicit ScratchDir(const char* tag = "bench");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return dir; }

private:
    std::string dir;
};

// The files of a data-set folder that a load reads: the metadata file and
// every CSV file, sorted by name; full paths.
std::vector<std::string> data_set_files(const std::string& dir);

struct ReadFigures {
    size_t bytes = 0;
    size_t lines = 0;
    size_t fields = 0;
};

// Reads every file line by line and splits each line with the CSV reader's own
// splitter, doing nothing else: the floor under any loader of these files.
ReadFigures read_and_split(const std::vector<std::string>& files);

size_t file_size(const std::string& path);

// Peak resident set size of this process so far, in KiB (getrusage ru_maxrss).
long peak_rss_kib();
// Bytes handed out by malloc and not yet freed (mallinfo2 uordblks + hblkhd).
size_t heap_in_use();
