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
    // Each menu is made when its list is first needed: a data set has dozens
    // of lists, and the window is wanted on the screen first.
    lists = choices;
    for (Gtk::Menu* menu : abundance_menus)
        delete menu;
    current_abundance_menu = nullptr;
    abundance_menus.assign(choices ? choices->subtype_choices.size() : 0, nullptr);
}

Gtk::Menu* AbundanceMenus::menu_of(size_t subtype) const {
    if (!lists || subtype >= abundance_menus.size()) return nullptr;
    Gtk::Menu*& menu = abundance_menus[subtype];
    const auto& items = lists->subtype_choices[subtype].choices;
    if (menu || items.empty()) return menu;
    menu = new Gtk::Menu();
    for (const auto& choice : items) {
        if (debug_level >= 30)
            printf("For %d, adding %d %s\n", static_cast<int>(subtype), choice.abun,
                   choice.label.c_str());
        auto* item = Gtk::manage(new Gtk::MenuItem(choice.label, false));
        menu->append(*item);
        item->signal_activate().connect([this, abun = int(choice.abun)] { chosen(abun); });
    }
    menu->show_all();
    return menu;
}

int AbundanceMenus::abun_for_digit(int species_id, int digit) const {
    const size_t list = columns.uses_invertebrate_list(species_id)
                            ? size_t(AbundanceChoices::INVERTEBRATE_SUBTYPE)
                            : size_t(current_subtype);
    if (!lists || current_subtype < 0 || list >= lists->subtype_choices.size()) return -1;
    int nth = 0;
    for (const auto& choice : lists->subtype_choices[list].choices)
        if (digit == 0 ? choice.abun == 0 : choice.abun != 0 && ++nth == digit) return choice.abun;
    return -1;
}

void AbundanceMenus::use_subtype(int subtype_id) {
    current_subtype = subtype_id;
    current_abundance_menu = subtype_id >= 0 ? menu_of(static_cast<size_t>(subtype_id)) : nullptr;
}

Gtk::Menu* AbundanceMenus::menu_for(int species_id) const {
    if (!columns.uses_invertebrate_list(species_id)) return current_abundance_menu;
    return menu_of(AbundanceChoices::INVERTEBRATE_SUBTYPE);
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
