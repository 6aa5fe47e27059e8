// Writes synthetic data sets in the program's file formats, for benchmarks and
// for trying the program with far more data than the installed set holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct RegionShape {
    std::string code;
    int species = 0;
    int zones = 0; // at least 99: 9 areas, 90 zones, the rest sites
    int subregions = 4;
    bool spanish = false; // species file with a spanishname column
};

struct DataSetShape {
    std::vector<RegionShape> regions;
    int view_size = 500; // species per view
    int views_per_subregion = 2;
};

// Five regions of 3,000 species and `zones` zones, and one (BIG) of
// big_species species.
DataSetShape large_data_set_shape(int big_species = 16000, int zones = 3000);

// Writes a complete data set into dir (created when missing). Returns false
// when a file can't be written.
bool write_data_set(const std::string& dir, const DataSetShape& shape);

// Writes a species file of about target_bytes bytes (same headings as the
// regional species files, with the spanishname column); returns its row count.
size_t write_species_csv(const std::string& path, size_t target_bytes);
