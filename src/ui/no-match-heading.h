// The heading a search shows when it finds nothing, offering the nearest
// names as links: a click, or Return on a link reached with Tab, searches
// that name instead.
#pragma once

#include <glibmm/ustring.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <vector>

class NoMatchHeading : public sigc::trackable {
public:
    // label keeps its own text ("No ... match your search."); the links go
    // after it, and a chosen one is typed into entry.
    void attach(Gtk::Label* label, Gtk::Entry* entry);
    // The names to offer; none leaves the plain text.
    void offer(const std::vector<Glib::ustring>& names);
    const std::vector<Glib::ustring>& offered() const { return names; }

private:
    bool on_link(const Glib::ustring& uri);
    void search_for(Glib::ustring name);
    Gtk::Label* label = nullptr;
    Gtk::Entry* entry = nullptr;
    Glib::ustring text;
    std::vector<Glib::ustring> names;
};
