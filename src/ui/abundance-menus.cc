#include "ui/abundance-menus.h"

#include "core/errors.h"

#include <algorithm>
#include <cstdio>
#include <gtk/gtk.h>

AbundanceMenus::AbundanceMenus(const SpeciesTreeColumns& species_columns, Chosen on_chosen)
    : columns(species_columns), chosen(std::move(on_chosen)) {}

AbundanceMenus::~AbundanceMenus() {
    // Pop-up menus are top-level widgets: nothing else deletes them.
    for (Gtk::Menu* menu : abundance_menus)
        delete menu;
}

void AbundanceMenus::build(const AbundanceChoices* choices) {
    if (!choices) return;
    const auto& lists = choices->subtype_choices;
    for (size_t subtype = 0; subtype < lists.size(); ++subtype) {
        const auto& items = lists[subtype].choices;
        if (items.empty()) {
            abundance_menus.push_back(nullptr);
            continue;
        }
        auto* menu = new Gtk::Menu();
        abundance_menus.push_back(menu);
        for (const auto& choice : items) {
            if (debug_level >= 30)
                printf("For %d, adding %d %s\n", static_cast<int>(subtype), choice.abun,
                       choice.label.c_str());
            auto* item = Gtk::manage(new Gtk::MenuItem(choice.label, false));
            menu->append(*item);
            item->signal_activate().connect([this, abun = int(choice.abun)] { chosen(abun); });
        }
        menu->show_all();
    }
}

void AbundanceMenus::use_subtype(int subtype_id) {
    current_abundance_menu = static_cast<size_t>(subtype_id) < abundance_menus.size()
                                 ? abundance_menus[subtype_id]
                                 : nullptr;
}

Gtk::Menu* AbundanceMenus::menu_for(int species_id) const {
    if (!columns.uses_invertebrate_list(species_id)) return current_abundance_menu;
    size_t list = AbundanceChoices::INVERTEBRATE_SUBTYPE;
    return list < abundance_menus.size() ? abundance_menus[list] : nullptr;
}

void AbundanceMenus::popup(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                           int species_id, int current) const {
    Gtk::Menu* menu = menu_for(species_id);
    Gtk::TreeViewColumn* names = tree.get_column(1);
    // A tree that is not on the screen has nowhere to put a menu.
    if (!menu || !names || !tree.get_bin_window()) return;
    // The event that asked for the menu lets it take over pointer and keyboard.
    GdkEvent* trigger = gtk_get_current_event();
    if (button > 0 && trigger) {
        menu->popup_at_pointer(trigger);
    } else {
        Gdk::Rectangle cell;
        tree.get_cell_area(path, *names, cell);
        menu->popup_at_rect(tree.get_bin_window(), cell, Gdk::GRAVITY_SOUTH_WEST,
                            Gdk::GRAVITY_NORTH_WEST, trigger);
        // The arrow keys start from the category the species has now.
        std::vector<Gtk::Widget*> items = menu->get_children();
        Gtk::MenuItem* item = nullptr;
        if (!items.empty())
            item = dynamic_cast<Gtk::MenuItem*>(
                items[std::min(static_cast<size_t>(std::max(current, 0)), items.size() - 1)]);
        if (item) menu->select_item(*item);
    }
    if (trigger) gdk_event_free(trigger);
}
