#include "ui/my-app.h"

#include "core/errors.h"
#include "core/link-handlers.h"
#include "ui/dialogs.h"

std::vector<Glib::RefPtr<Gdk::Pixbuf>> MyApp::icon_list;

MyApp::MyApp(Glib::RefPtr<Gtk::Application> application) : app(std::move(application)) {
    install_error_dialogs();
    if (load_reference_data() != RC_OK)
        fatal("Failed to read data files; you may need to reinstall the app.  Sorry!");
    if (icon_list.empty()) load_icons();
    ensure_link_handlers();
}

void MyApp::load_icons() {
    for (int size : {16, 32, 64, 128, 256}) {
        std::string path = format("resources/TAVRO-logo-%d.png", size);
        try {
            auto pixbuf = Gdk::Pixbuf::create_from_file(path);
            if (pixbuf) icon_list.push_back(pixbuf);
        } catch (const Glib::Error& e) {
            if (debug_level > 0) printf("No logo %s: %s\n", path.c_str(), e.what().c_str());
        }
    }
    // What the dialogs take, without knowing the application object.
    Gtk::Window::set_default_icon_list(icon_list);
}
