#include "ui/window-menus.h"

#include <cstdio>
#include <gtkmm/action.h>
#include <gtkmm/actiongroup.h>
#include <gtkmm/stock.h>
#include <gtkmm/toggleaction.h>
#include <gtkmm/uimanager.h>
#include <vector>

namespace {
const char* const MENU_LAYOUT = R"(<ui>
  <menubar name="MenuBar">
    <menu action="FileMenu">
      <menuitem action="FileNew"/>
      <menuitem action="FileDelete"/>
      <menuitem action="FileOpen"/>
      <separator/>
      <menuitem action="FileSaveForLater"/>
      <menuitem action="FileSaveForUpload"/>
      <separator/>
      <menuitem action="FileUploadThis"/>
      <menuitem action="FileUploadAll"/>
      <separator/>
      <menuitem action="FileClose"/>
      <menuitem action="FileQuit"/>
    </menu>
    <menu action="EditMenu">
      <menuitem action="EditCut"/>
      <menuitem action="EditCopy"/>
      <menuitem action="EditPaste"/>
    </menu>
    <menu action="ViewMenu">
      <menuitem action="ViewToolbar"/>
    </menu>
    <menu action="HelpMenu">
      <menuitem action="HelpInstructions"/>
      <menuitem action="HelpContact"/>
      <menuitem action="HelpCheckForUpdates"/>
      <menuitem action="HelpReleaseNotes"/>
      <menuitem action="HelpAbout"/>
    </menu>
    <menu action="SurveysMenu">
      <menuitem action="SurveysRepeat"/>
      <separator/>
      <menuitem action="SurveysBackUp"/>
      <menuitem action="SurveysRestore"/>
      <separator/>
      <menuitem action="SurveysForget"/>
    </menu>
  </menubar>
  <toolbar name="ToolBar">
    <toolitem action="FileNew"/>
    <toolitem action="FileOpen"/>
    <toolitem action="FileSaveForLater"/>
    <toolitem action="FileSaveForUpload"/>
    <toolitem action="FileQuit"/>
    <toolitem action="FileUploadThis"/>
    <toolitem action="FileUploadAll"/>
  </toolbar>
</ui>)";

enum Kind { MENU, PLAIN, TOGGLE };
struct ActionInfo {
    const char* name;
    const char* label;
    const char* tooltip;
    Gtk::StockID stock;
    Kind kind;
    const char* accelerator = nullptr;
};

// Made on first use: the stock ids are the toolkit's.
const std::vector<ActionInfo>& action_table() {
    const Gtk::StockID none;
    static const std::vector<ActionInfo> table = {
        {"FileMenu", "_File", "", none, MENU},
        {"FileOpen", "_Open existing survey...", "Open saved survey file", Gtk::Stock::OPEN, PLAIN},
        {"FileDelete", "_Delete saved survey...", "Delete a saved survey", Gtk::Stock::DELETE,
         PLAIN},
        {"FileNew", "_New survey...", "Start new survey", Gtk::Stock::NEW, PLAIN},
        {"FileSaveForLater", "_Save survey for later", "Save survey to finish later",
         Gtk::Stock::SAVE, PLAIN},
        {"FileSaveForUpload", "Mark as _ready to upload", "Save survey for later uploading", none,
         PLAIN},
        {"FileUploadThis", "_Upload this survey", "Upload only this survey now",
         Gtk::Stock::NETWORK, PLAIN},
        {"FileUploadAll", "Upload _all ready surveys", "Upload all surveys marked ready now",
         Gtk::Stock::NETWORK, PLAIN},
        {"FileClose", "_Close Survey", "Close current survey", Gtk::Stock::CLOSE, PLAIN},
        {"FileQuit", "_Quit", "Quit program and close all windows", Gtk::Stock::QUIT, PLAIN},
        {"EditMenu", "_Edit", "", none, MENU},
        {"EditCut", "Cut", "Cut", Gtk::Stock::CUT, PLAIN},
        {"EditCopy", "Copy", "Copy", Gtk::Stock::COPY, PLAIN},
        {"EditPaste", "Paste", "Paste", Gtk::Stock::PASTE, PLAIN},
        {"ViewMenu", "_View", "", none, MENU},
        {"ViewToolbar", "_Toolbar", "View toolbar", none, TOGGLE},
        {"HelpMenu", "_Help", "", none, MENU},
        {"HelpInstructions", "_Instructions", "Show information about how to use this program",
         Gtk::Stock::HELP, PLAIN},
        {"HelpContact", "_Contact TAVRO", "How to contact TAVRO", none, PLAIN},
        {"HelpCheckForUpdates", "Check For _Updates",
         "Check TAVRO web site for updated program or data files", none, PLAIN},
        {"HelpReleaseNotes", "_Release Notes",
         "Show what has been changed recently in this program", none, PLAIN},
        {"HelpAbout", "_About TAVRO Survey...", "About TAVRO Survey", Gtk::Stock::ABOUT, PLAIN},
        {"SurveysMenu", "_Surveys", "", none, MENU},
        // The one accelerator beside the File menu's: a week of dives is
        // keyed one repeat after another.
        {"SurveysRepeat", "New Survey From _This One",
         "Start a new survey with this one's member, place, date and conditions", none, PLAIN,
         "<control><shift>n"},
        {"SurveysBackUp", "_Back Up Surveys...", "Save every survey into one file", none, PLAIN},
        {"SurveysRestore", "_Restore Surveys...", "Add the surveys of a backup file", none, PLAIN},
        {"SurveysForget", "_Forget Member Details",
         "Stop filling in the member number and name on this computer", none, PLAIN},
    };
    return table;
}
} // namespace

WindowMenus::WindowMenus()
    : action_group(Gtk::ActionGroup::create("")), ui_manager(Gtk::UIManager::create()) {}

WindowMenus::~WindowMenus() = default;

bool WindowMenus::is_active(const std::string& name) const {
    auto toggle = toggle_actions.find(name);
    return toggle != toggle_actions.end() && toggle->second->get_active();
}

void WindowMenus::set_sensitive(bool sensitive) {
    action_group->set_sensitive(sensitive);
}

RetCode WindowMenus::build(Gtk::Window& window, Gtk::Box* box, const Handlers& handlers) {
    for (const ActionInfo& info : action_table()) {
        Glib::RefPtr<Gtk::Action> action;
        if (info.kind == MENU) {
            action = Gtk::Action::create(info.name, info.label, "");
            action_group->add(action);
        } else {
            if (info.kind == TOGGLE)
                action = toggle_actions[info.name] =
                    Gtk::ToggleAction::create(info.name, info.stock, info.label, info.tooltip);
            else
                action = Gtk::Action::create(info.name, info.stock, info.label, info.tooltip);
            auto handler = handlers.find(info.name);
            if (handler != handlers.end() && info.accelerator)
                action_group->add(action, Gtk::AccelKey(info.accelerator), handler->second);
            else if (handler != handlers.end())
                action_group->add(action, handler->second);
            else
                action_group->add(action);
        }
        actions[info.name] = action;
    }
    ui_manager->insert_action_group(action_group, 0);
    window.add_accel_group(ui_manager->get_accel_group());
    try {
        ui_manager->add_ui_from_string(MENU_LAYOUT);
    } catch (const Glib::Error& e) {
        printf("SurveyWindow: building menus failed: %s", e.what().c_str());
        return RC_ERROR;
    }
    // Packed one after the other at the start: the menu bar ends up above the tool bar.
    toolbar = ui_manager->get_widget("/ToolBar");
    menubar = ui_manager->get_widget("/MenuBar");
    for (Gtk::Widget* bar : {toolbar, menubar}) {
        if (!bar || !box) continue;
        box->pack_start(*bar, Gtk::PACK_SHRINK);
        box->reorder_child(*bar, 0);
    }
    if (toolbar) toolbar->hide();
    actions["EditMenu"]->set_visible(false);
    actions["ViewMenu"]->set_visible(false);
    return RC_OK;
}
