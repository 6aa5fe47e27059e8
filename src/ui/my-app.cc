#include "ui/my-app.h"

#include "core/errors.h"
#include "core/link-handlers.h"
#include "survey/survey-writer.h"
#include "ui/dialogs.h"

#include <condition_variable>
#include <glibmm/miscutils.h>
#include <mutex>
#include <thread>

std::vector<Glib::RefPtr<Gdk::Pixbuf>> MyApp::icon_list;

namespace {
// The first icons the window draws are drawings, and the first of them loads
// the drawing reader, a library of its own (about 10 ms at start-up).
void load_drawing_reader() {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_mime_type("image/svg+xml", nullptr);
    if (!loader) return;
    static const char drawing[] = "<svg xmlns='http://www.w3.org/2000/svg' width='1' height='1'/>";
    gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(drawing), sizeof drawing - 1,
                            nullptr);
    gdk_pixbuf_loader_close(loader, nullptr);
    g_object_unref(loader);
}
} // namespace

MyApp::MyApp(Glib::RefPtr<Gtk::Application> application, const std::function<void()>& meanwhile)
    : app(std::move(application)) {
    RetCode loaded = RC_OK;
    if (meanwhile) {
        loaded = load_beside(meanwhile);
    } else {
        install_error_dialogs();
        loaded = load_reference_data();
    }
    if (loaded != RC_OK)
        fatal_with_advice(
            "The data files were looked for in " +
                Glib::build_filename(Glib::get_current_dir(), INSTALLED_DATA_DIR) + " and in " +
                get_local_data_dir() +
                "/data-files/. Please start the program from its installation folder (the one "
                "that holds data-files/), or with ./make.sh run from its source folder.",
            "Failed to read data files; you may need to reinstall the app.  Sorry!");
    if (icon_list.empty()) load_icons();
    ensure_link_handlers();
}

RetCode MyApp::load_beside(const std::function<void()>& meanwhile) {
    // The readers' reports wait for the main thread, which alone may show
    // dialogs; a fatal one stops the reading thread where it is.
    struct Report {
        Glib::ustring message, title;
        bool is_fatal;
    };
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Report> reports;
    bool done = false, fatal_report = false;
    set_error_display_hook(
        [&](const Glib::ustring& message, bool is_fatal, const Glib::ustring& title) {
            std::unique_lock<std::mutex> held(lock);
            reports.push_back({message, title, is_fatal});
            if (!is_fatal) return;
            fatal_report = true;
            changed.notify_all();
            changed.wait(held, [] { return false; }); // until the program ends
        });
    // The first window writes a survey to know it unchanged, and every
    // survey names the platform, which takes a command to find: found beside.
    std::thread([] { platform_line(); }).detach();
    RetCode loaded = RC_ERROR;
    std::thread reader([&] {
        loaded = load_reference_data();
        {
            std::lock_guard<std::mutex> held(lock);
            done = true;
            changed.notify_all();
        }
        // Loaded beside the window being built, once the data no longer
        // needs this core.
        std::thread(load_drawing_reader).detach();
    });
    meanwhile();
    std::vector<Report> shown;
    {
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [&] { return done || fatal_report; });
        shown = reports;
    }
    install_error_dialogs();
    for (const Report& report : shown)
        show_error_message(report.message, report.is_fatal, report.title);
    if (fatal_report) {
        reader.detach();
        exit(exit_status_for(RC_ERROR));
    }
    reader.join();
    return loaded;
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
