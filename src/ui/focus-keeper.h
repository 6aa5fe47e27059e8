// Keeps the keyboard focus in the window when the focused control is locked:
// choosing Snorkel as the maximum depth, for one, locks the box just chosen in.
#pragma once

#include <gtkmm/widget.h>
#include <gtkmm/window.h>
#include <sigc++/connection.h>
#include <sigc++/trackable.h>

// Trackable: the window still reports focus changes while it is torn down.
class FocusKeeper : public sigc::trackable {
public:
    // Watches window's focus for as long as both live.
    explicit FocusKeeper(Gtk::Window& window);
    ~FocusKeeper();
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    void on_set_focus(Gtk::Widget* focus);
    void move_on();

    Gtk::Window& window;
    // Weak: the focused control, and the one that just lost the focus by
    // turning insensitive.
    GWeakRef focused;
    GWeakRef locked;
    sigc::connection pending;
};
