// The pop-up menus of abundance categories, one per survey subtype's list,
// which the species rows of every page open.
#pragma once

#include "refdata/abundance-choices.h"
#include "ui/species-tree-columns.h"

#include <functional>
#include <gtkmm/menu.h>
#include <gtkmm/treeview.h>
#include <vector>

class AbundanceMenus {
public:
    // An item chosen: its abundance code.
    using Chosen = std::function<void(int abun)>;

    // Menu per survey subtype's abundance list, by subtype id; null where the
    // list is empty or not needed yet. Owned here.
    mutable std::vector<Gtk::Menu*> abundance_menus;
    // The chosen survey type's menu; null before one is chosen.
    Gtk::Menu* current_abundance_menu = nullptr;

    AbundanceMenus(const SpeciesTreeColumns& columns, Chosen chosen);
    ~AbundanceMenus();
    AbundanceMenus(const AbundanceMenus&) = delete;
    AbundanceMenus& operator=(const AbundanceMenus&) = delete;

    void build(const AbundanceChoices* choices);
    // The survey type's menu becomes the current one.
    void use_subtype(int subtype_id);
    // The menu for a species: list 99 for invertebrates of type 2, otherwise
    // the survey type's; null when there is none.
    Gtk::Menu* menu_for(int species_id) const;
    // The abundance a digit chooses for a species: 1-9 the nth category of
    // its list (the "none" entry not counted), 0 that entry; -1 for none.
    int abun_for_digit(int species_id, int digit) const;
    // Opens the menu for species_id from a row of tree: at the pointer for a
    // click (button above 0), below the row for a key with the item of the
    // current category selected. The tree keeps the focus and its cursor.
    void popup(Gtk::TreeView& tree, const Gtk::TreePath& path, int button, int species_id,
               int current) const;

private:
    // The menu of a subtype's list, made when first asked for.
    Gtk::Menu* menu_of(size_t subtype) const;
    const AbundanceChoices* lists = nullptr;
    int current_subtype = -1;
    const SpeciesTreeColumns& columns;
    Chosen chosen;
};
