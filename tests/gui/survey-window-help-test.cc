#include "app/my-app-core.h"
#include "core/version.h"
#include "survey-window-fixture.h"
#include "temp-dir.h"

#include <functional>
#include <gtkmm/label.h>
#include <unistd.h>

namespace {

// Runs the test's body with the given folder as working directory, the way
// the program finds its resources.
class InFolder {
public:
    explicit InFolder(const std::string& dir) {
        EXPECT_TRUE(getcwd(saved, sizeof saved));
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InFolder() { EXPECT_EQ(chdir(saved), 0); }

private:
    char saved[4096];
};

class HelpDialogTest : public SurveyWindowTest {
protected:
    void SetUp() override {
        SurveyWindowTest::SetUp();
        install_error_dialogs();
    }
    void TearDown() override {
        set_error_display_hook(nullptr);
        SurveyWindowTest::TearDown();
    }
    // Answers the help dialog and notes what its label showed meanwhile.
    void expect_help_dialog(DialogScript& script) {
        script.answer_with([this](Gtk::Dialog& dialog) {
            shown_text = window->program_instructions->get_text();
            was_help_dialog = &dialog == window->instructions_dialog;
            return static_cast<int>(Gtk::RESPONSE_CLOSE);
        });
    }
    Glib::ustring shown_text;
    bool was_help_dialog = false;
};

TEST_F(HelpDialogTest, InstructionsAndReleaseNotesShareOneDialog) {
    DialogScript script;
    expect_help_dialog(script);
    window->actions["HelpInstructions"]->activate();
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_TRUE(was_help_dialog);
    EXPECT_EQ(script.seen[0].title, "Instructions for survey data entry");
    EXPECT_EQ(script.seen[0].icon_count, MyApp::icon_list.size());
    EXPECT_FALSE(shown_text.raw().find("error parsing markup") != std::string::npos);
    EXPECT_GT(shown_text.size(), 100u);
    // Markup is interpreted, not shown.
    EXPECT_FALSE(shown_text.raw().find("<b>") != std::string::npos);
    EXPECT_FALSE(window->instructions_dialog->get_visible());

    expect_help_dialog(script);
    window->actions["HelpReleaseNotes"]->activate();
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_TRUE(was_help_dialog);
    EXPECT_EQ(script.seen[1].title,
              std::string("Release notes - Version ") + BuildInfo::version_str);
    EXPECT_FALSE(shown_text.raw().find("error parsing markup") != std::string::npos);
    EXPECT_FALSE(window->instructions_dialog->get_visible());
}

TEST_F(HelpDialogTest, FileThatIsNotMarkupShowsTheNotice) {
    TempDir dir;
    dir.write("resources/instructions.txt", "Depth < 10 m & <b>unclosed\n");
    dir.write("resources/release-notes.txt", "<i>fine</i>");
    InFolder here(dir.path());
    DialogScript script;
    expect_help_dialog(script);
    window->actions["HelpInstructions"]->activate();
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(shown_text, "error parsing markup in resources/instructions.txt");
    // The notice of one file does not stick to the next.
    expect_help_dialog(script);
    window->actions["HelpReleaseNotes"]->activate();
    EXPECT_EQ(shown_text, "fine");
}

TEST_F(HelpDialogTest, MissingFileIsReportedAndNoHelpDialogShown) {
    TempDir dir;
    InFolder here(dir.path());
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK);
    testing::internal::CaptureStderr();
    window->actions["HelpInstructions"]->activate();
    window->actions["HelpReleaseNotes"]->activate();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[0].text, "Failed to read instructions file resources/instructions.txt");
    EXPECT_EQ(script.seen[1].text, "Failed to read release notes file resources/release-notes.txt");
    EXPECT_EQ(script.seen[0].message_type, Gtk::MESSAGE_WARNING);
}

TEST_F(HelpDialogTest, AboutAndContactRunAndHide) {
    EXPECT_EQ(window->about_dialog->get_version(),
              std::string("Version ") + BuildInfo::version_str + "\nBuilt " + BuildInfo::date_str);
    DialogScript script;
    Gtk::Dialog* shown[2] = {};
    script.answer_with([&](Gtk::Dialog& d) {
        shown[0] = &d;
        return static_cast<int>(Gtk::RESPONSE_CANCEL);
    });
    script.answer_with([&](Gtk::Dialog& d) {
        shown[1] = &d;
        return static_cast<int>(Gtk::RESPONSE_CLOSE);
    });
    window->actions["HelpAbout"]->activate();
    window->actions["HelpContact"]->activate();
    EXPECT_EQ(shown[0], window->about_dialog);
    EXPECT_EQ(shown[1], window->contact_dialog);
    EXPECT_FALSE(window->about_dialog->get_visible());
    EXPECT_FALSE(window->contact_dialog->get_visible());
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[1].icon_count, MyApp::icon_list.size());
}

TEST_F(HelpDialogTest, ContactShowsTheConfiguredAddresses) {
    // The tests point the server at 127.0.0.1; the dialogs follow it.
    EXPECT_EQ(window->about_dialog->get_website(), MyAppCore::server_base_url());
    Gtk::Label* text = nullptr;
    std::vector<Gtk::Label*> labels;
    std::function<void(Gtk::Widget*)> walk = [&](Gtk::Widget* w) {
        if (auto* l = dynamic_cast<Gtk::Label*>(w)) labels.push_back(l);
        if (auto* c = dynamic_cast<Gtk::Container*>(w))
            for (auto* child : c->get_children())
                walk(child);
    };
    walk(window->contact_dialog);
    for (auto* l : labels)
        if (l->get_label().raw().find("mailto:") != std::string::npos) text = l;
    ASSERT_NE(text, nullptr);
    std::string markup = text->get_label();
    EXPECT_NE(markup.find("mailto:" + MyAppCore::support_email()), std::string::npos) << markup;
    EXPECT_EQ(markup.find("tavro.example"), std::string::npos) << markup;
    EXPECT_NE(markup.find(MyAppCore::server_base_url()), std::string::npos) << markup;
}

} // namespace
