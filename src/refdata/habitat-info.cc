#include "refdata/habitat-info.h"

#include "core/misc.h"

#include <cstdio>

HabitatInfo::HabitatRegionInfo::HabitatRegionInfo(const std::string& dir) {
    valid = read_file(dir + "habitatregion.csv") == RC_OK;
}

RetCode HabitatInfo::HabitatRegionInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"regioncode", "habitat", "habitatid", nullptr};
    return locate_headings(h, expected, {&col_region, &col_code, &col_id});
}

RetCode HabitatInfo::HabitatRegionInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    long long code = field_id(field(fields, col_code));
    long long id = field_id(field(fields, col_id));
    if (!usable_table_id(code, "habitat code", filename, current_line) ||
        !usable_table_id(id, "habitat id", filename, current_line))
        return RC_OK;
    auto& codes = habitats_by_region[field(fields, col_region)];
    if (codes.size() <= static_cast<size_t>(code)) codes.resize(code + 1, -1);
    codes[code] = static_cast<int>(id);
    return RC_OK;
}

HabitatInfo::HabitatInfo(const std::string& dir) {
    HabitatRegionInfo by_region(dir);
    if (!by_region.is_valid()) return;
    habitats_by_region = std::move(by_region.habitats_by_region);
    valid = read_file(dir + "habitat.csv") == RC_OK;
}

Glib::ustring HabitatInfo::description(int id) const {
    if (id < 0 || static_cast<size_t>(id) >= habitat_descrs.size()) return Glib::ustring();
    return habitat_descrs[id];
}

RetCode HabitatInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"habitatid", "habitatname", "habitatdescr", nullptr};
    return locate_headings(h, expected, {&col_id, &col_name, &col_descr});
}

RetCode HabitatInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (!fields.empty()) {
        long long id = field_id(field(fields, col_id));
        if (!usable_table_id(id, "habitat id", filename, current_line)) return RC_OK;
        if (habitat_names.size() <= static_cast<size_t>(id)) {
            habitat_names.resize(id + 1);
            habitat_descrs.resize(id + 1);
            defined.resize(id + 1, false);
        }
        defined[id] = true;
        habitat_names[id] = field(fields, col_name);
        habitat_descrs[id] = field(fields, col_descr);
        return RC_OK;
    }
    // End of file: the drop-down list of every region, in code order.
    for (const auto& entry : habitats_by_region) {
        FromCSV::Def def;
        for (size_t code = 0; code < entry.second.size(); ++code) {
            int id = entry.second[code];
            if (id < 0) continue;
            bool known = static_cast<size_t>(id) < defined.size() && defined[id];
            if (!known)
                printf("Warning: region %s habitat code %d uses habitat id %d, which %s does not "
                       "define\n",
                       entry.first.c_str(), static_cast<int>(code), id, filename.c_str());
            def.labels.push_back(known ? habitat_names[id]
                                       : Glib::ustring(format("Habitat %d", id)));
            def.values.push_back(static_cast<int>(code));
        }
        habitat_defs[entry.first] = std::move(def);
    }
    return RC_OK;
}
