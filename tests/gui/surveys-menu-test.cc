// The Surveys menu on the real window: a repeat dive, the member details kept
// between runs, and backup and restore of the store through their dialogs.
// What the archives hold and refuse is the unit test's (store-backup-test).
#include "app/member-memory.h"
#include "survey-window-fixture.h"
#include "ui/start-panel.h"

#include <gtkmm/filechooserdialog.h>

namespace {

class SurveysMenuTest : public StoreWindowTest {
protected:
    void activate(const char* action) { window->menus.actions.at(action)->activate(); }
};

TEST_F(SurveysMenuTest, RepeatDiveCopiesThePlaceDateAndConditionsOnly) {
    fill_first_pages("10010004", 4);
    window->abundance_target = 1;
    window->on_abundance_menu_item(2);
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    show_page(window->survey_panel1->page_number);
    const SurveyAnswers first = window->gather_answers(false);
    press_key(*window, GDK_KEY_N, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    std::unique_ptr<SurveyWindow> repeat = take_newest_window();
    ASSERT_TRUE(repeat && repeat.get() != std::exchange(window, nullptr)); // the first closed
    SurveyAnswers expected = first;
    expected.dive_start = -1;
    expected.bottom_time = "";
    expected.abundances.clear();
    EXPECT_TRUE(repeat->gather_answers(false) == expected);
    // The first answer left to give has the keyboard, and an untouched
    // repeat closes without a question.
    wait_for([&] { return repeat->get_focus() != nullptr; });
    EXPECT_EQ(repeat->notebook->get_current_page(), repeat->survey_panel1->page_number);
    EXPECT_TRUE(repeat->get_focus()->is_ancestor(*repeat->survey_panel1->dive_start) ||
                repeat->get_focus() == repeat->survey_panel1->dive_start)
        << G_OBJECT_TYPE_NAME(repeat->get_focus()->gobj());
    EXPECT_TRUE(repeat->check_file_save_okay("closing it"));
}

TEST_F(SurveysMenuTest, MemberDetailsAreKeptUntilForgotten) {
    window->member_panel->member_id->set_text("4711");
    window->member_panel->last_name->set_text("Núñez");
    const std::string folder = app.get_local_data_dir();
    ASSERT_TRUE(wait_for([&] { return remembered_member(folder).last_name == "Núñez"; }));
    // A later run's new survey shows them, says where they came from, and
    // counts as untouched.
    std::unique_ptr<SurveyWindow> next(SurveyWindow::create(app));
    EXPECT_EQ(next->member_panel->member_id->get_text(), "4711");
    EXPECT_EQ(next->member_panel->last_name->get_text(), "Núñez");
    EXPECT_TRUE(next->member_panel->kept_note.get_visible());
    EXPECT_TRUE(next->check_file_save_okay("closing it"));
    next->menus.actions.at("SurveysForget")->activate();
    EXPECT_EQ(next->member_panel->member_id->get_text(), "");
    EXPECT_FALSE(next->member_panel->kept_note.get_visible());
    run_pending_events();
    EXPECT_TRUE(remembered_member(folder).empty());
    std::unique_ptr<SurveyWindow> after(SurveyWindow::create(app));
    EXPECT_EQ(after->member_panel->member_id->get_text(), "");
    // A survey opened from its file says whose it is itself.
    remember_member(folder, {"4711", "Núñez"});
    fill_first_pages("10010004", 4);
    ASSERT_EQ(window->do_save(MyApp::IN_PROGRESS, SurveyWindow::SAVE_SILENT), RC_OK);
    std::unique_ptr<SurveyWindow> opened(SurveyWindow::create(app));
    EXPECT_TRUE(opened->member_panel->kept_note.get_visible());
    ASSERT_EQ(opened->do_open(window->survey_data.filename), RC_OK);
    EXPECT_FALSE(opened->member_panel->kept_note.get_visible());
    EXPECT_FALSE(wait_for([&] { return remembered_member(folder).last_name != "Núñez"; }));
}

TEST_F(SurveysMenuTest, BackUpThenRestoreIntoAnEmptyStore) {
    fill_first_pages("10010004", 4);
    ASSERT_EQ(window->do_save(MyApp::READY_TO_UPLOAD, SurveyWindow::SAVE_SILENT), RC_OK);
    const std::string archive = Glib::get_home_dir() + "/backup.tar.gz";
    DialogScript script;
    std::string offered;
    // The file choosers read their folder before they name a file.
    auto choose = [&](Gtk::Dialog& d) {
        auto& chooser = dynamic_cast<Gtk::FileChooser&>(d);
        if (chooser.get_action() == Gtk::FILE_CHOOSER_ACTION_SAVE) {
            offered = chooser.get_current_name();
            chooser.set_current_name("backup.tar.gz");
        } else {
            chooser.set_filename(archive);
        }
        wait_for([&] { return chooser.get_filename() == archive; });
        return int(Gtk::RESPONSE_ACCEPT);
    };
    script.answer_with(choose).answer(Gtk::RESPONSE_OK);
    activate("SurveysBackUp");
    EXPECT_EQ(offered.rfind("TAVRO-Surveys-", 0), 0u) << offered;
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[1].title, "Surveys Backed Up");
    ASSERT_TRUE(exists(archive)) << script.seen[1].text;
    // The store lost: the survey comes back to In Progress.
    system(("rm -rf '" + app.get_survey_dir(MyApp::SURVEY_ROOT) + "'").c_str());
    script.answer_with(choose).answer(Gtk::RESPONSE_OK);
    activate("SurveysRestore");
    ASSERT_EQ(script.seen.size(), 4u);
    EXPECT_EQ(script.seen[3].text.find("1 survey added to your surveys, 0 skipped."), 0u)
        << script.seen[3].text;
    EXPECT_EQ(window->start_panel->survey_counts.get_text(),
              "1 in progress, 0 ready to upload, 0 uploaded.");
}

} // namespace
