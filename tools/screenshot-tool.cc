// Builds the real survey window, steps through its pages and writes a PNG of
// each, so that anyone can look at the layout without clicking through.
// Usage: survey-screenshots OUT_DIR (run in the installation folder).
#include "refdata/region-info.h"
#include "refdata/species-views.h"
#include "ui/confirm-panel.h"
#include "ui/dialogs.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/restore-offer.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/survey-window.h"
#include "ui/unlisted-panel.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <gdkmm/display.h>
#include <gdkmm/seat.h>
#include <gtkmm/main.h>
#include <memory>
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

// Chooses a location and survey type the way a user does on Survey Info Part 1.
void choose_survey_type(MyApp& app, SurveyWindow& window, const Region& subtype) {
    SurveyPanel1& page = *window.survey_panel1;
    page.subregion->select_label(app.region_info->subregion_name_by_code.at(subtype.subregioncode));
    page.survey_subtype->select_id(subtype.surveytypeid);
}

const Region* first_subtype_of(MyApp& app, const char* subregion) {
    if (app.region_info)
        for (const Region& subtype : app.region_info->regions)
            if (subtype.surveytypeid >= 0 && subtype.subregioncode == subregion) return &subtype;
    return nullptr;
}

// The Listed Species page with rare species, Spanish names and a few species
// marked: Pacific Central America has all three.
void mark_central_american_species(MyApp& app, SurveyWindow& window) {
    const Region* subtype = first_subtype_of(app, "CAM");
    if (!subtype) return;
    choose_survey_type(app, window, *subtype);
    const RegionFishInfo& catalogue = *window.survey_data.region_fish_info;
    int marked = 0, last = -1;
    for (const SpeciesViewEntry& row :
         app.species_views->entries(window.survey_data.species_view)) {
        const RegionFishInfo::Species* species = catalogue.find_species(row.speciesid);
        if (species && (marked < 2 || species->rarefishind > 0) && marked < 6)
            window.survey_data.abundances[last = row.speciesid] = 1 + marked++ % 4;
    }
    window.listed_panel->spanish_enable->set_active(true);
    window.listed_panel->update_for_view();
    // Down to the last one marked, a shaded one.
    window.species_stores.listed_store->foreach_iter([&](const Gtk::TreeIter& iter) {
        if ((*iter)[window.species_columns.id] != last) return false;
        window.listed_panel->species_tree->scroll_to_row(
            window.species_stores.listed_store->get_path(iter), 0.5);
        return true;
    });
}

// Unlisted Species with a species added from a search, and a search shown.
void add_unlisted_species(SurveyWindow& window) {
    int added = -1;
    window.species_stores.unlisted_store->foreach_iter([&](const Gtk::TreeIter& iter) {
        if ((*iter)[window.species_columns.id] < 0 || (*iter)[window.species_columns.in_view])
            return false;
        added = (*iter)[window.species_columns.id];
        return true;
    });
    if (added < 0) return;
    window.abundance_target = added;
    window.on_abundance_menu_item(2);
    window.unlisted_panel->species_search->set_text("snapper");
}

// Answers for the Confirmation page: with faults, several of them in red;
// without, a complete survey dated today.
void answer_conditions(SurveyWindow& window, bool faults) {
    SurveyPanel1& p1 = *window.survey_panel1;
    SurveyPanel2& p2 = *window.survey_panel2;
    const time_t now = time(nullptr);
    struct tm today;
    localtime_r(&now, &today);
    p1.year->select_id(today.tm_year + 1900);
    p1.month->select_id(faults ? 4 : today.tm_mon + 1);
    p1.mday->select_id(faults ? 31 : today.tm_mday);
    p1.dive_start->set_active(faults ? -1 : 2);
    const RegionFishInfo* catalogue = window.survey_data.region_fish_info;
    for (int zone : catalogue ? catalogue->geog_ids : std::vector<int>())
        if (zone >= 10000000) p1.zonecode->set_text(faults ? "2101" : std::to_string(zone));
    p2.surface_temp->set_text(faults ? "99" : "81");
    p2.bottom_temp->set_text("79");
    p2.bottom_time->set_text(faults ? "150" : "50");
    p2.visibility->set_active(2);
    p2.avg_depth->set_active(4);
    p2.max_depth->set_active(faults ? 3 : 5);
    p2.current->set_active(1);
    p2.habitat->set_active(1);
}

// A store with surveys in every folder, two members' among those ready, so
// that the Start page shows its groups.
void save_sample_surveys(MyApp& app) {
    const struct {
        const char* member;
        const char* subregion;
        int day;
        MyApp::WhichDir which;
    } samples[] = {
        {"4711", "FLK", 3, MyApp::IN_PROGRESS},      {"4711", "CAM", 9, MyApp::IN_PROGRESS},
        {"4711", "FLK", 12, MyApp::READY_TO_UPLOAD}, {"815", "FLK", 12, MyApp::READY_TO_UPLOAD},
        {"4711", "CAM", 20, MyApp::UPLOADED},
    };
    for (const auto& sample : samples) {
        const Region* subtype = first_subtype_of(app, sample.subregion);
        if (!subtype) continue;
        std::unique_ptr<SurveyWindow> window(SurveyWindow::create(app));
        window->member_panel->member_id->set_text(sample.member);
        choose_survey_type(app, *window, *subtype);
        answer_conditions(*window, false);
        // Dives of last year: none of them lies ahead.
        DropDownBox& year = *window->survey_panel1->year;
        year.select_id(year.get_selected_id() - 1);
        window->survey_panel1->mday->select_id(sample.day);
        const bool uploaded = sample.which == MyApp::UPLOADED;
        if (window->do_save(uploaded ? MyApp::READY_TO_UPLOAD : sample.which,
                            SurveyWindow::SAVE_SILENT) == RC_OK &&
            uploaded)
            app.move_survey_to(MyApp::UPLOADED, window->survey_data.filename);
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
    save_sample_surveys(my_app);
    int failures = 0;
    // The question at start-up after a window was lost with unsaved answers.
    {
        std::unique_ptr<SurveyWindow> lost(SurveyWindow::create(my_app));
        lost->member_panel->member_id->set_text("4711");
        if (const Region* subtype = first_subtype_of(my_app, "FLK"))
            choose_survey_type(my_app, *lost, *subtype);
        if (lost->recovery->update() && lost->recovery->store()) lost->recovery->store()->abandon();
    }
    set_dialog_responder([&](Gtk::Dialog& dialog) {
        dialog.show();
        settle();
        const std::string path = out_dir + "/restore-question.png";
        if (save_window(dialog, path))
            printf("%s\n", path.c_str());
        else
            ++failures;
        return static_cast<int>(Gtk::RESPONSE_NO);
    });
    restore_unsaved_surveys(my_app);
    SurveyWindow* window = SurveyWindow::create(my_app);
    app->add_window(*window);
    // Survey Info Part 1 and 2 are shown at their fullest: Tropical Western
    // Atlantic has the most habitats; a zone search shows the tree.
    if (const Region* subtype = first_subtype_of(my_app, "FLK"))
        choose_survey_type(my_app, *window, *subtype);
    window->survey_panel1->zone_search->set_text("reef");
    window->member_panel->member_id->set_text("4711");
    window->member_panel->last_name->set_text("O'Brien");
    window->move(0, 0);
    // The pointer is put beyond the window, where it raises no tooltips.
    if (auto seat = Gdk::Display::get_default()->get_default_seat())
        if (auto pointer = seat->get_pointer())
            pointer->warp(Gdk::Screen::get_default(), 1200, 1000);
    window->show();
    // A ready survey chosen on the Start page, with what can be done to it.
    window->start_panel->survey_tree->expand_row(Gtk::TreePath("1"), true);
    window->start_panel->survey_tree->set_cursor(Gtk::TreePath("1:0:0"));
    window->start_panel->do_survey_line_trigger(Gtk::TreePath("1:0:0"), 0);
    settle();
    for (int page = 0; page < window->notebook->get_n_pages(); ++page) {
        if (page == window->listed_panel->page_number)
            mark_central_american_species(my_app, *window);
        if (page == window->unlisted_panel->page_number) add_unlisted_species(*window);
        const bool confirmation = page == window->confirm_panel->page_number;
        for (int shot = 0; shot < (confirmation ? 2 : 1); ++shot) {
            if (confirmation) answer_conditions(*window, shot == 0);
            window->notebook->set_current_page(page);
            if (confirmation) window->confirm_panel->refresh();
            settle();
            Glib::ustring title =
                window->notebook->get_tab_label_text(*window->notebook->get_nth_page(page));
            if (confirmation) title += shot == 0 ? " faults" : " complete";
            std::string path = out_dir + "/" + file_name_for(page, title);
            if (save_window(*window, path))
                printf("%s\n", path.c_str());
            else
                ++failures;
        }
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
