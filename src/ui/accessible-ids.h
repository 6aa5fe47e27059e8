// Gives every widget of a UI file its id as accessible id, so that screen
// reader scripts and automated tests find each control by the id the code uses.
#pragma once

#include <gtkmm/builder.h>

void set_accessible_ids(const Glib::RefPtr<Gtk::Builder>& builder);
