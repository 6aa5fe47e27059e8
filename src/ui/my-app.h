// The application object: the toolkit side on top of the reference data.
#pragma once

#include "app/my-app-core.h"

#include <functional>
#include <gdkmm/pixbuf.h>
#include <gtkmm/application.h>
#include <vector>

class MyApp : public MyAppCore {
public:
    Glib::RefPtr<Gtk::Application> app;
    // Logo in every size we have, given to every window and dialog.
    static std::vector<Glib::RefPtr<Gdk::Pixbuf>> icon_list;

    // Reads the reference data; given meanwhile, on a thread of its own while
    // meanwhile runs here (the application registers and the window's UI file
    // is read meanwhile at start-up).
    // What the reading reports is shown once it is done, a fatal fault first.
    explicit MyApp(Glib::RefPtr<Gtk::Application> app,
                   const std::function<void()>& meanwhile = nullptr);

    // Fills icon_list from "resources/TAVRO-logo-%d.png"; a missing size is left out.
    static void load_icons();

private:
    RetCode load_beside(const std::function<void()>& meanwhile);
};
