// The Start page: the store's surveys, the buttons by the chosen row, what they do.
#include "survey-window-fixture.h"
#include "temp-dir.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"

#include <gdk/gdkkeysyms.h>
#include <glibmm/fileutils.h>

namespace {

class StartPanelTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        system(("rm -rf '" + app.get_survey_dir(MyApp::SURVEY_ROOT) + "'").c_str());
        SurveyWindowTest::SetUp();
    }
    // Saves the window's survey as member's on 2026-07-<day> into which.
    std::string save(const char* member, int day, MyApp::WhichDir which) {
        window->member_panel->member_id->set_text(member);
        window->survey_panel1->setup_for_subregion("PNW");
        window->survey_panel1->survey_subtype->select_id(10);
        window->survey_panel1->year->select_id(2026);
        window->survey_panel1->month->select_id(7);
        window->survey_panel1->mday->select_id(day);
        EXPECT_EQ(window->do_save(which, SurveyWindow::SAVE_SILENT), RC_OK);
        return window->survey_data.filename;
    }
    // The list as the user sees it: one line per row, "+" on open groups.
    std::string shown(const Gtk::TreeNodeChildren& rows, int depth = 0) {
        const StartPanel& p = *window->start_panel;
        std::string text;
        for (const Gtk::TreeRow& row : rows)
            text += std::string(2 * depth, ' ') +
                    (p.survey_tree->row_expanded(p.survey_store->get_path(row)) ? "+" : "") +
                    Glib::ustring(row[p.survey_columns.label]).raw() + "\n" +
                    shown(row.children(), depth + 1);
        return text;
    }
    // Puts the cursor on a row and presses a key there, as a user does.
    std::string choose(StartPanel& p, const char* row, guint key = GDK_KEY_Return) {
        p.survey_tree->set_cursor(Gtk::TreePath(row));
        p.survey_tree->grab_focus();
        press_key(*p.window, key);
        std::string state;
        for (Gtk::Button* b : {p.edit_view_button, p.mark_button, p.upload_button, p.delete_button})
            state += b->get_label() + (b->get_sensitive() ? "" : " (off)") +
                     (b->get_visible() ? "" : " (hidden)") + "; ";
        return state;
    }
    // The window that an action showed in place of the one it closed.
    SurveyWindow* newest() { return dynamic_cast<SurveyWindow*>(app.app->get_windows().at(0)); }
    MyApp& app = test_app();
};

TEST_F(StartPanelTest, TreeOfFoldersMembersAndSurveys) {
    save("4711", 4, MyApp::READY_TO_UPLOAD);
    save("4711", 14, MyApp::IN_PROGRESS);
    save("4711", 4, MyApp::IN_PROGRESS);
    const std::string ready = app.get_survey_dir(MyApp::READY_TO_UPLOAD);
    Glib::file_set_contents(ready + "/broken.TAVRO-Survey", "<survey");
    // A save's temporary file is no survey to list.
    Glib::file_set_contents(ready + "/.4711-PNW.TAVRO-Survey.aB3xYz", "");
    save("815", 5, MyApp::READY_TO_UPLOAD);
    EXPECT_EQ(shown(window->start_panel->survey_store->children()),
              "+In Progress\n"
              "  Fish & Invertebrate Survey - 2026-07-04\n"
              "  Fish & Invertebrate Survey - 2026-07-14\n"
              "+Ready To Upload\n"
              "  Member ID 0\n    (corrupted survey file)\n"
              "  Member ID 815\n    Fish & Invertebrate Survey - 2026-07-05\n"
              "  Member ID 4711\n    Fish & Invertebrate Survey - 2026-07-04\n"
              "Uploaded (none)\n");
}

TEST_F(StartPanelTest, ButtonsFollowTheChosenRowAndUnMarkMovesTheFile) {
    save("4711", 4, MyApp::IN_PROGRESS);
    std::string uploaded = save("4711", 5, MyApp::READY_TO_UPLOAD);
    ASSERT_EQ(app.move_survey_to(MyApp::UPLOADED, uploaded), RC_OK);
    const std::string ready = save("4711", 6, MyApp::READY_TO_UPLOAD);
    StartPanel& p = *window->start_panel;
    show_page(p.page_number);
    p.survey_tree->expand_row(Gtk::TreePath("2"), false);
    EXPECT_EQ(choose(p, "0:0"), "Edit; Mark For Upload (hidden); Upload (off); Delete; ");
    EXPECT_EQ(choose(p, "2:0"), "View; Mark For Upload (off) (hidden); Upload (off); Delete; ");
    const std::string none =
        "Edit (off); Mark For Upload (off) (hidden); Upload (off); Delete (off); ";
    EXPECT_EQ(choose(p, "1"), none);
    EXPECT_EQ(choose(p, "1:0", GDK_KEY_Right), "Edit; Un-Mark For Upload; Upload; Delete; ");
    // Back to In Progress, beside a survey of the same name: the open survey
    // follows its file, the other one stays.
    const std::string older = app.get_survey_dir(MyApp::IN_PROGRESS) + "/4711-PNW-20260706-0000";
    Glib::file_set_contents(older + ".TAVRO-Survey", "older");
    p.mark_button->clicked();
    EXPECT_FALSE(Glib::file_test(ready, Glib::FILE_TEST_EXISTS));
    EXPECT_EQ(read_text_file(older + ".TAVRO-Survey"), "older");
    EXPECT_EQ(window->survey_data.filename, older + "-1.TAVRO-Survey");
    EXPECT_TRUE(Glib::file_test(window->survey_data.filename, Glib::FILE_TEST_EXISTS));
    EXPECT_EQ(Glib::ustring(p.survey_store->children()[1][p.survey_columns.label]),
              "Ready To Upload (none)");
}

TEST_F(StartPanelTest, EditOpensTheSurveyAndDeletingItStartsANewOne) {
    const std::string path = save("815", 5, MyApp::IN_PROGRESS);
    show_page(window->start_panel->page_number);
    choose(*window->start_panel, "0:0");
    window->start_panel->edit_view_button->clicked();
    SurveyWindow* opened = newest();
    window = nullptr; // closed for good
    EXPECT_TRUE(opened->get_visible());
    EXPECT_EQ(opened->member_panel->member_id->get_text(), "815");
    EXPECT_FALSE(opened->file_needs_saving());
    choose(*opened->start_panel, "0:0");
    DialogScript script;
    script.answer(Gtk::RESPONSE_ACCEPT);
    opened->start_panel->delete_button->clicked();
    EXPECT_FALSE(Glib::file_test(path, Glib::FILE_TEST_EXISTS));
    std::unique_ptr<SurveyWindow> fresh(newest());
    EXPECT_TRUE(fresh.get() != opened && fresh->get_visible() &&
                fresh->survey_data.filename.empty());
    EXPECT_EQ(fresh->member_panel->member_id->get_text(), "815");
    app.app->remove_window(*fresh);
}

} // namespace
