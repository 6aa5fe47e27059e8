// The application object: the toolkit side on top of the reference data.
#pragma once

#include "app/my-app-core.h"

#include <gdkmm/pixbuf.h>
#include <gtkmm/application.h>
#include <vector>

class MyApp : public MyAppCore {
public:
    Glib::RefPtr<Gtk::Application> app;
    // Logo in every size we have, given to every window and dialog.
    static std::vector<Glib::RefPtr<Gdk::Pixbuf>> icon_list;

    explicit MyApp(Glib::RefPtr<Gtk::Application> app);

    // Fills icon_list from "resources/TAVRO-logo-%d.png"; a missing size is left out.
    static void load_icons();
};
