// The Help menu's dialogs, built from the window's UI file: instructions,
// release notes, contact and about.
#pragma once

#include <gtkmm/aboutdialog.h>
#include <gtkmm/builder.h>
#include <gtkmm/dialog.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>
#include <string>

class HelpDialogs {
public:
    Gtk::AboutDialog* about_dialog = nullptr;
    Gtk::Dialog* contact_dialog = nullptr;
    Gtk::Dialog* instructions_dialog = nullptr;
    Gtk::TextView* program_instructions = nullptr;

    // The dialogs stand over parent and carry the program's icons.
    HelpDialogs(const Glib::RefPtr<Gtk::Builder>& builder, Gtk::Window& parent);
    ~HelpDialogs();
    HelpDialogs(const HelpDialogs&) = delete;
    HelpDialogs& operator=(const HelpDialogs&) = delete;

    void instructions();
    void release_notes();
    void contact();
    void about();

private:
    // A help file's markup in the instructions dialog, with the given title.
    void show_help_file(const std::string& path, const Glib::ustring& contents,
                        const Glib::ustring& title);
    void show_contact_addresses(const Glib::RefPtr<Gtk::Builder>& builder);
    void run_and_hide(Gtk::Dialog* dialog);
};
