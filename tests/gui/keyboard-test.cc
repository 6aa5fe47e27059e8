// The window's controls as assistive technology and the keyboard see them;
// a control that locks itself must not take the focus with it.
#include "survey-window-fixture.h"
#include "ui/confirm-panel.h"
#include "ui/start-panel.h"

#include <gtkmm/clipboard.h>
#include <gtkmm/combobox.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/viewport.h>
#include <set>

namespace {

// What a keyboard user works with: a drop-down counts as one control, though
// its inner button takes the focus.
Gtk::Widget* control_of(Gtk::Widget* w) {
    for (Gtk::Widget* up = w; up; up = up->get_parent())
        if (dynamic_cast<Gtk::ComboBox*>(up)) return up;
    return w;
}

void collect_controls(Gtk::Widget* w, std::set<Gtk::Widget*>& controls) {
    if (!w->get_mapped() || !w->is_sensitive()) return;
    // A drop-down's button is inside it, not among its children; an empty
    // one is locked, as its button is.
    auto* drop_down = dynamic_cast<Gtk::ComboBox*>(w);
    if (drop_down && (!drop_down->get_model() || drop_down->get_model()->children().empty()))
        return;
    if (drop_down || (w->get_can_focus() && !dynamic_cast<Gtk::ScrolledWindow*>(w) &&
                      !dynamic_cast<Gtk::Viewport*>(w) && !dynamic_cast<Gtk::Notebook*>(w)))
        controls.insert(control_of(w));
    if (auto* c = dynamic_cast<Gtk::Container*>(w))
        for (auto* child : c->get_children())
            collect_controls(child, controls);
}

// Tab alone reaches every control of every page, each with a name a screen
// reader can speak; of a group of radio buttons, Tab visits the chosen one.
TEST_F(SurveyWindowTest, TabReachesEveryControlOfEveryPageAndEachHasAName) {
    // A screen reader finds a control by the id the UI file gives it.
    const char* id = atk_object_get_accessible_id(
        gtk_widget_get_accessible(GTK_WIDGET(window->member_panel->member_id->gobj())));
    EXPECT_STREQ(id ? id : "", "member_id");
    // A fresh survey, then one filled in, which unlocks more controls.
    for (int round = 0; round < 2; ++round)
        for (int page = 0; page < window->notebook->get_n_pages(); ++page) {
            if (round == 1 && page == 0) fill_first_pages("10010004");
            show_page(page);
            std::set<Gtk::Widget*> controls, reached;
            collect_controls(window, controls);
            ASSERT_FALSE(controls.empty()) << "page " << page;
            for (int i = 0; i < 200; ++i) {
                press_key(*window, GDK_KEY_Tab);
                if (Gtk::Widget* focus = window->get_focus()) reached.insert(control_of(focus));
            }
            for (Gtk::Widget* control : controls) {
                const char* id = gtk_buildable_get_name(GTK_BUILDABLE(control->gobj()));
                std::string what = std::string(G_OBJECT_TYPE_NAME(control->gobj())) + " " +
                                   (id ? id : "") + " on page " + std::to_string(page) +
                                   (round ? " of a filled survey" : "");
                const char* name = atk_object_get_name(gtk_widget_get_accessible(control->gobj()));
                EXPECT_TRUE(name && *name) << what << " has no accessible name";
                auto* radio = dynamic_cast<Gtk::RadioButton*>(control);
                if (radio && !radio->get_active()) continue;
                EXPECT_TRUE(reached.count(control)) << what << " is not reached by Tab";
            }
        }
}

bool inside(Gtk::Widget* focus, Gtk::Widget* control) {
    return focus && (focus == control || focus->is_ancestor(*control));
}

// The member number takes a paste, and Return moves on to the name, then to
// the location; outside a text field the paste key does nothing.
TEST_F(SurveyWindowTest, PasteAndReturnOnTheMemberPage) {
    show_page(window->member_panel->page_number);
    Gtk::Entry* entry = window->member_panel->member_id;
    entry->grab_focus();
    Gtk::Clipboard::get()->set_text("4711");
    press_key(*window, GDK_KEY_v, GDK_CONTROL_MASK); // the X server answers later
    EXPECT_TRUE(wait_for([&] { return entry->get_text() == "4711"; })) << entry->get_text();
    window->next_button->grab_focus();
    {
        CaptureStdout quiet; // but say so
        press_key(*window, GDK_KEY_v, GDK_CONTROL_MASK);
    }
    EXPECT_EQ(entry->get_text(), "4711");
    entry->grab_focus();
    press_key(*window, GDK_KEY_Return);
    EXPECT_TRUE(window->member_panel->last_name->has_focus());
    press_key(*window, GDK_KEY_Return);
    EXPECT_EQ(window->notebook->get_current_page(), window->survey_panel1->page_number);
    EXPECT_TRUE(inside(window->get_focus(), window->survey_panel1->subregion));
}

// The pages behind the first are filled in once the window's first frame is
// drawn. Next pressed before that still lands on the member number, and the
// rest come without the window changing size.
TEST_F(SurveyWindowTest, PagesFilledInAfterTheFirstFrameAreReadyAtOnce) {
    window->show();
    window->next_button->clicked();
    EXPECT_EQ(window->get_focus(), window->member_panel->member_id);
    EXPECT_TRUE(wait_for([&] { return window->confirm_panel->is_visible(); }));
    run_pending_events();
    EXPECT_EQ(window->get_width(), 900);
    EXPECT_EQ(window->get_height(), 600);
}

// Next and Back leave the keyboard at the top of the page they show; on the
// Confirmation page of a complete survey, at Ready.
TEST_F(SurveyWindowTest, NextAndBackFocusThePageStart) {
    show_page(window->start_panel->page_number);
    window->next_button->clicked();
    EXPECT_EQ(window->get_focus(), window->member_panel->member_id);
    window->next_button->clicked();
    EXPECT_TRUE(inside(window->get_focus(), window->survey_panel1->subregion));
    window->back_button->clicked();
    EXPECT_EQ(window->get_focus(), window->member_panel->member_id);
    // An empty survey's Confirmation page: the first fault's "Go to", which
    // leads back to the member number.
    ConfirmPanel& confirm = *window->confirm_panel;
    show_page(confirm.page_number - 1);
    window->next_button->clicked();
    EXPECT_EQ(confirm.conf_fault_count.get_text(), "12 items to fix.");
    ASSERT_EQ(window->get_focus(), confirm.go_to_buttons[0]);
    press_key(*window, GDK_KEY_Return);
    EXPECT_TRUE(wait_for([&] { return window->get_focus() == window->member_panel->member_id; }));
    fill_first_pages("10010004");
    window->confirm_panel->confirm_bottom_time->set_active(true);
    window->species_stores.listed_store->foreach_iter([&](const Gtk::TreeIter& row) {
        const int id = (*row)[window->species_columns.id];
        if (id >= 0) window->survey_data.abundances[id] = 1;
        return id >= 0;
    });
    show_page(window->confirm_panel->page_number - 1);
    window->next_button->clicked();
    ASSERT_TRUE(window->ready_button->get_sensitive());
    EXPECT_EQ(window->get_focus(), window->ready_button);
    EXPECT_EQ(confirm.conf_fault_count.get_text(), "Nothing to fix.");
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
