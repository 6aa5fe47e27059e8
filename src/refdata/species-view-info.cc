#include "refdata/species-view-info.h"

#include "refdata/region-info.h"

SpeciesViewInfo::SpeciesViewInfo(const std::string& dir, RegionInfo* info) : region_info(info) {
    valid = read_file(dir + "species-view-definitions.csv") == RC_OK;
}

RetCode SpeciesViewInfo::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"viewid", "subregioncode", "viewname", "isdefault",
                                           nullptr};
    return locate_headings(h, expected, {&col_view, &col_subregion, &col_name, &col_default});
}

RetCode SpeciesViewInfo::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) {
        for (auto& entry : region_info->subregion_info) {
            SubregionInfo& sub = entry.second;
            sub.view_names.clear();
            sub.view_ids.clear();
            for (const auto& v : sub.views) {
                sub.view_names.push_back(v.viewname);
                sub.view_ids.push_back(v.viewid);
            }
        }
        return RC_OK;
    }
    long long raw_id = field_id(field(fields, col_view));
    if (!usable_table_id(raw_id, "view id", filename, current_line)) return RC_OK;
    int viewid = static_cast<int>(raw_id);
    const Glib::ustring& subregion = field(fields, col_subregion);
    SubregionInfo& sub = region_info->subregion_info[subregion];
    sub.views.push_back({viewid, field(fields, col_name)});
    if (view_subregions.size() <= static_cast<size_t>(viewid)) view_subregions.resize(viewid + 1);
    view_subregions[viewid] = subregion.raw();
    if (field(fields, col_default) == "1") sub.default_view = viewid;
    return RC_OK;
}
