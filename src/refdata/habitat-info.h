// Habitat names and descriptions, and the habitats each region offers.
#pragma once

#include "refdata/from-csv.h"

#include <map>
#include <vector>

class HabitatInfo : public FromCSV {
public:
    class HabitatRegionInfo;

    std::vector<Glib::ustring> habitat_names;  // by habitat id
    std::vector<Glib::ustring> habitat_descrs; // by habitat id
    // Region code to habitat ids indexed by the region's habitat code; -1 where unused.
    std::map<Glib::ustring, std::vector<int>, ByteLess> habitats_by_region;
    // Region code to its drop-down list: habitat names with the region's codes.
    std::map<Glib::ustring, FromCSV::Def, ByteLess> habitat_defs;

    explicit HabitatInfo(const std::string& dir);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

    // Description of a habitat id; empty when the id is unknown.
    Glib::ustring description(int habitat_id) const;

private:
    int col_id = -1, col_name = -1, col_descr = -1;
    std::vector<bool> defined; // habitat ids that habitat.csv has a row for
};

class HabitatInfo::HabitatRegionInfo : public FromCSV {
public:
    std::map<Glib::ustring, std::vector<int>, ByteLess> habitats_by_region;

    explicit HabitatRegionInfo(const std::string& dir);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

private:
    int col_region = -1, col_code = -1, col_id = -1;
};
