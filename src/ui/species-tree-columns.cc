#include "ui/species-tree-columns.h"

#include "core/errors.h"
#include "core/misc.h"

#include <algorithm>
#include <cstdio>

SpeciesTreeColumns::SpeciesTreeColumns(SurveyWindow* survey_window) : window(survey_window) {
    add(id);
    add(common_name);
    add(scientific_name);
    add(both_names);
    add(spanish_name);
    add(abundance);
    add(abundance_label);
    add(in_view);
}

void SpeciesTreeColumns::set(const Gtk::TreeRow& row, int species_id, const Glib::ustring& common,
                             const Glib::ustring& scientific, const Glib::ustring& spanish,
                             int species_abundance, bool species_in_view, int rarity) {
    // Family rows stand out in blue; rare species are shaded by how rare.
    Glib::ustring open;
    if (species_id < 0)
        open = "<span weight=\"bold\" fgcolor=\"blue\">";
    else if (rarity == 1)
        open = "<span background=\"#9cf\">";
    else if (rarity >= 2)
        open = "<span background=\"#c60\">";
    Glib::ustring close = open.empty() ? "" : "</span>";

    Glib::ustring both = escape_markup(common);
    if (!scientific.empty() && scientific != common) {
        if (common.empty())
            both = escape_markup(scientific);
        else
            both += " <i>(" + escape_markup(scientific) + ")</i>";
    }
    row[id] = species_id;
    row[common_name] = open + escape_markup(common) + close;
    row[scientific_name] = open + escape_markup(scientific) + close;
    row[both_names] = open + both + close;
    row[spanish_name] = open + escape_markup(spanish) + close;
    row[in_view] = species_in_view;
    set_abundance(row, species_abundance);
}

void SpeciesTreeColumns::set_abundance(const Gtk::TreeRow& row, int species_abundance) {
    int index = species_abundance;
    Glib::ustring label = empty_label;
    if (species_abundance >= 0 && abundance_choices && !abundance_choices->choices.empty()) {
        // A code beyond the list shows the highest category.
        index = std::min(species_abundance, int(abundance_choices->choices.size()) - 1);
        label = abundance_choices->choices[index].label;
    }
    if (debug_level >= 5)
        printf("set_abundance(): species id %d = %d (%s)\n", int(row[id]), index, label.c_str());
    row[abundance] = index;
    row[abundance_label] = label;
}
