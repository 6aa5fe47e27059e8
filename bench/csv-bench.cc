// How fast the CSV reader gets through a large species file, against the bare
// line-by-line read of the same file.
#include "bench-summary.h"
#include "bench-support.h"
#include "data-set-generator.h"
#include "refdata/from-csv.h"

#include <benchmark/benchmark.h>
#include <fstream>

namespace {

struct SpeciesFile {
    ScratchDir dir{"csv-bench"};
    std::string path = dir.path() + "/species.csv";
    size_t rows = write_species_csv(path, 10 * 1000 * 1000);
    size_t bytes = file_size(path);
};

const SpeciesFile& species_file() {
    static SpeciesFile file;
    return file;
}

// The least a real reader does: checks its headings and looks at every field.
class SpeciesTouch : public FromCSV {
public:
    size_t rows = 0;
    size_t checksum = 0;

    RetCode process_headings(const std::vector<Glib::ustring>& h) override {
        static const char* const expected[] = {"speciesid", "scientificname",   "commonname",
                                               "familyid",  "invertebratetype", "rarefishind",
                                               nullptr};
        RetCode rc = verify_headings(h, expected);
        for (int i = 0; i < 7; ++i)
            col[i] = column(NAMES[i]);
        return rc;
    }
    RetCode process_line(const std::vector<Glib::ustring>& fields) override {
        if (fields.empty()) return RC_OK;
        ++rows;
        checksum += static_cast<size_t>(field_int(field(fields, col[0])));
        for (int i = 1; i < 7; ++i)
            checksum += field(fields, col[i]).raw().size();
        return RC_OK;
    }

private:
    static constexpr const char* NAMES[7] = {"speciesid",  "scientificname",   "commonname",
                                             "familyid",   "invertebratetype", "rarefishind",
                                             "spanishname"};
    int col[7] = {};
};

double mb_per_s(size_t bytes, double seconds) {
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

std::string speed_line(const char* what, size_t bytes, const PassTimer& t) {
    return format("  %-28s %8.1f MB/s best, %8.1f MB/s mean  (%.1f ms best pass)", what,
                  mb_per_s(bytes, t.best()), mb_per_s(bytes, t.mean()), t.best() * 1e3);
}

void BM_CsvGetline(benchmark::State& state) {
    const SpeciesFile& f = species_file();
    PassTimer timer;
    for (auto _ : state) {
        timer.start();
        std::ifstream in(f.path, std::ios::in | std::ios::binary);
        std::string line;
        size_t n = 0;
        while (std::getline(in, line))
            n += line.size();
        benchmark::DoNotOptimize(n);
        timer.stop();
    }
    note_seconds_per_pass("csv-getline", timer.best());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
    state.counters["rows"] = static_cast<double>(f.rows);
    summary_note("csv-1", format("CSV file: %zu rows, %.1f MB", f.rows, f.bytes / 1e6));
    summary_note("csv-2", speed_line("std::getline line by line:", f.bytes, timer));
}

void BM_CsvReader(benchmark::State& state) {
    const SpeciesFile& f = species_file();
    PassTimer timer;
    for (auto _ : state) {
        timer.start();
        SpeciesTouch reader;
        if (reader.read_file(f.path) != RC_OK || reader.rows != f.rows) {
            state.SkipWithError("the species file did not read back whole");
            return;
        }
        benchmark::DoNotOptimize(reader.checksum);
        timer.stop();
    }
    double getline = seconds_per_pass("csv-getline");
    double ratio = getline > 0 ? timer.best() / getline : 0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
    state.counters["x_getline"] = ratio;
    summary_note("csv-3", speed_line("FromCSV reader:", f.bytes, timer));
    summary_note("csv-4", format("  reader / getline time (best passes): %.2f x  (goal: at most "
                                 "4 x) %s",
                                 ratio, ratio <= 4 ? "OK" : "OVER"));
}

} // namespace

// Order matters: the reader's ratio needs the getline figure of the same run.
BENCHMARK(BM_CsvGetline)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_CsvReader)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
