#include "refdata/region-info.h"

#include <cstdio>

RegionInfo::RegionInfo(const std::string& dir) : data_dir(dir) {
    valid = read_file(dir + "region-info.csv") == RC_OK;
}

const Region* RegionInfo::find_subtype(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= regions.size()) return nullptr;
    const Region& r = regions[id];
    return r.surveytypeid == -1 ? nullptr : &r;
}

RetCode RegionInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"regioncode",     "subregioncode", "regionname",
                                           "subregionname",  "surveytypeid",  "surveytypename",
                                           "hasabundance",   "hasfish",       "hasinverts",
                                           "canhaveinverts", "visible",       nullptr};
    RetCode rc = verify_headings(h, expected);
    for (int i = 0; i < NCOLS; ++i)
        col[i] = column(expected[i]);
    return rc;
}

RetCode RegionInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return finish();
    long long raw_id = field_id(field(fields, col[SURVEYTYPEID]));
    if (!usable_table_id(raw_id, "survey subtype id", filename, current_line)) return RC_OK;
    int id = static_cast<int>(raw_id);
    if (regions.size() <= static_cast<size_t>(id)) regions.resize(id + 1);
    Region& r = regions[id];
    auto text = [&](int c) { return field(fields, col[c]).raw(); };
    // A repeated id would overwrite the first location's survey type and list
    // the second location under both names.
    if (r.surveytypeid != -1) {
        printf("Warning: %s line %d: survey subtype id %d of %s/%s is already used by %s/%s; "
               "line skipped\n",
               filename.c_str(), current_line, id, text(REGIONCODE).c_str(),
               text(SUBREGIONCODE).c_str(), r.regioncode.c_str(), r.subregioncode.c_str());
        return RC_OK;
    }
    auto flag = [&](int c) { return field(fields, col[c]) == "1"; };
    r.regioncode = text(REGIONCODE);
    r.subregioncode = text(SUBREGIONCODE);
    r.regionname = text(REGIONNAME);
    r.subregionname = text(SUBREGIONNAME);
    r.surveytypename = text(SURVEYTYPENAME);
    r.surveytypeid = id;
    r.has_abundance = flag(HASABUNDANCE);
    r.has_fish = flag(HASFISH);
    r.has_inverts = flag(HASINVERTS);
    r.can_have_inverts = flag(CANHAVEINVERTS);
    r.visible = flag(VISIBLE);
    subtypes_by_subregion[r.subregioncode].push_back(id);
    if (debug_level > 4)
        printf("Region: %s/%s: %s, id = %d, has_abund=%d, has_fish=%d (%s), has_inv=%d, "
               "can_have_inv=%d, vis=%d\n",
               r.regioncode.c_str(), r.subregioncode.c_str(), r.surveytypename.c_str(), id,
               r.has_abundance, r.has_fish, field(fields, col[HASFISH]).c_str(), r.has_inverts,
               r.can_have_inverts, r.visible);
    if (debug_level > 9) {
        printf("id %d:\n", id);
        for (unsigned i = 0; i < fields.size(); ++i)
            for (const auto& c : columns)
                if (c.second == i)
                    printf("    %s col %d = \"%s\"\n", c.first.c_str(), i, fields[i].c_str());
        printf("\n");
    }
    return RC_OK;
}

// At the end of the file: build the per-subregion tables and load each region's catalogue.
RetCode RegionInfo::finish() {
    std::vector<Glib::ustring> names;
    std::vector<int> values;
    for (const auto& entry : subtypes_by_subregion) {
        const Glib::ustring& code = entry.first;
        FromCSV::Def def;
        for (int id : entry.second) {
            const Region& r = regions[id];
            if (!r.visible) {
                hidden_subtypes[code][id] = r.surveytypename;
                if (debug_level > 0)
                    printf("Noting non-visible survey subtype %d %s\n", id,
                           r.surveytypename.c_str());
            } else {
                def.labels.push_back(r.surveytypename);
                def.values.push_back(id);
            }
        }
        bool any_visible = !def.values.empty();
        subtype_defs[code] = std::move(def);
        const Region& first = regions[entry.second.front()];
        subregion_code_by_name[first.subregionname] = code;
        subregion_name_by_code[code] = first.subregionname;
        region_code_by_subregion[code] = first.regioncode;
        if (any_visible) {
            names.push_back(first.subregionname);
            values.push_back(0);
        }
        if (fish_info.find(first.regioncode) == fish_info.end()) {
            region_codes.push_back(first.regioncode);
            RetCode rc = fish_info[first.regioncode].init(data_dir, first.regioncode);
            if (rc != RC_OK) return rc;
        }
    }
    subregion_names = std::move(names);
    subregion_name_values = std::move(values);
    return RC_OK;
}
