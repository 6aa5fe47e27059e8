// Fuzz target: every reference-data reader on a file made of the input. The
// first byte picks the file ('0'..'9', ':', ';' pick 0 to 11 of FILES) and, by
// its high bit, a debug level that prints every diagnostic line; the rest goes
// into that file of a copy of the tests' shared data set, and the readers and
// the lookups the pages make run on it.
#include "core/errors.h"
#include "refdata/abundance-choices.h"
#include "refdata/data-defs.h"
#include "refdata/data-file-info.h"
#include "refdata/data-params.h"
#include "refdata/habitat-info.h"
#include "refdata/region-info.h"
#include "refdata/species-view-info.h"
#include "refdata/species-views.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// clang-format off
const char* const FILES[] = {
    "data-definitions.csv", "data-parameters.csv", "data-file-info.txt", "habitatregion.csv",
    "habitat.csv", "abundance-choices.csv", "species-view-definitions.csv", "species-views.csv",
    "AAA-family-info.csv", "AAA-species-info.csv", "AAA-geog.csv", "region-info.csv"};
// clang-format on
const size_t NFILES = sizeof FILES / sizeof FILES[0];

std::string folder; // ends in "/"

void write_file(const std::string& name, const char* data, size_t size) {
    std::ofstream out(folder + name, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
}

void write_valid(size_t which) {
    static std::string valid[NFILES];
    if (valid[which].empty()) {
        std::ifstream in(std::string(TAVRO_FIXTURES) + "/edge/" + FILES[which], std::ios::binary);
        valid[which].assign(std::istreambuf_iterator<char>(in), {});
    }
    write_file(FILES[which], valid[which].data(), valid[which].size());
}

// Every id a table might hold, and a few beyond.
template <class Table, class F> void each_id(const Table& table, F look_up) {
    for (int id = -2; id <= static_cast<int>(table.size()) + 2; ++id)
        look_up(id);
}

// Runs the readers of a file, and the lookups the pages make in what they read.
void run_readers(size_t which) {
    const std::string dir = folder;
    if (which == 0) DataDefs{dir}.is_valid();
    if (which == 1) DataParams{dir}.is_valid();
    if (which == 2) DataFileInfo(dir, false);
    if (which == 3 || which == 4) {
        HabitatInfo habitats(dir);
        each_id(habitats.habitat_descrs, [&](int id) { habitats.description(id); });
    }
    if (which == 5) {
        AbundanceChoices choices(dir);
        each_id(choices.subtype_choices, [&](int id) { choices.choices_for(id); });
    }
    if (which == 6) {
        RegionInfo regions(dir);
        SpeciesViewInfo views(dir, &regions);
    }
    if (which == 7) {
        SpeciesViews views(dir);
        each_id(views.view_entries, [&](int id) { views.entries(id), views.species_of(id); });
    }
    if (which >= 8 && which <= 10) {
        RegionFishInfo fish;
        fish.init(dir, "AAA");
        each_id(fish.species, [&](int id) { fish.find_species(id); });
    }
    if (which == 11) {
        RegionInfo regions(dir);
        each_id(regions.regions, [&](int id) {
            if (const Region* r = regions.find_subtype(id)) (void)r->visible;
        });
        for (const auto& entry : regions.fish_info)
            each_id(entry.second.species, [&](int id) {
                if (const auto* s = entry.second.find_species(id)) (void)s->familyid.size();
            });
    }
}

void remove_folder() {
    if (system(("rm -rf '" + folder + "'").c_str()) != 0) perror(folder.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every input rewrites a file: on a disk file system that rewrite is
    // flushed each time and slows fuzzing to a crawl, so memory is preferred.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string tmpl = base + "/tavro-fuzz-XXXXXX";
    if (!mkdtemp(&tmpl[0])) {
        perror("mkdtemp");
        exit(1);
    }
    folder = tmpl + "/";
    if (system(("cp -r '" TAVRO_FIXTURES "/edge/.' '" + folder + "'").c_str()) != 0) exit(1);
    atexit(remove_folder);
    // The shared set is odd on purpose: its warnings on every run would only
    // slow the fuzzer down.
    if (!freopen("/dev/null", "w", stdout)) exit(1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t which = (data[0] & 0x7f) % NFILES;
    debug_level = (data[0] & 0x80) ? 40 : 0;
    write_file(FILES[which], reinterpret_cast<const char*>(data + 1), size - 1);
    run_readers(which);
    write_valid(which);
    return 0;
}
