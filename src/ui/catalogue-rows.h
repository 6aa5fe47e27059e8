// The species rows of a whole catalogue, by family, for the unlisted list:
// made once per catalogue, a slice at a time, so that a catalogue of
// thousands of species never holds up the window for long.
#pragma once

#include "refdata/region-fish-info.h"
#include "ui/species-tree-columns.h"

#include <glib.h>
#include <gtkmm/treestore.h>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// One species of a list from which a store is built.
struct SpeciesItem {
    const RegionFishInfo::Species* species;
    const RegionFishInfo::Family* family; // the family it is shown under
    bool in_view;
    // Collation keys of the family's and the species' common names, only for
    // the sort.
    const std::string* family_key = nullptr;
    const std::string* species_key = nullptr;
    // By family common name, then species common name, in the user's language.
    bool operator<(const SpeciesItem& other) const;
};

// A family id the catalogue does not know is a fault of the data set: the
// species is left out rather than shown under a family that isn't there.
const RegionFishInfo::Family* find_family(const RegionFishInfo& catalogue,
                                          const std::string& family_id, const std::string& file,
                                          int species_id);

// A family's species in a sorted list: the items from first to end.
struct SpeciesRun {
    size_t first, end;
    bool in_view; // one of them is in the view
};

// Where the rows of a catalogue store are: families in order, each species
// after its family.
struct SpeciesRowIndex {
    std::vector<Gtk::TreeIter> family_rows, species_rows;
    std::vector<int> family_of_row;  // by species row
    std::vector<int> row_of_species; // by species id; -1 where none
    std::vector<char> invertebrate;  // by species row
    std::vector<char> in_view;       // by species row
    // Per family: its fish, and its invertebrates in the view.
    std::vector<int> fish, inverts_in_view;
    std::vector<int> in_view_of_family; // species of the family in the view
    std::unordered_map<const void*, int> family_of_node;
    int row_of(int species_id) const;
    void add_species(int species_id, int family, bool invertebrate, bool in_view);
};

class CatalogueRows {
public:
    using Texts = SpeciesTreeColumns::Texts;

    // The species of view are marked as in it; every row shows abundance 0,
    // labelled by zero_labels (of the fish list, of the invertebrate list).
    CatalogueRows(const SpeciesTreeColumns& columns, const RegionFishInfo& catalogue,
                  const std::set<int>& view, const Glib::ustring (&zero_labels)[2]);
    CatalogueRows(const CatalogueRows&) = delete;
    CatalogueRows& operator=(const CatalogueRows&) = delete;

    // Goes on until the monotonic time deadline (0: to the end); true once
    // the store is complete.
    bool make(gint64 deadline);
    bool done() const { return phase == DONE; }

    const RegionFishInfo& catalogue;
    // Kept with the rows while the window may come back to the catalogue:
    // the species marked as in the view, the species whose row shows an
    // abundance other than 0, and what rows of abundance 0 show (fish list,
    // invertebrate list).
    std::set<int> view_marked;
    std::set<int> abundance_marked;
    Glib::ustring zero_labels[2];
    // Complete once done.
    Glib::RefPtr<Gtk::TreeStore> store;
    SpeciesRowIndex rows;
    // The markup of the families' rows, made first, and of a species' row,
    // made when needed: kept for every species, it would double what the
    // store holds.
    std::map<const RegionFishInfo::Family*, Texts> family_texts;
    static Texts texts_of(const RegionFishInfo::Species& species);

private:
    enum Phase { MARKUP, KEYS, SORT, FILL, DONE };
    const SpeciesTreeColumns& columns;
    const std::string species_file; // named in the warnings of species left out
    Phase phase = MARKUP;
    size_t next = 0; // the species to key next; in FILL, the item
    size_t run = 0;  // in FILL, one past the run being filled
    std::vector<std::string> species_keys;
    std::map<const RegionFishInfo::Family*, std::string> family_keys;
    std::vector<SpeciesItem> items;
    std::vector<SpeciesRun> runs;
    void step();
    // The next species' collation key and list item.
    void key_species();
    // The next row, from the last: a species, or the family above its run.
    void fill_row();
    void index_rows();
};

// Families with a row above each run of their species; rows taken from the
// end, each in front, which a tree store does fastest.
void fill_species_store(const SpeciesTreeColumns& columns,
                        const Glib::RefPtr<Gtk::TreeStore>& store,
                        const std::vector<SpeciesItem>& items, const CatalogueRows& texts,
                        const std::map<int, int>& abundances);
