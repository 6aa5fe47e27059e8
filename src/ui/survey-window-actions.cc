// What the window's actions do: the menu bar, tool bar, the Help dialogs and the
// choices of the abundance pop-up menus.
#include "core/errors.h"
#include "core/misc.h"
#include "ui/confirm-panel.h"
#include "ui/my-app.h"
#include "ui/page-navigator.h"
#include "ui/survey-window.h"
#include "ui/surveys-menu.h"
#include "ui/unlisted-panel.h"

#include <cstdio>
#include <gtk/gtk.h>

SurveyWindow::SurveyWindow(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Window(cobject) {}
SurveyWindow::~SurveyWindow() = default;

// After the pages: the Surveys menu fills and watches the Member page.
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
    surveys_menu = std::make_unique<SurveysMenu>(*this);
    surveys_menu->add_handlers(handlers);
    handlers["ViewToolbar"] = [this] {
        on_action_ViewToolbar("ViewToolbar", menus.is_active("ViewToolbar"));
    };
    surveys_menu->connect_pages();
    return menus.build(*this, survey_window_box, handlers);
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

void SurveyWindow::on_action_ViewToolbar(const std::string& name, bool active) {
    printf("%s() - now %s\n", name.c_str(), active ? "TRUE" : "false");
    if (!menus.toolbar) return;
    if (active)
        menus.toolbar->show();
    else
        menus.toolbar->hide();
}

void SurveyWindow::on_abundance_menu_item(int abun) {
    if (abundance_target < 1) {
        error("**** Invalid ab chg target!!  abun=%d species id %d\n", abun, abundance_target);
        return;
    }
    survey_data.abundances[abundance_target] = abun;
    species_stores.set_abundance(abundance_target, abun);
    if (unlisted_panel) unlisted_panel->refilter();
    // Chosen on the Confirmation page: its counts and verdict follow.
    if (confirm_panel && notebook->get_current_page() == confirm_panel->page_number)
        confirm_panel->refresh();
    note_change();
    if (debug_level >= 2)
        printf("abun_menu: species id %d abundance = %d\n", abundance_target, abun);
}

void SurveyWindow::choose_abundance_by_digit(int species_id, int digit) {
    if (survey_data.already_uploaded) return;
    const int abun = abundance_popups.abun_for_digit(species_id, digit);
    if (abun < 0) return;
    abundance_target = species_id;
    on_abundance_menu_item(abun);
}

void SurveyWindow::popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                                        int species_id) {
    abundance_target = species_id;
    auto seen = survey_data.abundances.find(species_id);
    abundance_popups.popup(tree, path, button, species_id,
                           seen == survey_data.abundances.end() ? 0 : seen->second);
}
