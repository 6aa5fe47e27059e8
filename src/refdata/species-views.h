// The species of every view (species-views.csv), shown on the listed-species page.
#pragma once

#include "refdata/from-csv.h"

#include <set>
#include <string>
#include <vector>

struct SpeciesViewEntry {
    int speciesid;
    std::string familyid;
};

class SpeciesViews : public FromCSV {
public:
    std::vector<std::vector<SpeciesViewEntry>> view_entries; // by view id, file order
    std::vector<std::string> view_subregions;                // subregion code by view id
    std::vector<std::set<int>> view_species;                 // by view id

    explicit SpeciesViews(const std::string& dir);
    RetCode process_headings(const std::vector<Glib::ustring>& headings) override;
    RetCode process_line(const std::vector<Glib::ustring>& fields) override;

    // Entries and species of a view; empty for an unknown view id.
    const std::vector<SpeciesViewEntry>& entries(int viewid) const;
    const std::set<int>& species_of(int viewid) const;

private:
    int col_view = -1, col_species = -1, col_family = -1;
};
