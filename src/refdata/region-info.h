// Regions, subregions (survey locations) and survey subtypes from region-info.csv.
#pragma once

#include "refdata/from-csv.h"
#include "refdata/region-fish-info.h"

#include <map>
#include <string>
#include <vector>

// One survey subtype together with its subregion and region.
struct Region {
    std::string regioncode;
    std::string subregioncode;
    std::string regionname;
    std::string subregionname;
    std::string surveytypename;
    int surveytypeid = -1; // -1: unused slot
    bool has_abundance = false;
    bool has_fish = false;
    bool has_inverts = false;
    bool can_have_inverts = false;
    bool visible = false;
};

struct SpeciesViewDefinition {
    int viewid;
    Glib::ustring viewname;
};

struct SubregionInfo {
    std::vector<SpeciesViewDefinition> views;
    std::vector<Glib::ustring> view_names;
    std::vector<int> view_ids;
    int default_view = -1;
};

class RegionInfo : public FromCSV {
public:
    std::vector<Region> regions; // by survey subtype id
    std::map<Glib::ustring, Glib::ustring, ByteLess> subregion_code_by_name;
    std::map<Glib::ustring, Glib::ustring, ByteLess> subregion_name_by_code;
    std::map<Glib::ustring, Glib::ustring, ByteLess> region_code_by_subregion;
    std::map<Glib::ustring, std::vector<int>, ByteLess> subtypes_by_subregion;
    std::map<Glib::ustring, FromCSV::Def, ByteLess> subtype_defs;
    std::map<Glib::ustring, std::map<int, Glib::ustring>, ByteLess> hidden_subtypes;
    std::map<Glib::ustring, RegionFishInfo, ByteLess> fish_info;
    std::map<Glib::ustring, SubregionInfo, ByteLess> subregion_info;
    std::vector<Glib::ustring> region_codes;
    std::vector<Glib::ustring> subregion_names;
    std::vector<int> subregion_name_values;
    std::string data_dir;

    explicit RegionInfo(const std::string& dir);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

    // The subtype record for an id, or null when the file defines no such subtype.
    const Region* find_subtype(int id) const;

private:
    RetCode finish();
    enum {
        REGIONCODE,
        SUBREGIONCODE,
        REGIONNAME,
        SUBREGIONNAME,
        SURVEYTYPEID,
        SURVEYTYPENAME,
        HASABUNDANCE,
        HASFISH,
        HASINVERTS,
        CANHAVEINVERTS,
        VISIBLE,
        NCOLS
    };
    int col[NCOLS] = {};
};
