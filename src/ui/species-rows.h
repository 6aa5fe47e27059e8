// What a row of a species list does when it is clicked or keyed, the same on
// every species page: a family row opens or closes on a left click; a species
// row is chosen by a left or right click, Return, Enter, Right or the menu
// key; Shift, Control and Alt with the keys leave them to the tree.
#pragma once

#include "ui/species-tree-columns.h"

#include <functional>
#include <gtkmm/treeview.h>

class SpeciesRows {
public:
    // A species row chosen: its path in the tree's model, its id, and the
    // mouse button (0 for a key).
    using Choose = std::function<void(const Gtk::TreePath& path, int species_id, int button)>;
    // A digit typed on a species row: its id and the digit.
    using Pick = std::function<void(int species_id, int digit)>;
    // Diagnostics of a click, for the trees that print them.
    using Trace = std::function<void(const GdkEventButton* event)>;

    // Connects the tree's click, key and menu-key signals, before its own
    // handlers, which would take Return and the arrows for themselves.
    // Digits go to pick, never to the tree's search.
    static void connect(Gtk::TreeView& tree, const SpeciesTreeColumns& columns, const char* which,
                        Choose choose, Pick pick, Trace trace = nullptr);

    // The row at path chosen: a family row toggles on button 1, a species row
    // goes to choose. False when there is no such row.
    static bool trigger(Gtk::TreeView& tree, const SpeciesTreeColumns& columns,
                        const Gtk::TreePath& path, int button, const Choose& choose);
};
