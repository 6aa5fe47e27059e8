// Some rows of a species store, by family, as a list of their own: what a
// search found. Unlike a filter over the whole catalogue, it costs in
// proportion to the rows it shows, to make and to take down.
#pragma once

#include "ui/catalogue-rows.h"

#include <gtkmm/treemodel.h>
#include <gtkmm/treestore.h>
#include <vector>

// The rows of store found, in the store's order: each family of families
// (rows of index) with those of its species in species (rows of index,
// ascending). The list shows every change of those rows in the store, which
// must keep them while the list lives; id_column tells species rows apart.
Glib::RefPtr<Gtk::TreeModel> make_found_rows(const Glib::RefPtr<Gtk::TreeStore>& store,
                                             const SpeciesRowIndex& index,
                                             const std::vector<size_t>& species, int id_column);
