#include "core/errors.h"
#include "core/misc.h"
#include "survey-window-fixture.h"

#include <glibmm/fileutils.h>
#include <gtkmm/messagedialog.h>

namespace {

// What a message dialog shows: its kind, its buttons, whether its text is
// markup, and whether it carries the program's icons.
std::string describe(Gtk::Dialog& d) {
    auto& m = dynamic_cast<Gtk::MessageDialog&>(d);
    std::string text = std::to_string(m.property_message_type().get_value());
    for (auto* b : d.get_action_area()->get_children())
        text += " " + dynamic_cast<Gtk::Button*>(b)->get_label();
    return text + (m.property_use_markup() ? " markup" : " plain") +
           (d.get_icon_list().size() == MyApp::icon_list.size() ? " icons" : " no-icons");
}

TEST(ErrorDialog, WarningsShowMarkupOrPlainTextWithOkButton) {
    install_error_dialogs();
    DialogScript script;
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i)
        script.answer_with([&](Gtk::Dialog& d) {
            shown.push_back(describe(d));
            return static_cast<int>(Gtk::RESPONSE_OK);
        });
    testing::internal::CaptureStderr();
    titled_error("ERROR: Survey NOT Saved!!!", "<b>bold</b> %s", std::string(3000, 'x').c_str());
    error("a < b & c"); // not markup: must not turn into an empty dialog
    // A report with a link stays markup, so that the link works.
    error("Write to <a href=\"mailto:help@tavro.org\">help@tavro.org</a>: %s",
          escape_markup("tar: 'x' & <y>").c_str());
    error("<b>never closed &amp; <i>x"); // shown without its tags
    testing::internal::GetCapturedStderr();
    set_error_display_hook(nullptr);
    ASSERT_EQ(script.seen.size(), 4u);
    EXPECT_EQ(shown[2], std::to_string(Gtk::MESSAGE_WARNING) + " _OK markup icons");
    EXPECT_EQ(script.seen[3].text, "never closed & x");
    EXPECT_EQ(script.seen[0].title, "ERROR: Survey NOT Saved!!!");
    EXPECT_EQ(script.seen[0].text, "<b>bold</b> " + std::string(3000, 'x'));
    EXPECT_EQ(shown[0], std::to_string(Gtk::MESSAGE_WARNING) + " _OK markup icons");
    EXPECT_EQ(script.seen[1].text, "a < b & c");
    EXPECT_EQ(shown[1], std::to_string(Gtk::MESSAGE_WARNING) + " _OK plain icons");
}

// At start-up the data set is read beside the window's UI file: what the
// reading reports shows once it is done, on this thread, and a broken
// downloaded set gives way to the installed one.
TEST(ErrorDialog, ReportsOfTheDataReadBesideTheWindowShowAfterIt) {
    const std::string local = test_app().get_local_data_dir() + "/data-files/";
    ASSERT_EQ(system(("cp -rT '" + EDGE_DATA + "' '" + local + "'").c_str()), 0);
    Glib::file_set_contents(local + "data-file-info.txt",
                            "version=1\ntimestamp=2099-01-01 00:00:00\nupdated=January 1, 2099\n");
    Glib::file_set_contents(local + "habitatregion.csv", "regioncode,habitat,habitatid\nAAA,1\n");
    DialogScript script;
    script.answer(Gtk::RESPONSE_OK);
    bool ran_meanwhile = false;
    testing::internal::CaptureStderr();
    {
        CaptureStdout quiet;
        MyApp other(test_app().app, [&] {
            ran_meanwhile = true;
            EXPECT_TRUE(script.seen.empty()); // nothing shown while the data is read
        });
        EXPECT_EQ(other.loaded_data_dir, MyAppCore::INSTALLED_DATA_DIR);
    }
    testing::internal::GetCapturedStderr();
    set_error_display_hook(nullptr);
    system(("rm -rf '" + local + "'").c_str());
    EXPECT_TRUE(ran_meanwhile);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_NE(script.seen[0].text.find("habitatregion.csv line 2"), std::string::npos)
        << script.seen[0].text;
}

// Started where there is no data set: the fatal dialog is an error with Close
// that keeps its text and says where the program looked and where to start it.
TEST(ErrorDialogDeathTest, NoDataSetSaysWhereItLookedAndWhereToStart) {
    TempDir empty;
    EXPECT_EXIT(
        {
            if (chdir(empty.path().c_str()) != 0) exit(2);
            install_error_dialogs();
            set_dialog_responder([](Gtk::Dialog& d) {
                fprintf(stderr, "%s %s\ndialog: %s\n", describe(d).c_str(), d.get_title().c_str(),
                        dialog_message_text(d).c_str());
                return static_cast<int>(Gtk::RESPONSE_CLOSE);
            });
            MyApp lost(test_app().app);
        },
        ::testing::ExitedWithCode(1),
        std::to_string(Gtk::MESSAGE_ERROR) +
            " _Close markup icons Error occurred\n"
            "dialog: Failed to read data files; you may need to reinstall the app.  Sorry!\n"
            "The data files were looked for in .*/data-files/ and in .*/data-files/. Please start "
            "the program from its installation folder");
}

} // namespace
