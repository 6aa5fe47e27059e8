// The two species lists every species page shows: the listed species (the
// chosen view's rows) and the unlisted ones (every species the survey type
// shows), by family, and the filters the pages show over them.
#pragma once

#include "refdata/region-fish-info.h"
#include "survey/survey-data.h"
#include "ui/species-tree-columns.h"

#include <functional>
#include <gtkmm/treemodelfilter.h>
#include <gtkmm/treestore.h>
#include <map>
#include <set>
#include <string>
#include <vector>

struct SpeciesViewEntry;
class SpeciesViews;

class SpeciesStores {
public:
    enum Which { LISTED, UNLISTED };
    using Visible = Gtk::TreeModelFilter::SlotVisible;
    using NewModel = std::function<void(const Glib::RefPtr<Gtk::TreeModelFilter>& filter)>;

    // Both are replaced by fresh stores on every rebuild, which then emits
    // signal_species_stores_rebuilt: whoever shows one of them takes the new
    // one on the signal; watched filters are fresh before it comes.
    Glib::RefPtr<Gtk::TreeStore> listed_store;
    Glib::RefPtr<Gtk::TreeStore> unlisted_store;
    sigc::signal<void> signal_species_stores_rebuilt;

    SpeciesStores(SpeciesTreeColumns& columns, const SurveyData& survey);
    SpeciesStores(const SpeciesStores&) = delete;
    SpeciesStores& operator=(const SpeciesStores&) = delete;

    // Fills fresh stores for the survey's type, catalogue and view (species_view
    // of species_views); empty without a survey type.
    void rebuild();
    // Every row of the species shows abundance; a view may list it twice.
    void set_abundance(int species_id, int abundance);
    // Every species row shows the survey's abundance of it.
    void show_abundances();

    // A filter over one store with visible, given to on_new_model now and
    // afresh after every rebuild. The id is for renew.
    int watch(Which which, Visible visible, NewModel on_new_model);
    // A fresh filter for a watch at once, when many of its rows come or go.
    void renew(int watch_id);

private:
    struct Watch {
        Which which;
        Visible visible;
        NewModel on_new_model;
        Glib::RefPtr<Gtk::TreeModelFilter> filter;
    };
    // One entry of a list from which a store is built.
    struct Item {
        const RegionFishInfo::Species* species;
        const RegionFishInfo::Family* family; // the family it is shown under
        bool in_view;
        // Collation keys of the family's and the species' common names, made
        // once per catalogue: thousands of species are sorted on every change.
        const std::string* family_key = nullptr;
        const std::string* species_key = nullptr;
        // By family common name, then species common name, in the user's language.
        bool operator<(const Item& other) const;
    };

    std::vector<Item> all_species_list(const RegionFishInfo& catalogue,
                                       const std::set<int>& view_set);
    std::vector<Item> view_species_list(const RegionFishInfo& catalogue,
                                        const std::vector<SpeciesViewEntry>& rows) const;
    // A family row above each run of species of one family.
    void fill(const Glib::RefPtr<Gtk::TreeStore>& store, const std::vector<Item>& items,
              const RegionFishInfo& catalogue);
    static void print_list(const char* title, const std::vector<Item>& list);

    // What the stores were last filled from: a survey type that shows the
    // same species of the same view needs new labels, not new rows.
    struct Inputs {
        const RegionFishInfo* catalogue = nullptr;
        bool typed = false, fish = false, inverts = false;
        const SpeciesViews* views = nullptr;
        int view = -1;
        bool operator==(const Inputs& o) const {
            return catalogue == o.catalogue && typed == o.typed && fish == o.fish &&
                   inverts == o.inverts && views == o.views && view == o.view;
        }
    };
    Inputs filled_from;
    bool filled = false;

    SpeciesTreeColumns& columns;
    const SurveyData& survey;
    std::vector<Watch> watches;
    // Collation keys of the catalogue last sorted: of its species, by their
    // place in the catalogue, and of its families.
    const RegionFishInfo* keyed_catalogue = nullptr;
    std::vector<std::string> species_keys;
    std::map<const RegionFishInfo::Family*, std::string> family_keys;
    // The rows' markup, made once per catalogue: of its species, by their
    // place in the catalogue, and of its families.
    const RegionFishInfo* marked_up_catalogue = nullptr;
    std::vector<SpeciesTreeColumns::Texts> species_texts;
    std::map<const RegionFishInfo::Family*, SpeciesTreeColumns::Texts> family_texts;
    void mark_up(const RegionFishInfo& catalogue);
};
