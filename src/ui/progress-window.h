// A small window over the survey window while the program talks to the
// server or unpacks a data set: what it does, how far it got, and Cancel.
#pragma once

#include "net/net-session.h"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/progressbar.h>
#include <gtkmm/window.h>

class ProgressWindow : public NetProgress {
public:
    // Cancel ends the session's exchange under way and those after it.
    ProgressWindow(Gtk::Window& parent, NetSession& session);
    ~ProgressWindow();
    void step(const std::string& what) override;
    void bytes(uint64_t done, int64_t total) override;

    Gtk::Window window;
    Gtk::Label label, amount;
    Gtk::ProgressBar bar;
    Gtk::Button cancel{"_Cancel", true};

private:
    Gtk::Box box{Gtk::ORIENTATION_VERTICAL, 8};
    bool total_known = false;
    sigc::connection pulse; // while how far it got is not known
};
