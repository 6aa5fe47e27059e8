#include "survey-window-fixture.h"

#include <gtk/gtk.h>
#include <unistd.h>

namespace {

// Closing the window (the close button; the menu's Close takes the same way)
// must not delete it inside its own handler.
TEST_F(SurveyWindowTest, ClosingHidesAndDeletesTheWindowLater) {
    auto& app = test_app();
    bool finalized = false;
    g_object_weak_ref(
        G_OBJECT(window->gobj()), [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; },
        &finalized);
    app.app->add_window(*window);
    window->show();
    run_pending_events();
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(window->get_window()->gobj()));
    gtk_main_do_event(event);
    gdk_event_free(event);
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(finalized);
    auto windows = app.app->get_windows();
    EXPECT_EQ(std::count(windows.begin(), windows.end(), window), 0);
    window = nullptr;
    run_pending_events();
    EXPECT_TRUE(finalized);
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

// A screen reader asks each page its name as the window goes; no page may
// then ask the notebook for a tab it no longer has (a toolkit critical).
TEST_F(SurveyWindowTest, PagesKeepTheirNamesWhileTheWindowGoes) {
    AtkObject* notebook = gtk_widget_get_accessible(GTK_WIDGET(window->notebook->gobj()));
    for (int i = 0; i < atk_object_get_n_accessible_children(notebook); ++i)
        g_object_unref(atk_object_ref_accessible_child(notebook, i)); // as a reader walks them
    std::string names;
    g_signal_connect(notebook, "children-changed::remove",
                     G_CALLBACK(+[](AtkObject*, guint, gpointer child, gpointer out) {
                         const char* name = atk_object_get_name(ATK_OBJECT(child));
                         *static_cast<std::string*>(out) += std::string(name ? name : "?") + ";";
                     }),
                     &names);
    delete std::exchange(window, nullptr);
    EXPECT_EQ(names, "Start/Open Survey;Member Info;Survey Info Part 1;Survey Info Part 2;Listed "
                     "Species;Unlisted Species;Confirmation;");
}

} // namespace
