#include "test-app.h"

#include "temp-dir.h"

#include <cstdlib>
#include <giomm/application.h>
#include <gtkmm/application.h>

namespace {
// GLib reads the user's folders once, when the toolkit starts; so the private
// folders must be in the environment before main runs.
struct PrivateHome {
    TempDir dir;
    PrivateHome() {
        setenv("HOME", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir.path() + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir.path() + "/.local/share").c_str(), 1);
    }
};
const PrivateHome private_home;
} // namespace

MyApp& test_app() {
    static MyApp* app = [] {
        auto gtk_app =
            Glib::RefPtr<Gtk::Application>::cast_dynamic(Gio::Application::get_default());
        return new MyApp(gtk_app);
    }();
    return *app;
}
