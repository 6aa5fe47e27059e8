#include "ui/main-window.h"

#include "ui/my-app.h"

#include <gtkmm/label.h>

Gtk::Window* create_main_window(MyApp& /*app*/) {
    // Stand-in until the survey window lands.
    auto* window = new Gtk::Window();
    window->set_title("TAVRO Survey");
    window->set_default_size(900, 600);
    if (!MyApp::icon_list.empty()) window->set_icon_list(MyApp::icon_list);
    auto* label = Gtk::manage(new Gtk::Label("TAVRO Survey"));
    window->add(*label);
    label->show();
    return window;
}
