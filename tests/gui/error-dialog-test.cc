#include "core/errors.h"
#include "dialog-script.h"
#include "temp-dir.h"
#include "ui/my-app.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class ErrorDialogTest : public ::testing::Test {
protected:
    void SetUp() override { install_error_dialogs(); }
    void TearDown() override { set_error_display_hook(nullptr); }
};

TEST_F(ErrorDialogTest, WarningWithTitleErrnoAndOkButton) {
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK);
    errno = ENOENT;
    testing::internal::CaptureStderr();
    EXPECT_EQ(titled_error_errno("ERROR: Survey NOT Saved!!!", "Failed to delete survey file %s",
                                 "/tmp/a.TAVRO-Survey"),
              RC_ERROR);
    EXPECT_EQ(error("plain"), RC_ERROR);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(script.seen.size(), 2u);
    const auto& d = script.seen[0];
    EXPECT_EQ(d.title, "ERROR: Survey NOT Saved!!!");
    EXPECT_EQ(d.text, std::string("Failed to delete survey file /tmp/a.TAVRO-Survey: ") +
                          strerror(ENOENT) + " (2)");
    EXPECT_EQ(d.message_type, Gtk::MESSAGE_WARNING);
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"_OK"}));
    EXPECT_TRUE(d.use_markup);
    EXPECT_EQ(script.seen[1].title, "Error occurred");
}

TEST_F(ErrorDialogTest, MarkupShownAndBrokenMarkupStillReadable) {
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK).answer(Gtk::RESPONSE_OK);
    testing::internal::CaptureStderr();
    std::string long_text(3000, 'x');
    error("<b>bold</b> %s", long_text.c_str());
    error("a < b & c");  // not markup: must not turn into an empty dialog
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(script.seen.size(), 2u);
    EXPECT_TRUE(script.seen[0].use_markup);
    EXPECT_EQ(script.seen[0].text, "<b>bold</b> " + long_text);
    EXPECT_FALSE(script.seen[1].use_markup);
    EXPECT_EQ(script.seen[1].text, "a < b & c");
}

TEST(ErrorDialogDeathTest, FatalShowsErrorDialogWithCloseThenExits) {
    EXPECT_EXIT(
        {
            install_error_dialogs();
            set_dialog_responder([](Gtk::Dialog& d) {
                auto* m = dynamic_cast<Gtk::MessageDialog*>(&d);
                fprintf(stderr, "type=%d title=%s\n",
                        m ? static_cast<int>(m->property_message_type().get_value()) : -1,
                        d.get_title().c_str());
                return static_cast<int>(Gtk::RESPONSE_CLOSE);
            });
            fatal(RC_INTERNAL_ERROR, "broken");
        },
        ::testing::ExitedWithCode(45), "type=3 title=Error occurred");  // 3: MESSAGE_ERROR
}

TEST(Icons, MissingSizesAreLeftOut) {
    TempDir d;
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    std::string logo = read_text_file(std::string(cwd) + "/resources/TAVRO-logo-32.png");
    ASSERT_FALSE(logo.empty());
    d.write("resources/TAVRO-logo-32.png", logo);
    d.write("resources/TAVRO-logo-64.png", "not a picture");
    auto saved = MyApp::icon_list;
    MyApp::icon_list.clear();
    ASSERT_EQ(chdir(d.path().c_str()), 0);
    MyApp::load_icons();
    ASSERT_EQ(chdir(cwd), 0);
    ASSERT_EQ(MyApp::icon_list.size(), 1u);
    EXPECT_EQ(MyApp::icon_list[0]->get_width(), 32);

    MyApp::icon_list.clear();
    MyApp::load_icons();
    ASSERT_EQ(MyApp::icon_list.size(), 5u);
    EXPECT_EQ(MyApp::icon_list[0]->get_width(), 16);
    EXPECT_EQ(MyApp::icon_list[4]->get_width(), 256);
    MyApp::icon_list = saved;
}

} // namespace
