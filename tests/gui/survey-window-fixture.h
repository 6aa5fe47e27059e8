// A fresh survey window from the real UI file for each test, ways to drive it,
// and scripted answers to its dialogs.
#pragma once

#include "app/member-memory.h"
#include "temp-dir.h"
#include "ui/dialogs.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/my-app.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/survey-window.h"

#include <deque>
#include <gdk/gdkkeysyms.h>
#include <glibmm/date.h>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>
#include <gtest/gtest.h>

// The one application object of the window tests, with the installed data set.
MyApp& test_app();
// Lets the toolkit handle everything that is pending.
void run_pending_events();
// A key press as the X server would deliver it to the window.
void press_key(Gtk::Window& window, guint keyval, GdkModifierType state = GdkModifierType(0));
// Fails the test for a dialog nobody expected, instead of waiting for a user.
int unexpected_dialog(Gtk::Dialog& dialog);
inline void install_unexpected_dialog_guard() {
    set_dialog_responder(unexpected_dialog);
}
inline bool exists(const std::string& path) {
    return Glib::file_test(path, Glib::FILE_TEST_EXISTS);
}
// Runs the main loop until done() holds, for at most two seconds: for what
// comes from the X server or a timer. Returns done().
inline bool wait_for(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i, g_usleep(10000))
        run_pending_events();
    return done();
}
// Shows the window on a page, puts the cursor on a row of a tree there and
// presses a key on it, as a user does.
inline void press_on_row(SurveyWindow& w, int page, Gtk::TreeView& tree, const std::string& row,
                         guint key = GDK_KEY_Return, GdkModifierType state = GdkModifierType(0)) {
    w.show();
    w.notebook->set_current_page(page);
    tree.expand_to_path(Gtk::TreePath(row));
    tree.set_cursor(Gtk::TreePath(row));
    tree.grab_focus();
    run_pending_events();
    press_key(w, key, state);
}
// Return pressed in a dialog as it first shows, as a keyboard user answers:
// the response it gives.
inline int press_return(Gtk::Dialog& dialog) {
    int response = Gtk::RESPONSE_NONE;
    sigc::connection answered = dialog.signal_response().connect([&](int r) { response = r; });
    dialog.show();
    wait_for([&] { return dialog.get_mapped() && dialog.get_focus(); });
    press_key(dialog, GDK_KEY_Return);
    // A button the keyboard activates shows itself pressed a moment first.
    EXPECT_TRUE(wait_for([&] { return response != Gtk::RESPONSE_NONE; })) << "Return did nothing";
    answered.disconnect();
    return response;
}
// Where a survey file of that name lies in a folder of the store.
inline std::string in(MyApp::WhichDir which, const std::string& path) {
    return test_app().get_survey_dir(which) + "/" + Glib::path_get_basename(path);
}

// Answers the program's dialogs in order and records their titles and texts;
// answers left over when it goes fail the test.
class DialogScript {
public:
    struct Seen {
        std::string title, text;
    };
    std::vector<Seen> seen;

    DialogScript() {
        set_dialog_responder([this](Gtk::Dialog& d) {
            seen.push_back({d.get_title(), dialog_message_text(d)});
            // What a screen reader announces for it.
            EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(GTK_WIDGET(d.gobj()))),
                         d.get_title().c_str());
            if (script.empty()) return unexpected_dialog(d);
            auto answer = script.front();
            script.pop_front();
            return answer(d);
        });
    }
    ~DialogScript() {
        install_unexpected_dialog_guard();
        EXPECT_TRUE(script.empty()) << script.size() << " scripted dialog answer(s) not used";
    }
    DialogScript& answer(int response) {
        return answer_with([response](Gtk::Dialog&) { return response; });
    }
    // An answer that may look at or act on the dialog first.
    DialogScript& answer_with(std::function<int(Gtk::Dialog&)> fn) {
        script.push_back(std::move(fn));
        return *this;
    }

private:
    std::deque<std::function<int(Gtk::Dialog&)>> script;
};

class SurveyWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Member details kept by an earlier test would fill this window.
        forget_member(test_app().get_local_data_dir());
        window = SurveyWindow::create(test_app());
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        // A test that closed the window has already handed it to the main loop.
        delete window;
        run_pending_events();
    }
    // Shows the window on a page, so that focus and key events work.
    void show_page(int page) {
        window->show();
        window->notebook->set_current_page(page);
        run_pending_events();
    }
    // A complete Pacific Northwest survey on the first three pages, of today
    // unless a day of July 2026 is given.
    void fill_first_pages(const char* zone, int july_2026 = 0) {
        window->member_panel->member_id->set_text(" 4711 ");
        window->member_panel->last_name->set_text("O'Brien & <Sons>");
        SurveyPanel1& p1 = *window->survey_panel1;
        SurveyPanel2& p2 = *window->survey_panel2;
        p1.subregion->select_label("Pacific Northwest");
        p1.survey_subtype->select_id(10);
        set_date(july_2026);
        p1.dive_start->select_id(9);
        p1.zonecode->set_text(zone);
        p2.surface_temp->set_text("55");
        p2.bottom_time->set_text("45");
        p2.max_depth->select_id(5);
        conditions();
    }
    void set_date(int july_2026 = 0) {
        Glib::Date today;
        today.set_time_current();
        SurveyPanel1& p1 = *window->survey_panel1;
        p1.year->select_id(july_2026 ? 2026 : today.get_year());
        p1.month->select_id(july_2026 ? 7 : today.get_month());
        p1.mday->select_id(july_2026 ? july_2026 : today.get_day());
    }
    void conditions() {
        SurveyPanel2& p2 = *window->survey_panel2;
        p2.visibility->select_id(3);
        p2.avg_depth->select_id(3);
        p2.current->select_id(2);
        p2.habitat->select_label("Kelp forest");
    }

    SurveyWindow* window = nullptr;
};

// A window over an empty survey store; error reports are collected, not shown.
class StoreWindowTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        system(("rm -rf '" + app.get_survey_dir(MyApp::SURVEY_ROOT) + "'").c_str());
        SurveyWindowTest::SetUp();
        set_error_display_hook([this](const Glib::ustring& message, bool, const Glib::ustring&) {
            reported += message + "\n";
        });
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        SurveyWindowTest::TearDown();
    }
    // The window a step opened last, taken from the application: the test owns it.
    std::unique_ptr<SurveyWindow> take_newest_window() {
        auto* newest = dynamic_cast<SurveyWindow*>(app.app->get_windows().back());
        if (newest) app.app->remove_window(*newest);
        return std::unique_ptr<SurveyWindow>(newest);
    }
    MyApp& app = test_app();
    std::string reported;
};

// A window on the small shared data set (tests/fixtures/edge) instead of the
// installed one; the application gets its own readers back afterwards.
class EdgeSetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        swap_readers();
        window.reset(SurveyWindow::create(app));
    }
    void TearDown() override {
        window.reset();
        run_pending_events();
        swap_readers();
    }
    void swap_readers() {
        static MyAppCore* edge = [] {
            CaptureStdout warnings;
            auto* core = new MyAppCore();
            EXPECT_EQ(core->load_data_set(EDGE_DATA), RC_OK);
            return core;
        }();
        std::swap(app.region_info, edge->region_info);
        std::swap(app.abundance_choices, edge->abundance_choices);
        std::swap(app.species_views, edge->species_views);
        std::swap(app.data_defs, edge->data_defs);
        std::swap(app.habitat_info, edge->habitat_info);
    }
    MyApp& app = test_app();
    std::unique_ptr<SurveyWindow> window;
};
