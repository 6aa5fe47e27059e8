// Where the keyboard starts on a page of a notebook: the first control, the
// first entry, or a given field, with the page shown.
#pragma once

#include <gtkmm/notebook.h>
#include <gtkmm/widget.h>
#include <gtkmm/window.h>

// Puts the focus on the first control of page, in Tab order; with entry, on
// its topmost, then leftmost, entry one can type into, when it has one.
void focus_page_top(Gtk::Window& window, Gtk::Widget& page, bool entry);
// Calls changed whenever an entry, drop-down box or toggle inside widget
// changes, the way a user changes it.
void on_any_change(Gtk::Widget& widget, const sigc::slot<void>& changed);
// Shows the page of notebook that holds widget and focuses widget.
void show_and_focus(Gtk::Notebook& notebook, Gtk::Widget* widget);
