// The Confirmation page on the installed data set: the checks shown in its
// labels as typed, the captions marked red and cleared again, the verdict that
// gates Ready and Upload, and the species summaries. What each check says is
// the unit test's (survey-checks-test).
#include "core/misc.h"
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"
#include "ui/listed-panel.h"

namespace {

class ConfirmPanelTest : public SurveyWindowTest {
protected:
    // A complete survey with one listed species.
    void SetUp() override {
        SurveyWindowTest::SetUp();
        page = window->confirm_panel;
        p1 = window->survey_panel1;
        p2 = window->survey_panel2;
        fill_first_pages("10010004");
        record(1, 1);
    }
    void record(int species, int abundance) {
        window->abundance_target = species;
        window->on_abundance_menu_item(abundance);
    }
    // The page as reached with the tabs; the value label's text as the user reads it.
    std::string confirm(Gtk::Label* value) {
        window->notebook->set_current_page(0);
        window->notebook->set_current_page(page->page_number);
        return value->get_text();
    }
    bool red(Gtk::Label* caption) { return has_prefix(caption->get_label(), page->red_start); }
    // The rows a summary tree shows, depth first: "Family" or the id, and the number seen.
    std::string rows(Gtk::TreeView* tree) {
        std::string shown;
        const SpeciesTreeColumns& c = window->species_columns;
        tree->get_model()->foreach_iter([&](const Gtk::TreeIter& it) {
            const int id = (*it)[c.id];
            shown += id < 0 ? "Family " : format("%d:", id) + (*it)[c.abundance_label] + " ";
            return false;
        });
        return shown;
    }

    ConfirmPanel* page = nullptr;
    SurveyPanel1* p1 = nullptr;
    SurveyPanel2* p2 = nullptr;
};

TEST_F(ConfirmPanelTest, TextsShowAsTypedAndFaultsTurnTheirCaptionRedAndBack) {
    EXPECT_EQ(confirm(page->conf_last_name), "O'Brien & <Sons>");
    EXPECT_EQ(page->conf_zone_name->get_text(), "Washington, Hood Canal, Mike's Beach");
    EXPECT_EQ(rows(page->conf_listed_tree), "Family 1:Single ");
    EXPECT_FALSE(page->conf_unlisted_box->get_visible());
    const Glib::ustring all_correct = page->confirm_instructions->get_text();
    // Markup characters typed by the user show as typed, also in red.
    p2->surface_temp->set_text("<9 & up");
    EXPECT_EQ(confirm(page->conf_surface_temp),
              "<9 & upF      Temperature must be between 28F and 95F");
    EXPECT_TRUE(red(page->conf_label_surface_temp));
    EXPECT_NE(page->confirm_instructions->get_text(), all_correct);
    EXPECT_FALSE(window->survey_data.is_complete || window->ready_button->get_sensitive() ||
                 window->upload_button->get_sensitive());
    p2->surface_temp->set_text("55");
    confirm(page->conf_surface_temp);
    EXPECT_FALSE(red(page->conf_label_surface_temp)); // the caption loses its red again
    EXPECT_TRUE(window->ready_button->get_sensitive());
}

// Unusual, the bottom time asks to be confirmed, and an edit takes it back.
TEST_F(ConfirmPanelTest, TheBottomTimeBox) {
    p2->bottom_time->set_text("");
    confirm(page->conf_bottom_time);
    EXPECT_FALSE(page->confirm_bottom_time->get_visible());
    p2->bottom_time->set_text("121");
    confirm(page->conf_bottom_time);
    EXPECT_TRUE(red(page->conf_label_bottom_time) && page->confirm_bottom_time->get_visible());
    const Glib::ustring asking = page->confirm_bottom_time->get_label();
    page->confirm_bottom_time->set_active(true); // checks the page again
    EXPECT_FALSE(red(page->conf_label_bottom_time));
    EXPECT_NE(page->confirm_bottom_time->get_label(), asking); // says it is confirmed
    EXPECT_TRUE(page->confirm_bottom_time->get_visible() && window->ready_button->get_sensitive());
    p2->bottom_time->set_text("120");
    confirm(page->conf_bottom_time);
    EXPECT_FALSE(page->confirm_bottom_time->get_active() ||
                 page->confirm_bottom_time->get_visible());
}

TEST_F(ConfirmPanelTest, SpeciesHiddenByTheTypeAreNotCountedAndTreesFollowRebuilds) {
    record(2, 3); // not in the view: unlisted
    EXPECT_EQ(confirm(page->conf_total_species), "2");
    EXPECT_EQ(page->conf_unlisted_species->get_text(), "Unlisted Species: 1");
    EXPECT_EQ(rows(page->conf_unlisted_tree), "Family 2:Many (11-100) ");
    p1->survey_subtype->select_id(12); // invertebrates only: the fish stay recorded but hidden
    EXPECT_EQ(confirm(page->conf_total_species), "0");
    EXPECT_TRUE(red(page->conf_label_total_species));
    EXPECT_FALSE(window->survey_data.is_complete || window->ready_button->get_sensitive());
    EXPECT_EQ(rows(page->conf_listed_tree) + rows(page->conf_unlisted_tree), "");
    EXPECT_FALSE(page->conf_listed_box->get_visible() || page->conf_unlisted_box->get_visible());
    p1->survey_subtype->select_id(10);
    record(1, 4);
    EXPECT_EQ(confirm(page->conf_total_species), "2");
    EXPECT_EQ(rows(page->conf_listed_tree), "Family 1:Abundant (over 100) ");
}

TEST_F(ConfirmPanelTest, SummaryRowsOpenTheMenuAndFocusKeepsFamiliesOpen) {
    show_page(page->page_number);
    Gtk::TreeView* tree = page->conf_listed_tree;
    page->confirm_bottom_time->show(); // a widget in front of the summaries to tab from
    page->confirm_bottom_time->grab_focus();
    for (int i = 0; i < 10 && !tree->has_focus(); ++i)
        press_key(*window, GDK_KEY_Tab);
    ASSERT_TRUE(tree->has_focus());
    EXPECT_TRUE(tree->row_expanded(Gtk::TreePath("0")));
    tree->set_cursor(Gtk::TreePath("0:0"));
    press_key(*window, GDK_KEY_Return);
    Gtk::Menu* menu = window->abundance_popups.current_abundance_menu;
    ASSERT_TRUE(menu && menu->get_visible());
    EXPECT_EQ(gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(menu->gobj())),
              GTK_WIDGET(menu->get_children()[1]->gobj())); // Single
    press_key(*window, GDK_KEY_Down);
    press_key(*window, GDK_KEY_Return);
    run_pending_events();
    EXPECT_EQ(rows(tree), "Family 1:Few (2-10) ");
    EXPECT_EQ(window->survey_data.abundances[1], 2);
    press_key(*window, GDK_KEY_Return); // "None": the page is checked again
    press_key(*window, GDK_KEY_Home);
    press_key(*window, GDK_KEY_Return);
    run_pending_events();
    EXPECT_EQ(page->conf_total_species->get_text(), "0");
    EXPECT_FALSE(window->upload_button->get_sensitive() || page->conf_listed_box->get_visible());
}

// At the window's first size, with every name shown, the species lists keep
// the number seen in sight and its title whole: the names give way.
TEST_F(ConfirmPanelTest, NumberSeenStaysInSightAtTheFirstSize) {
    record(2, 3);
    window->listed_panel->spanish_enable->set_active(true);
    show_page(window->listed_panel->page_number);
    show_page(page->page_number);
    ASSERT_LE(window->get_width(), 900);
    auto in_sight = [&](Gtk::TreeView* tree) {
        std::vector<Gtk::TreeViewColumn*> columns = tree->get_columns();
        ASSERT_EQ(columns.size(), 4u); // ID, names, Spanish names, number seen
        Gtk::TreeViewColumn* seen = columns.back();
        const auto right = [&] { return seen->get_x_offset() + seen->get_width(); };
        wait_for(
            [&] { return seen->get_width() > 0 && right() <= tree->get_parent()->get_width(); });
        int least = 0, title = 0;
        seen->get_button()->get_preferred_width(least, title);
        EXPECT_GE(seen->get_width(), title) << seen->get_title();
        EXPECT_LE(right(), tree->get_parent()->get_width());
    };
    in_sight(page->conf_listed_tree);
    in_sight(page->conf_unlisted_tree);
    show_page(window->listed_panel->page_number);
    in_sight(window->listed_panel->species_tree);
}

} // namespace
