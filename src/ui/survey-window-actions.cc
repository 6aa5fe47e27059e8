// What the window's actions do: the menu bar, tool bar, the Help dialogs and the
// pop-up menus of abundance categories.
#include "core/errors.h"
#include "core/misc.h"
#include "core/version.h"
#include "refdata/abundance-choices.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"
#include "ui/unlisted-panel.h"

#include <algorithm>
#include <cstdio>
#include <giomm/file.h>
#include <glibmm/regex.h>
#include <gtk/gtk.h>
#include <pango/pango.h>

RetCode SurveyWindow::build_menus() {
    using W = SurveyWindow;
    const std::pair<const char*, void (W::*)(const std::string&)> plain[] = {
        {"FileOpen", &W::on_action_FileOpen},
        {"FileDelete", &W::on_action_FileDelete},
        {"FileNew", &W::on_action_FileNew},
        {"FileSaveForLater", &W::on_action_FileSaveForLater},
        {"FileSaveForUpload", &W::on_action_FileSaveForUpload},
        {"FileUploadThis", &W::on_action_FileUploadThis},
        {"FileUploadAll", &W::on_action_FileUploadAll},
        {"FileClose", &W::on_action_FileClose},
        {"FileQuit", &W::on_action_FileQuit},
        {"EditCut", &W::on_action_EditCut},
        {"EditCopy", &W::on_action_EditCopy},
        {"EditPaste", &W::on_action_EditPaste},
        {"HelpInstructions", &W::on_action_HelpInstructions},
        {"HelpContact", &W::on_action_HelpContact},
        {"HelpCheckForUpdates", &W::on_action_HelpCheckForUpdates},
        {"HelpReleaseNotes", &W::on_action_HelpReleaseNotes},
        {"HelpAbout", &W::on_action_HelpAbout},
    };
    WindowMenus::Handlers handlers;
    for (const auto& [name, handler] : plain)
        handlers[name] = [this, name = std::string(name), handler] { (this->*handler)(name); };
    handlers["ViewToolbar"] = [this] {
        on_action_ViewToolbar("ViewToolbar", menus.is_active("ViewToolbar"));
    };
    return menus.build(*this, survey_window_box, handlers);
}

void SurveyWindow::build_abundance_menus() {
    if (!app || !app->abundance_choices) return;
    const auto& lists = app->abundance_choices->subtype_choices;
    for (size_t subtype = 0; subtype < lists.size(); ++subtype) {
        const auto& choices = lists[subtype].choices;
        if (choices.empty()) {
            abundance_menus.push_back(nullptr);
            continue;
        }
        auto* menu = new Gtk::Menu();
        abundance_menus.push_back(menu);
        for (const auto& choice : choices) {
            if (debug_level >= 30)
                printf("For %d, adding %d %s\n", static_cast<int>(subtype), choice.abun,
                       choice.label.c_str());
            auto* item = Gtk::manage(new Gtk::MenuItem(choice.label, false));
            menu->append(*item);
            item->signal_activate().connect(sigc::bind(
                sigc::mem_fun(*this, &SurveyWindow::on_abundance_menu_item), int(choice.abun)));
        }
        menu->show_all();
    }
}

void SurveyWindow::on_action_FileSaveForLater(const std::string&) {
    do_save(MyApp::IN_PROGRESS, SAVE_OFFER_NEXT);
}
void SurveyWindow::on_action_FileSaveForUpload(const std::string&) {
    do_save(MyApp::READY_TO_UPLOAD, SAVE_OFFER_NEXT);
}

void SurveyWindow::on_action_FileClose(const std::string&) {
    if (check_file_save_okay("closing this survey")) close_for_good();
}

void SurveyWindow::on_action_FileQuit(const std::string&) {
    if (check_file_save_okay("exiting this program")) close_for_good();
}

// The Edit actions keep the stock accelerators (Ctrl+X, Ctrl+C, Ctrl+V), and
// window accelerators see a key before the focused entry does: unless the
// action does the entry's job, those keys would never reach it.
bool SurveyWindow::clipboard_action(const std::string& name) {
    Gtk::Widget* focus = get_focus();
    if (!focus || !GTK_IS_EDITABLE(focus->gobj())) {
        printf("unimplemented menu action %s\n", name.c_str());
        return false;
    }
    GtkEditable* editable = GTK_EDITABLE(focus->gobj());
    if (name == "EditCut")
        gtk_editable_cut_clipboard(editable);
    else if (name == "EditCopy")
        gtk_editable_copy_clipboard(editable);
    else
        gtk_editable_paste_clipboard(editable);
    return true;
}

void SurveyWindow::on_action_EditCut(const std::string& name) {
    clipboard_action(name);
}
void SurveyWindow::on_action_EditCopy(const std::string& name) {
    clipboard_action(name);
}
void SurveyWindow::on_action_EditPaste(const std::string& name) {
    clipboard_action(name);
}

void SurveyWindow::on_action_ViewToolbar(const std::string& name, bool active) {
    printf("%s() - now %s\n", name.c_str(), active ? "TRUE" : "false");
    if (!menus.toolbar) return;
    if (active)
        menus.toolbar->show();
    else
        menus.toolbar->hide();
}

void SurveyWindow::on_action_HelpInstructions(const std::string&) {
    help->instructions();
}

void SurveyWindow::on_action_HelpReleaseNotes(const std::string&) {
    help->release_notes();
}

void SurveyWindow::on_action_HelpContact(const std::string&) {
    help->contact();
}

void SurveyWindow::on_action_HelpCheckForUpdates(const std::string&) {
    manual_check_for_updates();
}

void SurveyWindow::on_action_HelpAbout(const std::string&) {
    help->about();
}

void SurveyWindow::on_abundance_menu_item(int abun) {
    if (abundance_target < 1) {
        error("**** Invalid ab chg target!!  abun=%d species id %d\n", abun, abundance_target);
        return;
    }
    survey_data.abundances[abundance_target] = abun;
    int target = abundance_target;
    auto visit = [this, target](const Gtk::TreeIter& iter) {
        return update_row_from_abundance(iter, target);
    };
    listed_store->foreach_iter(visit);
    unlisted_store->foreach_iter(visit);
    if (unlisted_panel) unlisted_panel->refilter();
    note_change();
    if (debug_level >= 2)
        printf("abun_menu: species id %d abundance = %d\n", abundance_target, abun);
}

bool SurveyWindow::update_row_from_abundance(const Gtk::TreeIter& iter, int species_id) {
    const Gtk::TreeRow& row = *iter;
    if (row[species_columns.id] == species_id)
        species_columns.set_abundance(row, survey_data.abundances[species_id]);
    // A view may list a species twice, under two families: every row of it changes.
    return false;
}

bool SurveyWindow::update_from_abundance(const Gtk::TreeIter& iter) {
    const Gtk::TreeRow& row = *iter;
    int id = row[species_columns.id];
    // Looked up, not indexed: the survey must not gain an entry per row.
    auto seen = survey_data.abundances.find(id);
    if (id >= 0)
        species_columns.set_abundance(row, seen == survey_data.abundances.end() ? 0 : seen->second);
    return false;
}

Gtk::Menu* SurveyWindow::abundance_menu_for(int species_id) const {
    if (!species_columns.uses_invertebrate_list(species_id)) return current_abundance_menu;
    size_t list = AbundanceChoices::INVERTEBRATE_SUBTYPE;
    return list < abundance_menus.size() ? abundance_menus[list] : nullptr;
}

void SurveyWindow::popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                                        int species_id) {
    abundance_target = species_id;
    Gtk::Menu* menu = abundance_menu_for(abundance_target);
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
        auto seen = survey_data.abundances.find(abundance_target);
        size_t current = seen == survey_data.abundances.end() ? 0 : std::max(seen->second, 0);
        Gtk::MenuItem* item = nullptr;
        if (!items.empty())
            item = dynamic_cast<Gtk::MenuItem*>(items[std::min(current, items.size() - 1)]);
        if (item) menu->select_item(*item);
    }
    if (trigger) gdk_event_free(trigger);
}
