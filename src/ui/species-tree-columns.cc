#include "ui/species-tree-columns.h"

#include "core/errors.h"
#include "core/misc.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"

#include <algorithm>
#include <cstdio>
#include <gtkmm/cellrenderertext.h>

const char* const SpeciesTreeColumns::RARITY_1_SHADE = "<span background=\"#9cf\">";
const char* const SpeciesTreeColumns::RARITY_2_SHADE = "<span background=\"#c60\">";
const char* const SpeciesTreeColumns::FAMILY_STYLE = "<span weight=\"bold\" fgcolor=\"blue\">";

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
        open = FAMILY_STYLE;
    else if (rarity == 1)
        open = RARITY_1_SHADE;
    else if (rarity >= 2)
        open = RARITY_2_SHADE;
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
    const auto* choices = choices_for_species(row[id]);
    if (species_abundance >= 0 && choices && !choices->empty()) {
        index = std::min(species_abundance, int(choices->size()) - 1);
        label = (*choices)[index].label;
    }
    if (debug_level >= 5)
        printf("set_abundance(): species id %d = %d (%s)\n", int(row[id]), index, label.c_str());
    row[abundance] = index;
    row[abundance_label] = label;
}

bool SpeciesTreeColumns::uses_invertebrate_list(int species_id) const {
    const RegionFishInfo* catalogue = window ? window->survey_data.region_fish_info : nullptr;
    const RegionFishInfo::Species* species =
        catalogue ? catalogue->find_species(species_id) : nullptr;
    return species && species->invertebratetype == 2;
}

const std::vector<AbundanceChoices::Choice>*
SpeciesTreeColumns::choices_for_species(int species_id) const {
    if (!uses_invertebrate_list(species_id))
        return abundance_choices ? &abundance_choices->choices : nullptr;
    const AbundanceChoices* lists = window->app ? window->app->abundance_choices : nullptr;
    return lists ? &lists->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE) : nullptr;
}

void make_fixed(Gtk::TreeViewColumn& column, int width) {
    column.set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    column.set_fixed_width(width);
    column.set_resizable(true);
}

Gtk::TreeViewColumn* new_text_column(const Glib::ustring& title,
                                     const Gtk::TreeModelColumn<Glib::ustring>& content,
                                     bool markup, int width) {
    auto* column = Gtk::manage(new Gtk::TreeViewColumn(title));
    auto* renderer = Gtk::manage(new Gtk::CellRendererText());
    column->pack_start(*renderer, true);
    if (markup)
        column->add_attribute(renderer->property_markup(), content);
    else
        column->add_attribute(renderer->property_text(), content);
    make_fixed(*column, width);
    return column;
}
