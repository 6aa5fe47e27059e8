// Column record of the two species tree models (listed and unlisted species).
#pragma once

#include "refdata/abundance-choices.h"

#include <gtkmm/cellrenderertext.h>
#include <gtkmm/treemodel.h>
#include <gtkmm/treemodelcolumn.h>
#include <gtkmm/treestore.h>
#include <gtkmm/treeview.h>
#include <gtkmm/treeviewcolumn.h>

class MyAppCore;
class SurveyData;

class SpeciesTreeColumns : public Gtk::TreeModelColumnRecord {
public:
    Gtk::TreeModelColumn<int> id; // -1 on family rows
    Gtk::TreeModelColumn<Glib::ustring> common_name;
    Gtk::TreeModelColumn<Glib::ustring> scientific_name;
    Gtk::TreeModelColumn<Glib::ustring> both_names;
    Gtk::TreeModelColumn<Glib::ustring> spanish_name;
    Gtk::TreeModelColumn<int> abundance; // -1 on family rows
    Gtk::TreeModelColumn<Glib::ustring> abundance_label;
    Gtk::TreeModelColumn<bool> in_view;

    // Categories of the chosen survey subtype; null until one is chosen.
    const AbundanceChoices::SurveySubtypeChoiceInfo* abundance_choices = nullptr;
    // The survey whose rows these are, and the program's lists (for list 99).
    const SurveyData* survey;
    const MyAppCore* app = nullptr;
    Glib::ustring empty_label;

    explicit SpeciesTreeColumns(const SurveyData* survey);

    // The markup of a row's names, shaded by rarity (family rows, id below
    // 0, in blue bold): it depends only on the catalogue, so it can be made
    // once and set into rows many times.
    struct Texts {
        Glib::ustring common, scientific, both, spanish;
    };
    static Texts markup(int id, const Glib::ustring& common, const Glib::ustring& scientific,
                        const Glib::ustring& spanish, int rarity);
    // Fills a row.
    void set(const Gtk::TreeRow& row, int id, const Glib::ustring& common,
             const Glib::ustring& scientific, const Glib::ustring& spanish, int abundance,
             bool in_view, int rarity);
    void set(const Gtk::TreeRow& row, int id, const Texts& texts, int abundance,
             bool in_view) const;
    // A new row in front of the others of its level, filled.
    Gtk::TreeIter prepend(const Glib::RefPtr<Gtk::TreeStore>& store, const Gtk::TreeIter& parent,
                          int id, const Texts& texts, int abundance, bool in_view) const;
    // The same with the category shown and its label given.
    Gtk::TreeIter prepend(const Glib::RefPtr<Gtk::TreeStore>& store, const Gtk::TreeIter& parent,
                          int id, const Texts& texts, int shown, const Glib::ustring& label,
                          bool in_view) const;
    // Limits a code beyond the species' list to its highest category.
    void set_abundance(const Gtk::TreeRow& row, int abundance);
    // Rebuilds a species tree's columns by the survey's name options: the ID
    // column, the names (common, scientific or both), the Spanish names when
    // shown, and the abundance labels under seen_title, never narrower than
    // that title. On a narrow tree the names give way (cut short, whole in the
    // row's tooltip) so the number seen stays in sight.
    void fill_tree_columns(Gtk::TreeView& view, Gtk::TreeViewColumn& id_column,
                           Gtk::TreeViewColumn& name_column, Gtk::CellRendererText& name_renderer,
                           const SurveyData& survey, int names_width, const char* seen_title,
                           int seen_width) const;

    // On a dark theme the text of shaded rows takes the palette's colour, set
    // on the renderer: the shading comes with the rows' markup, the text
    // colour would otherwise be the theme's.
    void shade_text(Gtk::TreeViewColumn& column, Gtk::CellRendererText& renderer) const;
    // Invertebrates of type 2 are recorded on the invertebrate list (99),
    // whatever the survey type; the page shows what the survey file will say.
    bool uses_invertebrate_list(int species_id) const;
    // The categories of a species; null when it has none.
    const std::vector<AbundanceChoices::Choice>* choices_for_species(int species_id) const;
    // The label of abundance 0 on the survey type's list, or on the
    // invertebrate list.
    Glib::ustring zero_label(bool invertebrate_list) const;
    // The category a row shows for an abundance code, and its label.
    int shown_abundance(int species_id, int species_abundance, Glib::ustring& label) const;
};

// The width a cell or a header (bold) needs for a text, with their padding.
int text_width(Gtk::TreeView& view, const Glib::ustring& markup, int padding);
int header_width(Gtk::TreeView& view, const Glib::ustring& title);
// A tree in a scrolled window that is never narrower than the column's
// title, whatever the text size.
void keep_title_whole(Gtk::TreeView& view, Gtk::TreeViewColumn& column);

// Every column of the species trees has a fixed width, so that a tree can take
// every row to be as high as the first (fixed-height mode) instead of
// measuring thousands.
void make_fixed(Gtk::TreeViewColumn& column, int width);
// A new fixed-width column showing content as markup or as plain text; the
// tree that takes it owns it.
Gtk::TreeViewColumn* new_text_column(const Glib::ustring& title,
                                     const Gtk::TreeModelColumn<Glib::ustring>& content,
                                     bool markup, int width);
