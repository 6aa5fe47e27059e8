#include "core/errors.h"
#include "dialog-script.h"
#include "temp-dir.h"
#include "ui/my-app.h"

#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>
#include <unistd.h>

namespace {

// What a message dialog shows: its kind, its buttons, and its text as markup or not.
std::string describe(Gtk::Dialog& d) {
    auto& m = dynamic_cast<Gtk::MessageDialog&>(d);
    std::string buttons;
    for (auto* b : d.get_action_area()->get_children())
        buttons += dynamic_cast<Gtk::Button*>(b)->get_label() + " ";
    return std::to_string(m.property_message_type().get_value()) + " " + buttons +
           (m.property_use_markup() ? "markup" : "plain") +
           " icons=" + std::to_string(d.get_icon_list().size());
}

TEST(ErrorDialog, WarningsShowMarkupOrPlainTextWithOkButton) {
    install_error_dialogs();
    DialogScript script;
    std::vector<std::string> shown;
    for (int i = 0; i < 2; ++i)
        script.answer_with([&](Gtk::Dialog& d) {
            shown.push_back(describe(d));
            return static_cast<int>(Gtk::RESPONSE_OK);
        });
    testing::internal::CaptureStderr();
    titled_error("ERROR: Survey NOT Saved!!!", "<b>bold</b> %s", std::string(3000, 'x').c_str());
    error("a < b & c"); // not markup: must not turn into an empty dialog
    testing::internal::GetCapturedStderr();
    set_error_display_hook(nullptr);
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_EQ(script.seen[0].title, "ERROR: Survey NOT Saved!!!");
    EXPECT_EQ(script.seen[0].text, "<b>bold</b> " + std::string(3000, 'x'));
    const std::string icons = " icons=" + std::to_string(MyApp::icon_list.size());
    EXPECT_EQ(shown[0], std::to_string(Gtk::MESSAGE_WARNING) + " _OK markup" + icons);
    EXPECT_EQ(script.seen[1].title, "Error occurred");
    EXPECT_EQ(script.seen[1].text, "a < b & c");
    EXPECT_EQ(shown[1], std::to_string(Gtk::MESSAGE_WARNING) + " _OK plain" + icons);
}

TEST(ErrorDialogDeathTest, FatalShowsErrorDialogWithCloseThenExits) {
    EXPECT_EXIT(
        {
            install_error_dialogs();
            set_dialog_responder([](Gtk::Dialog& d) {
                fprintf(stderr, "%s %s\n", describe(d).c_str(), d.get_title().c_str());
                return static_cast<int>(Gtk::RESPONSE_CLOSE);
            });
            fatal(RC_INTERNAL_ERROR, "broken");
        },
        ::testing::ExitedWithCode(45),
        std::to_string(Gtk::MESSAGE_ERROR) + " _Close markup icons=[0-9] Error occurred");
}

TEST(Icons, MissingSizesAreLeftOut) {
    TempDir d;
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    d.write("resources/TAVRO-logo-32.png", read_text_file("resources/TAVRO-logo-32.png"));
    d.write("resources/TAVRO-logo-64.png", "not a picture");
    auto saved = MyApp::icon_list;
    MyApp::icon_list.clear();
    ASSERT_EQ(chdir(d.path().c_str()), 0);
    MyApp::load_icons();
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_EQ(MyApp::icon_list.size(), 1u);
    EXPECT_EQ(MyApp::icon_list[0]->get_width(), 32);
    MyApp::icon_list = saved;
}

} // namespace
