// The two species lists every species page shows: the listed species (the
// chosen view's rows) and the unlisted ones (the catalogue's species the
// survey type offers), by family, and the filters the pages show over them.
#pragma once

#include "refdata/region-fish-info.h"
#include "survey/survey-data.h"
#include "ui/catalogue-rows.h"
#include "ui/species-tree-columns.h"

#include <functional>
#include <gtkmm/treemodelfilter.h>
#include <gtkmm/treestore.h>
#include <map>
#include <memory>
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
    using Rows = SpeciesRowIndex;

    // The listed store holds the chosen view's rows and is replaced when the
    // view or the kinds of species the survey type shows change. The unlisted
    // store holds every species of the catalogue by family, made once per
    // catalogue (in slices while the main loop is idle, from the moment the
    // catalogue is chosen): which of its rows the survey type offers is said
    // by offered(), and every filter watching it shows only those. After
    // every rebuild, and when the rows of a catalogue are complete,
    // signal_species_stores_rebuilt comes: whoever shows a store takes it
    // again then; watched filters are fresh before it comes.
    Glib::RefPtr<Gtk::TreeStore> listed_store;
    Glib::RefPtr<Gtk::TreeStore> unlisted_store;
    sigc::signal<void> signal_species_stores_rebuilt;

    SpeciesStores(SpeciesTreeColumns& columns, const SurveyData& survey);
    ~SpeciesStores();
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

    // The index of unlisted_store, read from it when first asked for after
    // its rows were replaced from outside.
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

    std::vector<SpeciesItem> view_species_list(const RegionFishInfo& catalogue,
                                               const std::vector<SpeciesViewEntry>& rows) const;
    void print_offered();
    // Starts making the rows of a catalogue, at idle moments.
    void start_making(const RegionFishInfo* catalogue, const std::set<int>& view_set);
    // Makes the rest at once and takes them as the unlisted rows.
    void finish_making();
    void take_made_rows();
    // The view's species marked in the unlisted rows, and the families' counts.
    void mark_view(const std::set<int>& view_set);
    // The survey's abundance of a species on a row.
    void set_row_abundance(const Gtk::TreeRow& row, int species_id);
    void relabel_unlisted();
    // The label abundance 0 will most likely show: before a survey type is
    // chosen, the one the types' lists share.
    Glib::ustring likely_zero_label(bool invertebrate_list) const;

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
    // The rows of every catalogue the window showed, made once each (the
    // data readers a window used outlive it, so a catalogue's address stays
    // its own), and those of the catalogue in use, made or in the making:
    // their markup serves the listed store as well.
    std::map<const RegionFishInfo*, std::unique_ptr<CatalogueRows>> made;
    const RegionFishInfo* unlisted_catalogue = nullptr;
    CatalogueRows* making = nullptr;
    sigc::connection making_idle;
    bool unlisted_filled = false; // unlisted_store holds the made rows
    Rows own_rows;                // the index while there are none
    bool index_stale = false;
    unsigned rows_generation = 0;
    // A species' abundance shown on its unlisted row, kept track of.
    void set_unlisted_abundance(size_t row, int species_id, int abundance);
};
