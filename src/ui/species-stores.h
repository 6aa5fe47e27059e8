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
#include <unordered_map>
#include <vector>

struct SpeciesViewEntry;
class SpeciesViews;

class SpeciesStores {
public:
    enum Which { LISTED, UNLISTED };
    using Visible = Gtk::TreeModelFilter::SlotVisible;
    using NewModel = std::function<void(const Glib::RefPtr<Gtk::TreeModelFilter>& filter)>;

    // The listed store holds the chosen view's rows and is replaced when the
    // view or the kinds of species the survey type shows change. The unlisted
    // store holds every species of the catalogue by family, made once per
    // catalogue: which of its rows the survey type offers is said by
    // offered(), and every filter watching it shows only those. After every
    // rebuild signal_species_stores_rebuilt comes: whoever shows a store
    // takes it again then; watched filters are fresh before it comes.
    Glib::RefPtr<Gtk::TreeStore> listed_store;
    Glib::RefPtr<Gtk::TreeStore> unlisted_store;
    sigc::signal<void> signal_species_stores_rebuilt;

    // The rows of unlisted_store: families in order, each species after its
    // family, and where to find them.
    struct Rows {
        std::vector<Gtk::TreeIter> family_rows, species_rows;
        std::vector<int> family_of_row;  // by species row
        std::vector<int> row_of_species; // by species id; -1 where none
        std::vector<char> invertebrate;  // by species row
        std::vector<char> in_view;       // by species row
        // Per family: its fish, and its invertebrates in the view.
        std::vector<int> fish, inverts_in_view;
        std::unordered_map<const void*, int> family_of_node;
        int row_of(int species_id) const;
    };

    SpeciesStores(SpeciesTreeColumns& columns, const SurveyData& survey);
    SpeciesStores(const SpeciesStores&) = delete;
    SpeciesStores& operator=(const SpeciesStores&) = delete;

    // Brings both stores to the survey's type, catalogue and view (species_view
    // of species_views), changing only what the new choice changes.
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

    // The index of unlisted_store, made when first asked for after its rows
    // were replaced.
    const Rows& rows();
    // Changes whenever the rows of unlisted_store are replaced.
    unsigned generation() const { return rows_generation; }
    // The rows were replaced from outside (a test fills its own).
    void rows_replaced();
    // Whether the survey type offers a row of unlisted_store: a fish when it
    // shows fish, an invertebrate of the view when it shows invertebrates, a
    // family when it offers one of its species.
    bool offered(const Gtk::TreeModel::const_iterator& iter);
    bool offered_species_row(size_t row);
    bool offered_family_row(size_t family);
    // The family row index of a family row of unlisted_store; -1 for others.
    int family_of(const Gtk::TreeModel::const_iterator& iter);

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
        // Collation keys of the family's and the species' common names, only
        // for the sort.
        const std::string* family_key = nullptr;
        const std::string* species_key = nullptr;
        // By family common name, then species common name, in the user's language.
        bool operator<(const Item& other) const;
    };

    std::vector<Item> all_species_list(const RegionFishInfo& catalogue,
                                       const std::set<int>& view_set) const;
    std::vector<Item> view_species_list(const RegionFishInfo& catalogue,
                                        const std::vector<SpeciesViewEntry>& rows) const;
    // A family row above each run of species of one family.
    // With into, the index of the rows as well.
    void fill(const Glib::RefPtr<Gtk::TreeStore>& store, const std::vector<Item>& items,
              const RegionFishInfo& catalogue, Rows* into);
    static void print_list(const char* title, const std::vector<Item>& list);
    void print_offered();
    // The view's species marked in the unlisted rows, and the families' counts.
    void mark_view(const std::set<int>& view_set);
    void set_row_abundance(const Gtk::TreeRow& row, int species_id);
    void relabel_unlisted();

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
    // The catalogue of the unlisted rows, and whether they were made: they
    // are made at the first survey type chosen in it.
    const RegionFishInfo* unlisted_catalogue = nullptr;
    bool unlisted_filled = false;

    SpeciesTreeColumns& columns;
    const SurveyData& survey;
    std::vector<Watch> watches;
    Rows index;
    bool index_stale = true;
    unsigned rows_generation = 0;
    // Species whose unlisted row shows an abundance other than 0, and the
    // labels rows of abundance 0 show (fish list, invertebrate list): a new
    // survey type relabels only those rows unless these labels change.
    std::set<int> marked;
    Glib::ustring zero_labels[2];
    // The rows' markup, made once per catalogue: of its species, by their
    // place in the catalogue, and of its families.
    const RegionFishInfo* marked_up_catalogue = nullptr;
    std::vector<SpeciesTreeColumns::Texts> species_texts;
    std::map<const RegionFishInfo::Family*, SpeciesTreeColumns::Texts> family_texts;
    void mark_up(const RegionFishInfo& catalogue);
};
