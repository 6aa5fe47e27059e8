// tavro-window-bench: how fast the survey window answers on the large synthetic
// data set (regions of 3,000 zones and species, one of 16,000 species), each
// figure including the redraw that follows. Needs a display: run-bench.sh runs
// it under Xvfb.
#include "bench-support.h"
#include "data-set-generator.h"
#include "refdata/region-info.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/my-app.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-window.h"
#include "ui/unlisted-panel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <glibmm/fileutils.h>
#include <gtkmm/application.h>
#include <gtkmm/main.h>
#include <unistd.h>

namespace {

void run_pending_events() {
    while (Gtk::Main::events_pending())
        Gtk::Main::iteration();
}

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Times of one operation, each with everything it leaves for the main loop,
// and the longest single step of the main loop among them (the operation
// itself counts as one): the window looks hung while a step lasts.
struct Times {
    std::vector<double> ms;
    double longest_step = 0;
    void add(const std::function<void()>& operation) {
        auto start = std::chrono::steady_clock::now();
        operation();
        longest_step = std::max(longest_step, ms_since(start));
        while (Gtk::Main::events_pending()) {
            auto step = std::chrono::steady_clock::now();
            Gtk::Main::iteration();
            longest_step = std::max(longest_step, ms_since(step));
        }
        ms.push_back(ms_since(start));
    }
    double median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

int over = 0;
void report(const char* what, const Times& t, double median_goal, double worst_goal) {
    const double step_goal = 100;
    bool ok = t.median() <= median_goal && t.worst() <= worst_goal && t.longest_step <= step_goal;
    over += ok ? 0 : 1;
    printf("  %-44s median %6.1f ms (goal %4.0f), worst %6.1f ms (goal %4.0f), "
           "longest step %6.1f ms (goal %3.0f)  %s\n",
           what, t.median(), median_goal, t.worst(), worst_goal, t.longest_step, step_goal,
           ok ? "OK" : "OVER");
}

// Display names of the subregions of a region.
std::vector<Glib::ustring> subregions_of(const RegionInfo& info, const Glib::ustring& region) {
    std::vector<Glib::ustring> names;
    for (const auto& [code, in_region] : info.region_code_by_subregion)
        if (in_region == region) names.push_back(info.subregion_name_by_code.at(code));
    return names;
}

} // namespace

int main(int argc, char** argv) {
    ScratchDir dir("window-bench");
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path() + "/config").c_str(), 1);
    printf("Writing the large data set...\n");
    if (!write_data_set(dir.path() + "/data-files", large_data_set_shape())) return 1;
    // The window reads its UI file and icons from the working folder.
    if (symlink(TAVRO_SOURCE_DIR "/resources", (dir.path() + "/resources").c_str()) != 0 ||
        chdir(dir.path().c_str()) != 0)
        return 1;
    auto gtk_app =
        Gtk::Application::create(argc, argv, "org.tavro.WindowBench", Gio::APPLICATION_NON_UNIQUE);
    gtk_app->register_application();
    MyApp app(gtk_app);
    SurveyWindow* window = SurveyWindow::create(app);
    window->show();
    run_pending_events();
    SurveyPanel1& page = *window->survey_panel1;
    // "--confirmation-first": the Confirmation page has been looked at, so its
    // summaries follow every change of the species lists.
    const bool confirmation_first = argc > 1 && std::string(argv[1]) == "--confirmation-first";
    if (confirmation_first) {
        window->notebook->set_current_page(window->confirm_panel->page_number);
        run_pending_events();
    }
    const auto zoned = subregions_of(*app.region_info, "SYA");
    const auto big = subregions_of(*app.region_info, "BIG");
    if (zoned.size() < 2 || big.size() < 2) return 1;

    printf("\n===== Window on the large data set%s =====\n",
           confirmation_first ? ", Confirmation page visited first" : "");
    Times change, big_change;
    for (int i = 0; i < 10; ++i) {
        change.add([&] { page.subregion->select_label(zoned[i % 2]); });
        big_change.add([&] { page.subregion->select_label(big[i % 2]); });
    }
    page.subregion->select_label(zoned[0]);
    run_pending_events();
    window->notebook->set_current_page(page.page_number);
    run_pending_events();
    Times search;
    for (int round = 0; round < 3; ++round)
        for (const char* text : {"r", "re", "ree", "reef", "", "s", "si", "sit", "site", "site 1",
                                 "site 12", "site 1", "zzz", ""})
            search.add([&] { page.zone_search->set_text(text); });
    // Species search keystrokes: many matches, narrowing, few, none, cleared.
    const char* const typing[] = {"b",       "bl",       "blu",       "blue", "blue g",
                                  "blue go", "blue gob", "blue goby", "",     "s",
                                  "sp",      "spotted",  "spotted w", "zzz",  ""};
    auto search_in = [&](const Glib::ustring& location, Times& times, Times& type_change) {
        page.subregion->select_label(location);
        run_pending_events();
        const auto& types = page.survey_subtype->items;
        for (int i = 0; i < 6 && !types.empty(); ++i)
            type_change.add([&] { page.survey_subtype->select_id(types[i % types.size()].first); });
        page.survey_subtype->select_id(types.empty() ? -1 : types[0].first);
        window->notebook->set_current_page(window->unlisted_panel->page_number);
        run_pending_events();
        for (int round = 0; round < 2; ++round)
            for (const char* text : typing)
                times.add([&] { window->unlisted_panel->species_search->set_text(text); });
    };
    Times species_search, big_search, type_change, big_type_change, abundance;
    search_in(zoned[1], species_search, type_change);
    // Abundance choices from the menu, on species of the listed page.
    std::vector<int> listed;
    window->species_stores.listed_store->foreach_iter([&](const Gtk::TreeIter& row) {
        if ((*row)[window->species_columns.id] >= 0)
            listed.push_back((*row)[window->species_columns.id]);
        return listed.size() >= 10;
    });
    window->notebook->set_current_page(window->listed_panel->page_number);
    run_pending_events();
    for (int round = 0; round < 2; ++round)
        for (int id : listed)
            abundance.add([&] {
                window->abundance_target = id;
                window->on_abundance_menu_item(round == 0 ? 2 : 0);
            });
    search_in(big[1], big_search, big_type_change);

    report("location change (3,000 zones and species):", change, 100, 200);
    report("location change (16,000 species):", big_change, 500, 1000);
    report("zone search keystroke (3,000 zones):", search, 30, 100);
    report("survey type change (3,000 species):", type_change, 100, 200);
    report("survey type change (16,000 species):", big_type_change, 500, 1000);
    report("species search keystroke (3,000 species):", species_search, 16, 30);
    report("species search keystroke (16,000 species):", big_search, 30, 100);
    report("abundance choice (3,000 species):", abundance, 10, 30);

    // A survey of 200 species of the 3,000-species location, written and read back.
    page.subregion->select_label(zoned[0]);
    page.survey_subtype->select_id(
        page.survey_subtype->items.empty() ? -1 : page.survey_subtype->items[0].first);
    run_pending_events();
    window->species_stores.unlisted_store->foreach_iter([&](const Gtk::TreeIter& row) {
        const int id = (*row)[window->species_columns.id];
        if (id > 0) window->survey_data.abundances[id] = 1 + id % 3;
        return window->survey_data.abundances.size() >= 200;
    });
    Times write, read;
    Glib::ustring problem;
    for (int i = 0; i < 10; ++i)
        write.add([&] { window->generate_xml_string(problem, false); });
    const std::string file = dir.path() + "/200-species.TAVRO-Survey";
    Glib::file_set_contents(file, window->survey_data.generated_xml);
    for (int i = 0; i < 10; ++i)
        read.add([&] {
            std::unique_ptr<SurveyWindow> fresh(SurveyWindow::create(app));
            if (fresh->do_open(file) != RC_OK) printf("the survey did not load\n");
        });
    printf("  %-44s median %6.1f ms; read into a new window: median %6.1f ms\n",
           "survey of 200 species written:", write.median(), read.median());

    // A store of 1,000 surveys: saving one more, and listing them all.
    const std::string in_progress = app.get_survey_dir(MyApp::IN_PROGRESS);
    for (int n = 0; n < 1000; ++n)
        Glib::file_set_contents(in_progress + format("/%d-X.TAVRO-Survey", 100000 + n),
                                window->survey_data.generated_xml);
    Times save, listing;
    // The Start page lists the store when the program starts: saves come after.
    window->start_panel->build_survey_model();
    // A save prints the file name it chose; the figures are what is wanted here.
    fflush(stdout);
    const int saved_stdout = dup(1), null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    for (int i = 0; i < 10; ++i)
        save.add([&] { window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT); });
    fflush(stdout);
    dup2(saved_stdout, 1);
    close(null);
    close(saved_stdout);
    for (int i = 0; i < 5; ++i)
        listing.add([&] { window->start_panel->build_survey_model(); });
    // The list reads every stored survey: set it against xmllint reading them.
    const std::string xmllint = "xmllint --noout '" + in_progress + "'/*.TAVRO-Survey";
    Times checked;
    for (int i = 0; i < 5; ++i)
        checked.add([&] {
            if (system(xmllint.c_str()) != 0) printf("xmllint failed\n");
        });
    report("save beside 1,000 stored surveys:", save, 100, 200);
    const double ratio = listing.median() / checked.median();
    over += ratio <= 2 ? 0 : 1;
    printf("  %-44s median %6.1f ms, %.2f x xmllint --noout over the same files (goal 2 x)  %s\n",
           "survey list rebuilt, 1,001 surveys:", listing.median(), ratio,
           ratio <= 2 ? "OK" : "OVER");
    printf("  %-44s %.1f MiB\n", "peak memory of this run:", peak_rss_kib() / 1024.0);
    delete window;
    return over == 0 ? 0 : 1;
}
