#include "survey-window-fixture.h"

#include <unistd.h>

namespace {

class HelpDialogTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        SurveyWindowTest::SetUp();
        install_error_dialogs();
        ASSERT_TRUE(getcwd(saved_cwd, sizeof saved_cwd));
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        ASSERT_EQ(chdir(saved_cwd), 0);
        SurveyWindowTest::TearDown();
    }
    // Runs a Help action and returns what the help dialog showed while it was up.
    Glib::ustring shown_by(const char* action) {
        Glib::ustring shown;
        script.answer_with([&](Gtk::Dialog& dialog) {
            EXPECT_EQ(&dialog, window->help->instructions_dialog);
            shown = window->help->program_instructions->get_buffer()->get_text();
            return static_cast<int>(Gtk::RESPONSE_CLOSE);
        });
        window->actions[action]->activate();
        EXPECT_FALSE(window->help->instructions_dialog->get_visible());
        return shown;
    }
    DialogScript script;
    char saved_cwd[4096] = {};
};

TEST_F(HelpDialogTest, ShippedTextsAreValidMarkup) {
    for (const char* action : {"HelpInstructions", "HelpReleaseNotes"}) {
        const Glib::ustring shown = shown_by(action);
        EXPECT_GT(shown.size(), 100u) << action;
        EXPECT_EQ(shown.raw().find("error parsing markup"), std::string::npos) << action;
        EXPECT_EQ(shown.raw().find("<b>"), std::string::npos) << action;
    }
}

TEST_F(HelpDialogTest, BrokenOrMissingFiles) {
    TempDir dir;
    dir.write("resources/instructions.txt", "Depth < 10 m & <b>unclosed\n");
    dir.write("resources/release-notes.txt", "<i>fine</i>");
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(shown_by("HelpInstructions"), "error parsing markup in resources/instructions.txt");
    // The notice of one file does not stick to the next.
    EXPECT_EQ(shown_by("HelpReleaseNotes"), "fine");

    unlink((dir.path() + "/resources/instructions.txt").c_str());
    script.answer(Gtk::RESPONSE_OK);
    testing::internal::CaptureStderr();
    window->actions["HelpInstructions"]->activate();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(script.seen.back().text,
              "Failed to read instructions file resources/instructions.txt");
}

} // namespace
