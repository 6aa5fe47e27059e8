// The keyboard alone: a control that locks itself must not take the focus with it.
#include "survey-window-fixture.h"
#include "ui/drop-down-box.h"
#include "ui/survey-panel2.h"

namespace {

bool inside(Gtk::Widget* focus, Gtk::Widget* control) {
    return focus && (focus == control || focus->is_ancestor(*control));
}

TEST_F(SurveyWindowTest, SnorkelByKeyboardMovesTheFocusOnFromTheLockedDepth) {
    SurveyPanel2* page = window->survey_panel2;
    show_page(page->page_number);
    page->max_depth->grab_focus();
    // The depth list starts with a blank row, then Snorkel.
    press_key(*window, GDK_KEY_Home);
    press_key(*window, GDK_KEY_Down);
    run_pending_events();
    ASSERT_EQ(page->max_depth->get_selected_label(), "Snorkel");
    ASSERT_FALSE(page->max_depth->get_sensitive());
    // On to the next control, as Tab would have gone.
    Gtk::Widget* focus = window->get_focus();
    EXPECT_TRUE(inside(focus, page->current));
    EXPECT_TRUE(focus && focus->is_sensitive() && focus->is_visible());

    // Tab round the whole window, past the locked box, back to the page.
    bool came_round = false;
    for (int i = 0; i < 40 && !came_round; ++i) {
        press_key(*window, GDK_KEY_Tab);
        run_pending_events();
        focus = window->get_focus();
        ASSERT_NE(focus, nullptr) << i;
        EXPECT_TRUE(focus->is_sensitive() && focus->is_visible()) << i;
        EXPECT_FALSE(inside(focus, page->max_depth)) << i;
        came_round = inside(focus, page->current);
    }
    EXPECT_TRUE(came_round);
}

} // namespace
