#include "survey-window-fixture.h"
#include "temp-dir.h"
#include "ui/drop-down-box.h"
#include "ui/survey-panel1.h"

#include <ctime>
#include <gtk/gtk.h>
#include <unistd.h>

namespace {

TEST_F(SurveyWindowTest, BackAndNextFollowThePage) {
    EXPECT_FALSE(window->save_button->get_sensitive());
    for (int page = 0; page < 7; ++page) {
        ASSERT_EQ(window->notebook->get_current_page(), page);
        EXPECT_EQ(window->back_button->get_sensitive(), page != 0) << page;
        EXPECT_EQ(window->next_button->get_sensitive(), page != 6) << page;
        if (page < 6) window->next_button->clicked();
    }
    window->back_button->clicked();
    EXPECT_EQ(window->notebook->get_current_page(), 5);
}

TEST_F(SurveyWindowTest, DropDownsRetitleTheWindow) {
    SurveyPanel1* p1 = window->survey_panel1;
    ASSERT_FALSE(p1->dive_start->items.empty());
    time_t now = time(nullptr);
    int this_year = localtime(&now)->tm_year + 1900;
    p1->zone_description = "Reef";
    p1->month->select_id(5);
    p1->year->select_id(this_year);
    EXPECT_EQ(window->get_title(), format("%04d-05-00 - Reef - TAVRO Survey", this_year));
    p1->dive_start->set_active(0);
    EXPECT_EQ(window->get_title(), format("%04d-05-00 ", this_year) +
                                       p1->dive_start->items[0].second + " - Reef - TAVRO Survey");
}

TEST_F(SurveyWindowTest, ClosingHidesAndDeletesTheWindowLater) {
    auto& app = test_app();
    for (const char* how : {"FileClose", "FileQuit", "delete-event"}) {
        if (!window) window = SurveyWindow::create(app);
        bool finalized = false;
        g_object_weak_ref(
            G_OBJECT(window->gobj()),
            [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &finalized);
        app.app->add_window(*window);
        window->show();
        run_pending_events();
        if (std::string(how) == "delete-event") {
            GdkEvent* event = gdk_event_new(GDK_DELETE);
            event->any.window = GDK_WINDOW(g_object_ref(window->get_window()->gobj()));
            gtk_main_do_event(event);
            gdk_event_free(event);
        } else {
            window->actions[how]->activate();
        }
        EXPECT_FALSE(window->get_visible()) << how;
        EXPECT_FALSE(finalized) << how << ": deleted inside its own handler";
        auto windows = app.app->get_windows();
        EXPECT_EQ(std::count(windows.begin(), windows.end(), window), 0) << how;
        window = nullptr;
        run_pending_events();
        EXPECT_TRUE(finalized) << how << ": never deleted";
    }
}

// Builds a window in a folder whose UI file is the real one with texts
// replaced (or none at all); every dialog is printed and closed.
void create_with(std::vector<std::pair<std::string, std::string>> edits) {
    static TempDir dir; // removed at the exit that ends the test
    if (!edits.empty()) {
        std::string text = read_text_file("resources/survey-ui.glade");
        for (const auto& [from, to] : edits)
            for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
                text.replace(at, from.size(), to), at += to.size();
        dir.write("resources/survey-ui.glade", text);
    }
    MyApp& app = test_app();
    install_error_dialogs();
    set_dialog_responder([](Gtk::Dialog& dialog) {
        fprintf(stderr, "dialog: %s\n", dialog_message_text(dialog).c_str());
        return static_cast<int>(Gtk::RESPONSE_CLOSE);
    });
    if (chdir(dir.path().c_str()) == 0) SurveyWindow::create(app);
}

TEST(SurveyWindowDeathTest, UnusableUiFileIsFatal) {
    const auto dies = ::testing::ExitedWithCode(1);
    EXPECT_EXIT(create_with({}), dies, "dialog: FileError loading resources/survey-ui.glade");
    EXPECT_EXIT(create_with({{"<interface>", "<interface><object"}}), dies,
                "dialog: MarkupError loading resources/survey-ui.glade: ");
    EXPECT_EXIT(create_with({{"class=\"GtkNotebook\"", "class=\"GtkNoSuchWidget\""}}), dies,
                "dialog: BuilderError loading resources/survey-ui.glade: ");
    EXPECT_EXIT(create_with({{"id=\"confirm_panel\"", "id=\"confirm_panel_old\""}}), dies,
                "dialog: Failed to find confirm_panel in UI");
    // An entry must not be taken for the page.
    EXPECT_EXIT(create_with({{"id=\"member_panel\"", "id=\"member_grid\""},
                             {"id=\"member_id\"", "id=\"member_panel\""},
                             {">member_id<", ">member_panel<"}}),
                dies, "dialog: Failed to find member_panel in UI");
}

} // namespace
