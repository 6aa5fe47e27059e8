#include "refdata/species-views.h"

SpeciesViews::SpeciesViews(const std::string& dir) {
    valid = read_file(dir + "species-views.csv") == RC_OK;
}

const std::vector<SpeciesViewEntry>& SpeciesViews::entries(int viewid) const {
    static const std::vector<SpeciesViewEntry> none;
    if (viewid < 0 || static_cast<size_t>(viewid) >= view_entries.size()) return none;
    return view_entries[viewid];
}

const std::set<int>& SpeciesViews::species_of(int viewid) const {
    static const std::set<int> none;
    if (viewid < 0 || static_cast<size_t>(viewid) >= view_species.size()) return none;
    return view_species[viewid];
}

RetCode SpeciesViews::process_headings(const std::vector<Glib::ustring>& h) {
    static const char* const expected[] = {"viewid", "speciesid", "familyid", nullptr};
    return locate_headings(h, expected, {&col_view, &col_species, &col_family});
}

RetCode SpeciesViews::process_line(const std::vector<Glib::ustring>& fields) {
    if (fields.empty()) return RC_OK;
    long long raw_view = field_id(field(fields, col_view));
    long long raw_species = field_id(field(fields, col_species));
    if (!usable_table_id(raw_view, "view id", filename, current_line) ||
        !usable_table_id(raw_species, "species id", filename, current_line))
        return RC_OK;
    size_t viewid = static_cast<size_t>(raw_view);
    if (view_entries.size() <= viewid) {
        view_entries.resize(viewid + 1);
        view_species.resize(viewid + 1);
    }
    int speciesid = static_cast<int>(raw_species);
    view_entries[viewid].push_back({speciesid, field(fields, col_family).raw()});
    view_species[viewid].insert(speciesid);
    return RC_OK;
}
