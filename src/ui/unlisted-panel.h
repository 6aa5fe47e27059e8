// The "Unlisted Species" page: search the rest of the region's catalogue.
#pragma once

#include "core/errors.h"
#include "ui/no-match-heading.h"

#include <gtkmm/box.h>
#include <gtkmm/builder.h>
#include <gtkmm/cellrenderertext.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/treemodelfilter.h>
#include <gtkmm/treeview.h>
#include <gtkmm/treeviewcolumn.h>
#include <vector>

class DropDownBox;
class MyApp;
class PageHost;

class UnlistedPanel : public Gtk::Grid {
public:
    // What the search text is compared with.
    enum {
        SEARCH_BY_COMMON_NAME = 1,
        SEARCH_BY_SCIENTIFIC_NAME = 2,
        SEARCH_BY_FAMILY_NAME = 3,
        SEARCH_BY_SPANISH_NAME = 4,
        SEARCH_BY_COMMON_AND_SCIENTIFIC = 5,
        SEARCH_BY_SPECIES_CODE = 6,
        SEARCH_BY_ALL = 7,
    };

    MyApp* app = nullptr;
    PageHost* window = nullptr;
    int page_number = -1;
    Gtk::Label* unlisted_instructions = nullptr;
    Gtk::Box* selected_species_box = nullptr;
    Gtk::TreeView* selected_species_tree = nullptr;
    Gtk::Box* search_box = nullptr;
    Gtk::Entry* species_search = nullptr;
    DropDownBox* species_search_by = nullptr;
    Gtk::Box* found_species_box = nullptr;
    Gtk::Label* found_species_heading = nullptr;
    Gtk::Label* no_found_species_heading = nullptr;
    Gtk::TreeView* found_species_tree = nullptr;
    Glib::RefPtr<Gtk::TreeModelFilter> selected_filter;
    Gtk::TreeViewColumn selected_id_column, selected_name_column;
    Gtk::CellRendererText selected_id_renderer, selected_name_renderer;
    // What the found list shows: the species rows found, by row of the store.
    Glib::RefPtr<Gtk::TreeModel> found_model;
    std::vector<size_t> found_rows;
    Gtk::TreeViewColumn found_id_column, found_name_column;
    Gtk::CellRendererText found_id_renderer, found_name_renderer;
    int selected_count = 0;
    std::vector<Glib::ustring> search_words;
    int search_by = SEARCH_BY_COMMON_NAME;
    int found_count = 0;
    std::vector<char> species_matched; // by species id
    // Results above this many species go into a tree of their own.
    size_t fresh_tree_rows = 1000;

    UnlistedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>& builder);
    void ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder, PageHost* window);
    // Called whenever the location, the survey type or the species view changes.
    RetCode setup_for_subregion(const Glib::ustring& subregion_code);
    RetCode run_search();
    void on_search_changed() { run_search(); }
    // Brings both lists of this page up to date.
    void refilter();
    // The first half of refilter: the list of species added on this page, its
    // frame shown only when it has rows.
    void refilter_added();
    // A survey type chosen: the instructions, the search and the added list
    // set up for it.
    void setup_for_survey_type();
    // Both trees' columns, by the name options of the Listed Species page.
    void update_columns();
    // The unlisted species store is new, and the filters over it fresh.
    void take_new_rows();
    bool check_visible_selected(const Gtk::TreeIter& iter);

private:
    // The added list shows a filter over the unlisted store, fresh after every rebuild.
    void watch_stores();
    bool species_visible_selected(const Gtk::TreeRow& row);
    // Which species the search words find, by row: among those rows only,
    // when given.
    void match_rows(std::vector<char>& species, const std::vector<size_t>* among = nullptr);
    bool words_occur_in(const std::string& text) const;
    // The lower-cased text that a name column shows, per species or family row
    // of the store: worked out once, when a search first needs it.
    const std::vector<std::string>& texts(std::vector<std::string> (&cache)[4],
                                          const std::vector<Gtk::TreeIter>& rows, int column);
    // The found and added lists' flags and the search texts, afresh when the
    // store's rows were replaced.
    void follow_rows();
    // Whether those flags are of the store's present rows.
    bool flags_current() const;
    // Shows the rows of the new search in the found list, under their families.
    void show_found(const std::vector<char>& species);
    // A new tree for the found list, with the old one's columns and handlers,
    // and its taking the old one's place once its rows are in.
    Gtk::TreeView* new_found_tree();
    void take_found_tree(Gtk::TreeView* tree);
    void fill_found_columns(Gtk::TreeView& tree);
    void refilter_found();
    // Whether the search of text finds among what the last one found.
    bool narrows_last(const Glib::ustring& text) const;
    // The common names folded a slice at a time while the window is idle,
    // so that the first search of a large catalogue need not fold them all.
    bool fold_ahead();
    sigc::connection folding;
    // The names nearest to a search that found nothing, as shown.
    std::vector<Glib::ustring> suggestions();
    // The name column a name search reads: common, scientific, both or Spanish.
    int name_column() const;
    // A row's name in one of those columns as shown, without its markup.
    Glib::ustring shown_name(const Gtk::TreeRow& row, int column) const;
    void connect_tree(Gtk::TreeView* tree, const char* which);

    // The rows of the store these flags and texts are of.
    unsigned rows_generation = 0;
    bool indexed = false;
    std::vector<char> added_families; // families shown in the list of added species
    std::vector<std::string> species_texts[4], family_texts[4];
    NoMatchHeading no_match;
    // The last search, which the next may narrow: its folded text, mode and
    // name column, and whether its rows are still those of the store.
    Glib::ustring last_text;
    int last_search_by = 0, last_column = -1;
    bool narrowable = false;
};
