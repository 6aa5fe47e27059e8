// The survey window's menu bar and tool bar. They stand on the toolkit's
// action, UI manager and stock API, used on purpose; this and the few files
// named in CMakeLists.txt are the only ones that may use it.
#pragma once

#include "core/errors.h"

#include <functional>
#include <gtkmm/action.h>
#include <gtkmm/actiongroup.h>
#include <gtkmm/box.h>
#include <gtkmm/toggleaction.h>
#include <gtkmm/uimanager.h>
#include <gtkmm/window.h>
#include <map>
#include <string>

class WindowMenus {
public:
    // What each action does, by action name.
    using Handlers = std::map<std::string, std::function<void()>>;

    std::map<std::string, Glib::RefPtr<Gtk::Action>> actions;
    std::map<std::string, Glib::RefPtr<Gtk::ToggleAction>> toggle_actions;
    Glib::RefPtr<Gtk::ActionGroup> action_group = Gtk::ActionGroup::create("");
    Glib::RefPtr<Gtk::UIManager> ui_manager = Gtk::UIManager::create();
    Gtk::Widget* menubar = nullptr;
    Gtk::Widget* toolbar = nullptr;

    // Makes every action with its handler, gives the window their
    // accelerators and puts the menu bar, above the hidden tool bar, at the
    // top of box. RC_ERROR when the layout can't be built.
    RetCode build(Gtk::Window& window, Gtk::Box* box, const Handlers& handlers);
};
