#include "survey-window-fixture.h"
#include "temp-dir.h"
#include "ui/confirm-panel.h"
#include "ui/drop-down-box.h"
#include "ui/listed-panel.h"
#include "ui/member-panel.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"
#include "ui/unlisted-panel.h"

#include <ctime>
#include <unistd.h>
#include <gtk/gtk.h>
#include <gtkmm/menubar.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/separatormenuitem.h>
#include <gtkmm/toolbar.h>

namespace {

// Labels of a menu's items; "-" stands for a separator. The toolkit's own
// hidden helper items (tear-off, empty-menu placeholder) are left out when
// only visible ones are asked for.
std::vector<std::string> item_labels(Gtk::MenuShell& shell, bool visible_only = true) {
    std::vector<std::string> labels;
    for (Gtk::Widget* child : shell.get_children()) {
        if (visible_only && !child->get_visible()) continue;
        if (dynamic_cast<Gtk::SeparatorMenuItem*>(child))
            labels.push_back("-");
        else if (auto* item = dynamic_cast<Gtk::MenuItem*>(child))
            labels.push_back(item->get_label());
    }
    return labels;
}

Gtk::MenuItem* top_menu(SurveyWindow* window, const char* path) {
    return dynamic_cast<Gtk::MenuItem*>(window->ui_manager->get_widget(path));
}

TEST_F(SurveyWindowTest, BuildsSevenPagesInOrderInItsStartingState) {
    const char* const titles[] = {"Start/Open Survey",  "Member Info",    "Survey Info Part 1",
                                  "Survey Info Part 2", "Listed Species", "Unlisted Species",
                                  "Confirmation"};
    Gtk::Widget* const panels[] = {
        window->start_panel,  window->member_panel,   window->survey_panel1, window->survey_panel2,
        window->listed_panel, window->unlisted_panel, window->confirm_panel};
    const int numbers[] = {window->start_panel->page_number,   window->member_panel->page_number,
                           window->survey_panel1->page_number, window->survey_panel2->page_number,
                           window->listed_panel->page_number,  window->unlisted_panel->page_number,
                           window->confirm_panel->page_number};
    ASSERT_EQ(window->notebook->get_n_pages(), 7);
    for (int i = 0; i < 7; ++i) {
        Gtk::Widget* page = window->notebook->get_nth_page(i);
        EXPECT_EQ(window->notebook->get_tab_label_text(*page), titles[i]);
        EXPECT_TRUE(panels[i]->is_ancestor(*page)) << titles[i];
        EXPECT_EQ(numbers[i], i) << titles[i];
    }
    EXPECT_EQ(window->notebook->get_current_page(), 0);
    EXPECT_FALSE(window->get_visible());
    EXPECT_FALSE(window->save_button->get_sensitive());
    EXPECT_FALSE(window->ready_button->get_sensitive());
    EXPECT_FALSE(window->upload_button->get_sensitive());
    EXPECT_FALSE(window->back_button->get_sensitive());
    EXPECT_TRUE(window->next_button->get_sensitive());
    EXPECT_EQ(window->base_title, "TAVRO Survey");
    EXPECT_EQ(window->get_title(), window->base_title);
    EXPECT_EQ(window->get_icon_list().size(), MyApp::icon_list.size());
    // A fresh window counts as unchanged.
    EXPECT_FALSE(window->survey_data.generated_xml.empty());
    EXPECT_EQ(window->survey_data.saved_xml, window->survey_data.generated_xml);
    EXPECT_EQ(window->survey_data.baseline_xml, window->survey_data.generated_xml);
    EXPECT_EQ(window->current_abundance_menu, nullptr);
    EXPECT_EQ(window->abundance_target, -1);
}

TEST_F(SurveyWindowTest, MenuBarAndToolBarLayout) {
    auto* menubar = dynamic_cast<Gtk::MenuBar*>(window->menubar);
    ASSERT_NE(menubar, nullptr);
    EXPECT_EQ(item_labels(*menubar, false),
              (std::vector<std::string>{"_File", "_Edit", "_View", "_Help"}));
    EXPECT_TRUE(top_menu(window, "/MenuBar/FileMenu")->get_visible());
    EXPECT_FALSE(top_menu(window, "/MenuBar/EditMenu")->get_visible());
    EXPECT_FALSE(top_menu(window, "/MenuBar/ViewMenu")->get_visible());
    EXPECT_TRUE(top_menu(window, "/MenuBar/HelpMenu")->get_visible());
    EXPECT_EQ(item_labels(*top_menu(window, "/MenuBar/FileMenu")->get_submenu()),
              (std::vector<std::string>{
                  "_New survey...", "_Delete saved survey...", "_Open existing survey...", "-",
                  "_Save survey for later", "Mark as _ready to upload", "-", "_Upload this survey",
                  "Upload _all ready surveys", "-", "_Close Survey", "_Quit"}));
    EXPECT_EQ(item_labels(*top_menu(window, "/MenuBar/EditMenu")->get_submenu()),
              (std::vector<std::string>{"Cut", "Copy", "Paste"}));
    EXPECT_EQ(item_labels(*top_menu(window, "/MenuBar/HelpMenu")->get_submenu()),
              (std::vector<std::string>{"_Instructions", "_Contact TAVRO", "Check For _Updates",
                                        "_Release Notes", "_About TAVRO Survey..."}));

    auto* toolbar = dynamic_cast<Gtk::Toolbar*>(window->toolbar);
    ASSERT_NE(toolbar, nullptr);
    std::vector<std::string> tools;
    for (int i = 0; i < toolbar->get_n_items(); ++i) {
        GtkAction* action =
            gtk_activatable_get_related_action(GTK_ACTIVATABLE(toolbar->get_nth_item(i)->gobj()));
        tools.push_back(action ? gtk_action_get_name(action) : "?");
    }
    EXPECT_EQ(tools, (std::vector<std::string>{"FileNew", "FileOpen", "FileSaveForLater",
                                               "FileSaveForUpload", "FileQuit", "FileUploadThis",
                                               "FileUploadAll"}));
    // Menu bar, then tool bar, then the window's own contents.
    auto children = window->survey_window_box->get_children();
    ASSERT_GE(children.size(), 3u);
    EXPECT_EQ(children[0], window->menubar);
    EXPECT_EQ(children[1], window->toolbar);
    EXPECT_EQ(children[2], window->notebook);

    EXPECT_FALSE(toolbar->get_visible());
    CaptureStdout out;
    window->toggle_actions["ViewToolbar"]->set_active(true);
    EXPECT_TRUE(toolbar->get_visible());
    window->toggle_actions["ViewToolbar"]->set_active(false);
    EXPECT_FALSE(toolbar->get_visible());
    EXPECT_EQ(out.text(), "ViewToolbar() - now TRUE\nViewToolbar() - now false\n");
}

TEST_F(SurveyWindowTest, BackAndNextFollowThePage) {
    for (int page = 0; page < 7; ++page) {
        ASSERT_EQ(window->notebook->get_current_page(), page);
        EXPECT_EQ(window->back_button->get_sensitive(), page != 0) << page;
        EXPECT_EQ(window->next_button->get_sensitive(), page != 6) << page;
        if (page < 6) window->next_button->clicked();
    }
    window->back_button->clicked();
    EXPECT_EQ(window->notebook->get_current_page(), 5);
    EXPECT_TRUE(window->next_button->get_sensitive());
    // Choosing a tab directly works like the buttons.
    window->notebook->set_current_page(0);
    EXPECT_FALSE(window->back_button->get_sensitive());
    EXPECT_TRUE(window->next_button->get_sensitive());
}

TEST_F(SurveyWindowTest, ConfirmationTabRechecksTheSurvey) {
    window->notebook->set_current_page(2);
    window->survey_data.is_complete = true;
    window->ready_button->set_sensitive(true);
    window->upload_button->set_sensitive(true);
    window->notebook->set_current_page(window->confirm_panel->page_number);
    // Nothing has been entered, so the check must find the survey incomplete.
    EXPECT_FALSE(window->survey_data.is_complete);
    EXPECT_FALSE(window->ready_button->get_sensitive());
    EXPECT_FALSE(window->upload_button->get_sensitive());
    EXPECT_TRUE(window->confirm_panel->confirm_instructions->get_text().raw().find(
                    "need to be fixed") != std::string::npos);
}

TEST_F(SurveyWindowTest, TitleFromDateDiveStartAndZone) {
    SurveyPanel1* p1 = window->survey_panel1;
    ASSERT_NE(p1->dive_start, nullptr);
    ASSERT_FALSE(p1->dive_start->items.empty());
    const Glib::ustring T = "TAVRO Survey";

    window->set_title_string();
    EXPECT_EQ(window->get_title(), T);

    p1->zone_description = "Channel Islands, Anacapa";
    window->set_title_string();
    EXPECT_EQ(window->get_title(), "Channel Islands, Anacapa - " + T);

    // The drop-downs retitle the window themselves.
    p1->zone_description.clear();
    Glib::ustring dive = p1->dive_start->items[0].second;
    p1->dive_start->set_active(0);
    EXPECT_EQ(window->get_title(), " " + dive + " - " + T);

    time_t now = time(nullptr);
    int this_year = localtime(&now)->tm_year + 1900;
    p1->month->select_id(5);
    EXPECT_EQ(window->get_title(), "0000-05-00 " + dive + " - " + T);
    p1->year->select_id(this_year);
    p1->mday->select_id(3);
    p1->zone_description = "Reef";
    window->set_title_string();
    EXPECT_EQ(window->get_title(), format("%04d-05-03 ", this_year) + dive + " - Reef - " + T);

    p1->dive_start->select_id(p1->dive_start->unset_id);
    EXPECT_EQ(window->get_title(), format("%04d-05-03 - Reef - ", this_year) + T);
}

TEST_F(SurveyWindowTest, ClosingHidesAndDeletesTheWindowLater) {
    auto& app = test_app();
    bool finalized = false;
    for (const char* how : {"FileClose", "FileQuit", "delete-event"}) {
        if (!window) window = SurveyWindow::create(app);
        finalized = false;
        watch_finalize(*window, finalized);
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

} // namespace

namespace {

// The real UI file with a text replaced everywhere, in a folder of its own.
std::string ui_file_with(const TempDir& dir, const std::string& from, const std::string& to) {
    std::string edited = dir.path() + "/resources/survey-ui.glade";
    std::string text = read_text_file(access(edited.c_str(), F_OK) == 0 ? edited
                                                                        : "resources/survey-ui.glade");
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    dir.write("resources/survey-ui.glade", text);
    return dir.path();
}

void create_in(const std::string& folder) {
    MyApp& app = test_app();
    install_error_dialogs();
    set_dialog_responder([](Gtk::Dialog& dialog) {
        fprintf(stderr, "dialog: %s\n", dialog_message_text(dialog).c_str());
        return static_cast<int>(Gtk::RESPONSE_CLOSE);
    });
    if (chdir(folder.c_str()) != 0) return;
    SurveyWindow::create(app);
}

TEST(SurveyWindowDeathTest, UnusableUiFileIsFatal) {
    TempDir missing, wrong_class, broken;
    ui_file_with(missing, "id=\"confirm_panel\"", "id=\"confirm_panel_old\"");
    // A page of another class must not be taken for the page.
    ui_file_with(wrong_class, "id=\"member_panel\"", "id=\"member_grid\"");
    ui_file_with(wrong_class, "id=\"member_id\"", "id=\"member_panel\"");
    ui_file_with(wrong_class, ">member_id<", ">member_panel<");
    ui_file_with(broken, "<interface>", "<interface><object");
    EXPECT_EXIT(create_in(missing.path()), ::testing::ExitedWithCode(1),
                "dialog: Failed to find confirm_panel in UI");
    EXPECT_EXIT(create_in(wrong_class.path()), ::testing::ExitedWithCode(1),
                "dialog: Failed to find member_panel in UI");
    EXPECT_EXIT(create_in(broken.path()), ::testing::ExitedWithCode(1),
                "dialog: MarkupError loading resources/survey-ui.glade: ");
}

} // namespace
