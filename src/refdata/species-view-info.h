// Which species views each subregion has (species-view-definitions.csv).
#pragma once

#include "refdata/from-csv.h"

#include <string>
#include <vector>

class RegionInfo;

class SpeciesViewInfo : public FromCSV {
public:
    std::vector<std::string> view_subregions; // subregion code by view id
    RegionInfo* region_info;

    SpeciesViewInfo(const std::string& dir, RegionInfo* region_info);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

private:
    int col_view = -1, col_subregion = -1, col_name = -1, col_default = -1;
};
