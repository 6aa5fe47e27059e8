// The survey window's menu bar and tool bar. They stand on the toolkit's
// action, UI manager and stock API, used on purpose; this and the few files
// named in CMakeLists.txt are the only ones that may use it.
#pragma once

#include "core/errors.h"

#include <functional>
#include <gtkmm/box.h>
#include <gtkmm/window.h>
#include <map>
#include <string>

// Only declared here, so that the window's files need none of that API.
namespace Gtk {
class Action;
class ActionGroup;
class ToggleAction;
class UIManager;
} // namespace Gtk

class WindowMenus {
public:
    // What each action does, by action name.
    using Handlers = std::map<std::string, std::function<void()>>;

    std::map<std::string, Glib::RefPtr<Gtk::Action>> actions;
    std::map<std::string, Glib::RefPtr<Gtk::ToggleAction>> toggle_actions;
    Glib::RefPtr<Gtk::ActionGroup> action_group;
    Glib::RefPtr<Gtk::UIManager> ui_manager;
    Gtk::Widget* menubar = nullptr;
    Gtk::Widget* toolbar = nullptr;

    WindowMenus();
    ~WindowMenus();
    WindowMenus(const WindowMenus&) = delete;
    WindowMenus& operator=(const WindowMenus&) = delete;

    // Makes every action with its handler, gives the window their
    // accelerators and puts the menu bar, above the hidden tool bar, at the
    // top of box. RC_ERROR when the layout can't be built.
    RetCode build(Gtk::Window& window, Gtk::Box* box, const Handlers& handlers);
    // Whether the toggle action of that name is on.
    bool is_active(const std::string& name) const;
    // Every command on or off at once (off while the window waits for the server).
    void set_sensitive(bool sensitive);
};
