// Fuzz target: every reference-data reader on a file made of the input.
//
// The first byte picks the file (its low seven bits modulo the number of
// files, so '0'..'9', ':' and ';' pick 0 to 11 in the table below) and, with
// its high bit, a debug level that turns on every diagnostic line. The rest is
// written as that file into a folder whose other files are small and valid, and
// the readers that use it are run, followed by the lookups the pages make.
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
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct DataFile {
    const char* name;
    const char* valid; // what the file holds while another one is fuzzed
};

const DataFile FILES[] = {
    {"data-definitions.csv", "group,value,label\nvisibility,1,< 10 ft\ncurrent,0,\n"},
    {"data-parameters.csv", "parameter,value\ntemp_min_f,28\n"},
    {"data-file-info.txt", "version=1\ntimestamp=2024-01-01\nupdated=today\n"},
    {"habitatregion.csv", "regioncode,habitat,habitatid\nR,1,1\nR,4,2\n"},
    {"habitat.csv",
     "habitatid,habitatname,habitatdescr\n1,Reef,Coral reef\n2,Sand,\"Sand, flat\"\n"},
    {"abundance-choices.csv", "responseid,survey_subtype_id,label,abun\n1,1,Single,1\n2,1,Few,2\n"},
    {"species-view-definitions.csv", "viewid,subregioncode,viewname,isdefault\n1,R1,All,1\n"},
    {"species-views.csv", "viewid,speciesid,familyid\n1,3,F1\n1,3,F1\n"},
    {"R-family-info.csv", "familyid,scientificname,commonname\nF1,Gobiidae,Gobies\n"},
    {"R-species-info.csv", "speciesid,scientificname,commonname,familyid,invertebratetype,"
                           "rarefishind\n3,Gobius niger,Black goby,F1,0,1\n"},
    {"R-geog.csv", "geogid,name\n1,Area\n1001,\"Zone, north\"\n10010001,Site\n"},
    {"region-info.csv",
     "regioncode,subregioncode,regionname,subregionname,surveytypeid,surveytypename,"
     "hasabundance,hasfish,hasinverts,canhaveinverts,visible\n"
     "R,R1,Region,Sub one,1,Fish survey,1,1,0,0,1\nR,R2,Region,Sub two,2,Old,0,1,0,0,0\n"},
};
const size_t NFILES = sizeof FILES / sizeof FILES[0];

std::string folder; // ends in "/"

void write_file(const std::string& name, const char* data, size_t size) {
    std::ofstream out(folder + name, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
}

void write_valid(size_t which) {
    write_file(FILES[which].name, FILES[which].valid, strlen(FILES[which].valid));
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
        fish.init(dir, "R");
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
    for (size_t i = 0; i < NFILES; ++i)
        unlink((folder + FILES[i].name).c_str());
    rmdir(folder.c_str());
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
    for (size_t i = 0; i < NFILES; ++i)
        write_valid(i);
    atexit(remove_folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t which = (data[0] & 0x7f) % NFILES;
    debug_level = (data[0] & 0x80) ? 40 : 0;
    write_file(FILES[which].name, reinterpret_cast<const char*>(data + 1), size - 1);
    run_readers(which);
    write_valid(which);
    return 0;
}
