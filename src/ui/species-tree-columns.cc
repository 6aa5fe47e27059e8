#include "ui/species-tree-columns.h"

#include "app/my-app-core.h"
#include "core/errors.h"
#include "core/misc.h"
#include "survey/survey-data.h"

#include <algorithm>
#include <cstdio>
#include <gtkmm/cellrenderertext.h>

const char* const SpeciesTreeColumns::RARITY_1_SHADE = "<span background=\"#9cf\">";
const char* const SpeciesTreeColumns::RARITY_2_SHADE = "<span background=\"#c60\">";
const char* const SpeciesTreeColumns::FAMILY_STYLE = "<span weight=\"bold\" fgcolor=\"blue\">";

SpeciesTreeColumns::SpeciesTreeColumns(const SurveyData* survey_data) : survey(survey_data) {
    add(id);
    add(common_name);
    add(scientific_name);
    add(both_names);
    add(spanish_name);
    add(abundance);
    add(abundance_label);
    add(in_view);
}

SpeciesTreeColumns::Texts SpeciesTreeColumns::markup(int species_id, const Glib::ustring& common,
                                                     const Glib::ustring& scientific,
                                                     const Glib::ustring& spanish, int rarity) {
    // Family rows stand out in blue; rare species are shaded by how rare.
    Glib::ustring open;
    if (species_id < 0)
        open = FAMILY_STYLE;
    else if (rarity == 1)
        open = RARITY_1_SHADE;
    else if (rarity >= 2)
        open = RARITY_2_SHADE;
    const Glib::ustring close = open.empty() ? "" : "</span>";
    Glib::ustring both = escape_markup(common);
    // Byte for byte: the names are the same text or not; the locale's
    // collation would cost more than the rest of a row.
    if (!scientific.empty() && scientific.raw() != common.raw()) {
        if (common.empty())
            both = escape_markup(scientific);
        else
            both += " <i>(" + escape_markup(scientific) + ")</i>";
    }
    return {open + escape_markup(common) + close, open + escape_markup(scientific) + close,
            open + both + close, open + escape_markup(spanish) + close};
}

void SpeciesTreeColumns::set(const Gtk::TreeRow& row, int species_id, const Glib::ustring& common,
                             const Glib::ustring& scientific, const Glib::ustring& spanish,
                             int species_abundance, bool species_in_view, int rarity) {
    set(row, species_id, markup(species_id, common, scientific, spanish, rarity), species_abundance,
        species_in_view);
}

Gtk::TreeIter SpeciesTreeColumns::prepend(const Glib::RefPtr<Gtk::TreeStore>& store,
                                          const Gtk::TreeIter& parent, int species_id,
                                          const Texts& texts, int species_abundance,
                                          bool species_in_view) const {
    Glib::ustring label;
    const int shown = shown_abundance(species_id, species_abundance, label);
    return prepend(store, parent, species_id, texts, shown, label, species_in_view);
}

Gtk::TreeIter SpeciesTreeColumns::prepend(const Glib::RefPtr<Gtk::TreeStore>& store,
                                          const Gtk::TreeIter& parent, int species_id,
                                          const Texts& texts, int shown, const Glib::ustring& label,
                                          bool species_in_view) const {
    // Inserted with its values in one go: one signal instead of two per row.
    GtkTreeIter iter;
    gtk_tree_store_insert_with_values(
        store->gobj(), &iter, parent ? const_cast<GtkTreeIter*>(parent.gobj()) : nullptr, 0,
        id.index(), species_id, common_name.index(), texts.common.c_str(), scientific_name.index(),
        texts.scientific.c_str(), both_names.index(), texts.both.c_str(), spanish_name.index(),
        texts.spanish.c_str(), abundance.index(), shown, abundance_label.index(), label.c_str(),
        in_view.index(), species_in_view ? TRUE : FALSE, -1);
    return Gtk::TreeIter(GTK_TREE_MODEL(store->gobj()), &iter);
}

void SpeciesTreeColumns::set(const Gtk::TreeRow& row, int species_id, const Texts& texts,
                             int species_abundance, bool species_in_view) const {
    Glib::ustring label;
    const int shown = shown_abundance(species_id, species_abundance, label);
    // All columns in one go: a store tells its views of every single change,
    // which would cost eight times over for the thousands of rows of a list.
    GtkTreeModel* model = row.get_model_gobject();
    if (GTK_IS_TREE_STORE(model)) {
        GtkTreeIter iter = *row.gobj();
        gtk_tree_store_set(GTK_TREE_STORE(model), &iter, id.index(), species_id,
                           common_name.index(), texts.common.c_str(), scientific_name.index(),
                           texts.scientific.c_str(), both_names.index(), texts.both.c_str(),
                           spanish_name.index(), texts.spanish.c_str(), abundance.index(), shown,
                           abundance_label.index(), label.c_str(), in_view.index(),
                           species_in_view ? TRUE : FALSE, -1);
        return;
    }
    row[id] = species_id;
    row[common_name] = texts.common;
    row[scientific_name] = texts.scientific;
    row[both_names] = texts.both;
    row[spanish_name] = texts.spanish;
    row[in_view] = species_in_view;
    row[abundance] = shown;
    row[abundance_label] = label;
}

int SpeciesTreeColumns::shown_abundance(int species_id, int species_abundance,
                                        Glib::ustring& label) const {
    int index = species_abundance;
    label = empty_label;
    const auto* choices = choices_for_species(species_id);
    if (species_abundance >= 0 && choices && !choices->empty()) {
        index = std::min(species_abundance, int(choices->size()) - 1);
        label = (*choices)[index].label;
    }
    if (debug_level >= 5)
        printf("set_abundance(): species id %d = %d (%s)\n", species_id, index, label.c_str());
    return index;
}

void SpeciesTreeColumns::set_abundance(const Gtk::TreeRow& row, int species_abundance) {
    Glib::ustring label;
    const int shown = shown_abundance(row[id], species_abundance, label);
    row[abundance] = shown;
    row[abundance_label] = label;
}

bool SpeciesTreeColumns::uses_invertebrate_list(int species_id) const {
    const RegionFishInfo* catalogue = survey ? survey->region_fish_info : nullptr;
    const RegionFishInfo::Species* species =
        catalogue ? catalogue->find_species(species_id) : nullptr;
    return species && species->invertebratetype == 2;
}

const std::vector<AbundanceChoices::Choice>*
SpeciesTreeColumns::choices_for_species(int species_id) const {
    if (!uses_invertebrate_list(species_id))
        return abundance_choices ? &abundance_choices->choices : nullptr;
    const AbundanceChoices* lists = app ? app->abundance_choices : nullptr;
    return lists ? &lists->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE) : nullptr;
}

Glib::ustring SpeciesTreeColumns::zero_label(bool invertebrate_list) const {
    const AbundanceChoices* lists = app ? app->abundance_choices : nullptr;
    const std::vector<AbundanceChoices::Choice>* choices =
        !invertebrate_list ? (abundance_choices ? &abundance_choices->choices : nullptr)
        : lists            ? &lists->choices_for(AbundanceChoices::INVERTEBRATE_SUBTYPE)
                           : nullptr;
    return choices && !choices->empty() ? (*choices)[0].label : empty_label;
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

void SpeciesTreeColumns::fill_tree_columns(Gtk::TreeView& view, Gtk::TreeViewColumn& id_column,
                                           Gtk::TreeViewColumn& name_column,
                                           Gtk::CellRendererText& name_renderer,
                                           const SurveyData& survey, const char* seen_title,
                                           int seen_width) const {
    view.remove_all_columns();
    view.append_column(id_column);
    name_column.clear_attributes(name_renderer);
    const Gtk::TreeModelColumn<Glib::ustring>* names = &scientific_name;
    name_column.set_title("Scientific Name");
    if (survey.show_common_names && survey.show_scientific_names) {
        name_column.set_title("Common + Scientific Names");
        names = &both_names;
    } else if (survey.show_common_names) {
        name_column.set_title("Common Name");
        names = &common_name;
    }
    name_column.add_attribute(name_renderer.property_markup(), *names);
    view.append_column(name_column);
    if (survey.show_spanish_names)
        view.append_column(*new_text_column("Spanish Name", spanish_name, true, 160));
    view.append_column(*new_text_column(seen_title, abundance_label, false, seen_width));
}
