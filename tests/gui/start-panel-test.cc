// The Start page: the store's surveys as a tree, the buttons that follow the
// chosen row, and what they do.
#include "survey-window-fixture.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"

#include <gdk/gdkkeysyms.h>
#include <glibmm/fileutils.h>
#include <glibmm/miscutils.h>

namespace {

class StartPanelTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        system(("rm -rf '" + app.get_survey_dir(MyApp::SURVEY_ROOT) + "'").c_str());
        SurveyWindowTest::SetUp();
        panel = window->start_panel;
    }
    // Saves a survey of member on 2026-07-<day> in PNW into which; its path.
    std::string save(SurveyWindow& w, const char* member, int day, MyApp::WhichDir which) {
        w.member_panel->member_id->set_text(member);
        w.survey_panel1->setup_for_subregion("PNW");
        w.survey_panel1->survey_subtype->select_id(10);
        w.survey_panel1->year->select_id(2026);
        w.survey_panel1->month->select_id(7);
        w.survey_panel1->mday->select_id(day);
        EXPECT_EQ(w.do_save(which, SurveyWindow::SAVE_SILENT), RC_OK);
        return w.survey_data.filename;
    }
    std::string save(const char* member, int day, MyApp::WhichDir which) {
        return save(*std::unique_ptr<SurveyWindow>(SurveyWindow::create(app)), member, day, which);
    }
    // The list as the user sees it: one line per row, "+" on open groups.
    std::string shown(const Gtk::TreeNodeChildren& rows, int depth = 0) {
        std::string text;
        for (const Gtk::TreeRow& row : rows) {
            const bool open = panel->survey_tree->row_expanded(panel->survey_store->get_path(row));
            text += std::string(2 * depth, ' ') + (open ? "+" : "") +
                    Glib::ustring(row[panel->survey_columns.label]).raw() + "\n" +
                    shown(row.children(), depth + 1);
        }
        return text;
    }
    // Puts the cursor on a row and presses a key there, as a user does.
    void choose(const char* row, guint key = GDK_KEY_Return) {
        panel->survey_tree->set_cursor(Gtk::TreePath(row));
        panel->survey_tree->grab_focus();
        press_key(*window, key);
    }
    std::string buttons() {
        auto state = [](Gtk::Button* b) {
            return b->get_label() + (b->get_sensitive() ? "" : " (off)") +
                   (b->get_visible() ? "" : " (hidden)") + "; ";
        };
        return state(panel->edit_view_button) + state(panel->mark_button) +
               state(panel->upload_button) + state(panel->delete_button);
    }
    // The window the last action opened in place of the fixture's.
    SurveyWindow* replacement() {
        window = nullptr; // closed for good
        auto windows = app.app->get_windows();
        auto* opened = windows.empty() ? nullptr : dynamic_cast<SurveyWindow*>(windows.back());
        if (!opened || !opened->get_visible()) throw std::runtime_error("no new window shown");
        return opened;
    }
    MyApp& app = test_app();
    StartPanel* panel = nullptr;
};

TEST_F(StartPanelTest, TreeOfFoldersMembersAndSurveys) {
    EXPECT_EQ(shown(panel->survey_store->children()),
              "In Progress (none)\nReady To Upload (none)\nUploaded (none)\n");
    save("4711", 14, MyApp::IN_PROGRESS);
    save("4711", 4, MyApp::IN_PROGRESS);
    save("4711", 4, MyApp::READY_TO_UPLOAD);
    save("815", 5, MyApp::READY_TO_UPLOAD);
    const std::string ready = app.get_survey_dir(MyApp::READY_TO_UPLOAD);
    Glib::file_set_contents(ready + "/broken.TAVRO-Survey", "<survey");
    // Neither a save's temporary file nor a stranger's file is a survey to list.
    Glib::file_set_contents(ready + "/.4711-PNW.TAVRO-Survey.aB3xYz", "");
    Glib::file_set_contents(ready + "/notes.txt", "");
    panel->build_survey_model();
    EXPECT_EQ(shown(panel->survey_store->children()),
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
    const std::string ready = save(*window, "4711", 6, MyApp::READY_TO_UPLOAD);
    show_page(panel->page_number);
    const std::string none =
        "Edit (off); Mark For Upload (off) (hidden); Upload (off); Delete (off); ";
    EXPECT_EQ(buttons(), none);
    choose("0:0");
    EXPECT_EQ(buttons(), "Edit; Mark For Upload (hidden); Upload (off); Delete; ");
    choose("1:0", GDK_KEY_Right);
    EXPECT_EQ(buttons(), "Edit; Un-Mark For Upload; Upload; Delete; ");
    choose("1");
    EXPECT_EQ(buttons(), none);
    EXPECT_TRUE(panel->survey_tree->row_expanded(Gtk::TreePath("1"))); // Return only resets
    panel->survey_tree->expand_row(Gtk::TreePath("2"), false);
    choose("2:0");
    EXPECT_EQ(buttons(), "View; Mark For Upload (off) (hidden); Upload (off); Delete; ");

    // Back to In Progress: the open survey follows its file.
    choose("1:0");
    panel->mark_button->clicked();
    EXPECT_FALSE(Glib::file_test(ready, Glib::FILE_TEST_EXISTS));
    EXPECT_EQ(window->survey_data.filename,
              app.get_survey_dir(MyApp::IN_PROGRESS) + "/" + Glib::path_get_basename(ready));
    EXPECT_TRUE(Glib::file_test(window->survey_data.filename, Glib::FILE_TEST_EXISTS));
    EXPECT_EQ(Glib::ustring(panel->survey_store->children()[1][panel->survey_columns.label]),
              "Ready To Upload (none)");
    EXPECT_EQ(buttons(), none);
}

TEST_F(StartPanelTest, EditOpensTheChosenSurveyInANewWindow) {
    const std::string path = save("815", 5, MyApp::IN_PROGRESS);
    panel->build_survey_model();
    show_page(panel->page_number);
    choose("0:0");
    panel->edit_view_button->clicked();
    SurveyWindow* opened = replacement();
    EXPECT_EQ(opened->survey_data.filename, path);
    EXPECT_EQ(opened->member_panel->member_id->get_text(), "815");
    EXPECT_FALSE(opened->file_needs_saving());
    app.app->remove_window(*opened);
    delete opened;
}

TEST_F(StartPanelTest, DeletingTheOpenSurveyStartsANewOne) {
    const std::string path = save(*window, "4711", 4, MyApp::IN_PROGRESS);
    show_page(panel->page_number);
    choose("0:0");
    DialogScript script;
    script.answer(Gtk::RESPONSE_ACCEPT);
    panel->delete_button->clicked();
    EXPECT_EQ(script.seen.at(0).title, "Really delete saved survey?");
    EXPECT_FALSE(Glib::file_test(path, Glib::FILE_TEST_EXISTS));
    SurveyWindow* fresh = replacement();
    EXPECT_TRUE(fresh->survey_data.filename.empty());
    EXPECT_EQ(fresh->member_panel->member_id->get_text(), "4711");
    EXPECT_EQ(Glib::ustring(fresh->start_panel->survey_store
                                ->children()[0][fresh->start_panel->survey_columns.label]),
              "In Progress (none)");
    app.app->remove_window(*fresh);
    delete fresh;
}

} // namespace
