#include "refdata/region-fish-info.h"

#include <cstdio>

const RegionFishInfo::Species* RegionFishInfo::find_species(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= species.size()) return nullptr;
    const Species& s = species[id];
    return s.speciesid == -1 ? nullptr : &s;
}

RetCode RegionFishInfo::init(const std::string& dir, const std::string& regioncode) {
    region = regioncode;
    if (debug_level >= 4) printf("Starting to read family & species info for %s\n", region.c_str());
    if (!FamilyInfo(dir, this, regioncode).is_valid()) return RC_ERROR;
    if (!SpeciesInfo(dir, this, regioncode).is_valid()) return RC_ERROR;
    if (!GeogInfo(dir, this, regioncode).is_valid()) return RC_ERROR;
    if (debug_level >= 4)
        printf("Read family (%d), species (%d), and geog (%d) info for %s\n",
               static_cast<int>(family_ids.size()), static_cast<int>(species.size()),
               static_cast<int>(geogs.size()), region.c_str());
    loaded = true;
    return RC_OK;
}

RegionFishInfo::FamilyInfo::FamilyInfo(const std::string& dir, RegionFishInfo* i,
                                       const std::string& regioncode)
    : info(i) {
    valid = read_file(dir + regioncode + "-family-info.csv") == RC_OK;
}

RetCode RegionFishInfo::FamilyInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"familyid", "scientificname", "commonname", nullptr};
    return locate_headings(h, expected, {&col_id, &col_sci, &col_common});
}

RetCode RegionFishInfo::FamilyInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    const Glib::ustring& id = field(fields, col_id);
    info->family_ids.push_back(id);
    Family& family = info->families[id];
    family.familyid = id;
    family.scientificname = field(fields, col_sci);
    family.commonname = field(fields, col_common);
    if (family.scientificname.empty() && family.commonname.empty()) {
        printf("Warning: %s family %s has no name!\n", info->region.c_str(), id.c_str());
        family.commonname = "Unnamed family " + id;
    }
    return RC_OK;
}

RegionFishInfo::SpeciesInfo::SpeciesInfo(const std::string& dir, RegionFishInfo* i,
                                         const std::string& regioncode)
    : info(i) {
    valid = read_file(dir + regioncode + "-species-info.csv") == RC_OK;
}

RetCode RegionFishInfo::SpeciesInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"speciesid", "scientificname",   "commonname",
                                           "familyid",  "invertebratetype", "rarefishind",
                                           nullptr};
    RetCode rc = locate_headings(
        h, expected, {&col_id, &col_sci, &col_common, &col_family, &col_invert, &col_rare});
    col_spanish = column("spanishname"); // optional
    return rc;
}

RetCode RegionFishInfo::SpeciesInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    long long raw_id = field_id(field(fields, col_id));
    if (!usable_table_id(raw_id, "species id", filename, current_line)) return RC_OK;
    int id = static_cast<int>(raw_id);
    auto& table = info->species;
    if (table.size() <= static_cast<size_t>(id)) table.resize(id + 1);
    Species& sp = table[id];
    sp.speciesid = id;
    sp.invertebratetype = static_cast<int8_t>(field_int(field(fields, col_invert)));
    sp.rarefishind = static_cast<int8_t>(field_int(field(fields, col_rare)));
    if (sp.rarefishind > info->max_rarefishind) info->max_rarefishind = sp.rarefishind;
    bool is_fish = sp.invertebratetype == 0;
    const char* region = info->region.c_str();

    sp.familyid = field(fields, col_family).raw();
    if (sp.familyid.empty()) {
        sp.familyid = "(empty)";
        if (is_fish && debug_level >= -1)
            printf("Region %s species id %d has no family!\n", region, id);
    }
    Family& family = info->families[sp.familyid];
    if (family.familyid.empty()) {
        family.familyid = "Undefined family " + sp.familyid;
        if (is_fish && debug_level >= -1)
            printf("Region %s family id %s is not defined!\n", region, sp.familyid.c_str());
    }
    if (family.commonname.empty()) {
        family.commonname = "Unnamed family (" + family.familyid + ")";
        if (is_fish && debug_level >= -1)
            printf("Region %s family id %s has no name!\n", region, sp.familyid.c_str());
    }
    sp.scientificname = field(fields, col_sci);
    sp.commonname = field(fields, col_common);
    if (col_spanish >= 0) {
        info->has_spanish_names = true;
        sp.spanishname = field(fields, col_spanish);
    }
    return RC_OK;
}

RegionFishInfo::GeogInfo::GeogInfo(const std::string& dir, RegionFishInfo* i,
                                   const std::string& regioncode)
    : info(i) {
    valid = read_file(dir + regioncode + "-geog.csv") == RC_OK;
}

RetCode RegionFishInfo::GeogInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"geogid", "name", nullptr};
    return locate_headings(h, expected, {&col_id, &col_name});
}

RetCode RegionFishInfo::GeogInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    int id = field_int(field(fields, col_id));
    info->geogs[id] = field(fields, col_name);
    info->geog_ids.push_back(id);
    return RC_OK;
}
