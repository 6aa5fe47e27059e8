// One region's catalogue: fish families, species (fish and invertebrates) and
// geographic zones.
#pragma once

#include "refdata/from-csv.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class RegionFishInfo {
public:
    struct Family {
        std::string familyid;
        Glib::ustring scientificname;
        Glib::ustring commonname;
    };
    struct Species {
        int speciesid = -1; // -1: unused slot
        int8_t rarefishind = 0;
        int8_t invertebratetype = 0; // 0: a fish
        Glib::ustring scientificname;
        Glib::ustring commonname;
        Glib::ustring spanishname;
        std::string familyid;
    };

    class FamilyInfo;
    class SpeciesInfo;
    class GeogInfo;

    std::vector<Glib::ustring> family_ids;
    std::vector<Species> species; // by species id
    std::map<Glib::ustring, Family, ByteLess> families;
    std::map<int, Glib::ustring> geogs;
    std::vector<int> geog_ids;
    std::string region;
    bool loaded = false;
    bool has_spanish_names = false;
    int8_t max_rarefishind = 0;

    RetCode init(const std::string& dir, const std::string& regioncode);

    // The species record for an id, or null when the catalogue has no such species.
    const Species* find_species(int id) const;
};

class RegionFishInfo::FamilyInfo : public FromCSV {
public:
    FamilyInfo(const std::string& dir, RegionFishInfo* info, const std::string& regioncode);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

private:
    RegionFishInfo* info;
    int col_id = -1, col_sci = -1, col_common = -1;
};

class RegionFishInfo::SpeciesInfo : public FromCSV {
public:
    SpeciesInfo(const std::string& dir, RegionFishInfo* info, const std::string& regioncode);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

private:
    RegionFishInfo* info;
    int col_id = -1, col_sci = -1, col_common = -1, col_family = -1, col_invert = -1, col_rare = -1,
        col_spanish = -1;
};

class RegionFishInfo::GeogInfo : public FromCSV {
public:
    GeogInfo(const std::string& dir, RegionFishInfo* info, const std::string& regioncode);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

private:
    RegionFishInfo* info;
    int col_id = -1, col_name = -1;
};
