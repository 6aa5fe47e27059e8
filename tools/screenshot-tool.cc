// Builds the real survey window, steps through its pages and writes a PNG of
// each, so that anyone can look at the layout without clicking through.
// Usage: survey-screenshots OUT_DIR (run in the installation folder).
#include "refdata/region-info.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/drop-down-box.h"
#include "ui/survey-panel1.h"
#include "ui/survey-window.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <gtkmm/main.h>
#include <thread>

namespace {

// Gives the X server time to draw what the toolkit has sent.
void settle() {
    for (int i = 0; i < 20; ++i) {
        while (Gtk::Main::events_pending())
            Gtk::Main::iteration();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

std::string file_name_for(int page, const Glib::ustring& title) {
    std::string name;
    for (char c : title.raw()) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!name.empty() && name.back() != '-')
            name += '-';
    }
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    char prefix[16];
    snprintf(prefix, sizeof prefix, "%02d-", page);
    return prefix + name + ".png";
}

bool save_window(Gtk::Window& window, const std::string& path) {
    auto gdk_window = window.get_window();
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(
        gdk_window->gobj(), 0, 0, gdk_window->get_width(), gdk_window->get_height());
    if (!pixbuf) return false;
    GError* error = nullptr;
    bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", &error, nullptr);
    if (error) {
        fprintf(stderr, "%s: %s\n", path.c_str(), error->message);
        g_error_free(error);
    }
    g_object_unref(pixbuf);
    return saved;
}

// The pages are shown at their fullest: the first survey type of Tropical
// Western Atlantic, the region with the most habitats, chosen as a user would,
// and a zone search.
void choose_western_atlantic(MyApp& app, SurveyWindow& window) {
    if (!app.region_info) return;
    for (const Region& subtype : app.region_info->regions) {
        if (subtype.surveytypeid < 0 || subtype.regioncode != "TWA" || !subtype.visible) continue;
        SurveyPanel1& page = *window.survey_panel1;
        page.subregion->select_label(app.region_info->subregion_name_by_code.at(subtype.subregioncode));
        page.survey_subtype->select_id(subtype.surveytypeid);
        page.zone_search->set_text("reef");
        return;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    std::string out_dir = argv[1];
    int no_args = 1;
    auto app = Gtk::Application::create(no_args, argv, "org.tavro.SurveyScreenshots",
                                        Gio::APPLICATION_NON_UNIQUE);
    if (!app->register_application()) return 7;
    MyApp my_app(app);
    SurveyWindow* window = SurveyWindow::create(my_app);
    app->add_window(*window);
    choose_western_atlantic(my_app, *window);
    window->move(0, 0);
    window->show();
    settle();
    int failures = 0;
    for (int page = 0; page < window->notebook->get_n_pages(); ++page) {
        window->notebook->set_current_page(page);
        settle();
        Glib::ustring title =
            window->notebook->get_tab_label_text(*window->notebook->get_nth_page(page));
        std::string path = out_dir + "/" + file_name_for(page, title);
        if (save_window(*window, path))
            printf("%s\n", path.c_str());
        else
            ++failures;
    }
    // The release notes, for their wrapped bullets.
    set_dialog_responder([&](Gtk::Dialog& dialog) {
        dialog.show();
        settle();
        std::string path = out_dir + "/help-release-notes.png";
        if (save_window(dialog, path))
            printf("%s\n", path.c_str());
        else
            ++failures;
        return static_cast<int>(Gtk::RESPONSE_CLOSE);
    });
    window->actions["HelpReleaseNotes"]->activate();
    window->hide();
    delete window;
    return failures == 0 ? 0 : 1;
}
