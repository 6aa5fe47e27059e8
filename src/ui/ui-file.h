// The window's UI file: read whole, or the program stops with the reason.
#pragma once

#include <gtkmm/builder.h>

// The builder of the UI file at path; a file that can't be read or parsed is fatal.
Glib::RefPtr<Gtk::Builder> load_ui_file(const char* path);
// Fatal unless the file has an object id of type. The toolkit would build a
// page or the window over an object of another class without complaint; such
// a UI file is as unusable as one without it.
void require_object(const Glib::RefPtr<Gtk::Builder>& builder, const char* id, GType type);
