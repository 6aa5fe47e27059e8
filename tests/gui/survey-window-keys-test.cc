// The window's controls as assistive technology and the keyboard see them.
#include "survey-window-fixture.h"
#include "temp-dir.h"
#include "ui/drop-down-box.h"
#include "ui/member-panel.h"
#include "ui/start-panel.h"
#include "ui/survey-panel1.h"
#include "ui/survey-panel2.h"

#include <chrono>
#include <gtk/gtk.h>
#include <gtkmm/clipboard.h>
#include <thread>

namespace {

AtkObject* accessible(Gtk::Widget* widget) {
    return gtk_widget_get_accessible(widget->gobj());
}

std::string accessible_id(Gtk::Widget* widget) {
    const char* id = atk_object_get_accessible_id(accessible(widget));
    return id ? id : "";
}

std::string accessible_name(Gtk::Widget* widget) {
    const char* name = atk_object_get_name(accessible(widget));
    return name ? name : "";
}

// Text of the caption that points at a widget, without its colon.
std::string caption_of(Gtk::Widget* widget) {
    auto labels = widget->list_mnemonic_labels();
    if (labels.empty()) return "";
    auto* label = dynamic_cast<Gtk::Label*>(labels.front());
    std::string text = label ? label->get_text() : "";
    if (!text.empty() && text.back() == ':') text.pop_back();
    return text;
}

TEST_F(SurveyWindowTest, ControlsCarryTheirIdsAndCaptions) {
    const std::pair<Gtk::Widget*, const char*> ids[] = {
        {window, "survey_window"},
        {window->notebook, "notebook"},
        {window->save_button, "save_button"},
        {window->next_button, "next_button"},
        {window->member_panel->member_id, "member_id"},
        {window->member_panel->last_name, "last_name"},
        {window->survey_panel1->subregion, "subregion"},
        {window->survey_panel1->zonecode, "zonecode"},
        {window->survey_panel2->habitat, "habitat"},
        {window->start_panel->new_survey_button, "startp_new_survey_button"},
        {window->about_dialog, "about_dialog"},
        {window->program_instructions, "program_instructions"},
    };
    for (const auto& [widget, id] : ids) {
        ASSERT_NE(widget, nullptr) << id;
        EXPECT_EQ(accessible_id(widget), id);
    }
    EXPECT_EQ(accessible_name(window->save_button), "Save");
    EXPECT_EQ(accessible_name(window->back_button), "Back");
    for (Gtk::Widget* field : {static_cast<Gtk::Widget*>(window->member_panel->member_id),
                               static_cast<Gtk::Widget*>(window->member_panel->last_name),
                               static_cast<Gtk::Widget*>(window->survey_panel1->subregion),
                               static_cast<Gtk::Widget*>(window->survey_panel1->zonecode),
                               static_cast<Gtk::Widget*>(window->survey_panel2->bottom_time)}) {
        EXPECT_FALSE(caption_of(field).empty()) << accessible_id(field);
        EXPECT_EQ(accessible_name(field), caption_of(field)) << accessible_id(field);
    }
}

// A key press as the X server would deliver it to the window.
void press_key(Gtk::Window& window, guint keyval, GdkModifierType state) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.state = state;
    GdkDisplay* display = gdk_display_get_default();
    GdkKeymapKey* keys = nullptr;
    gint n_keys = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys,
                                          &n_keys)) {
        event->key.hardware_keycode = keys[0].keycode;
        event->key.group = keys[0].group;
        g_free(keys);
    }
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// Pasting waits for the clipboard's answer from the X server.
bool wait_for(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        run_pending_events();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

TEST_F(SurveyWindowTest, CutCopyAndPasteKeysWorkInEntries) {
    window->show();
    window->notebook->set_current_page(window->member_panel->page_number);
    run_pending_events();
    Gtk::Entry* entry = window->member_panel->member_id;
    entry->grab_focus();
    ASSERT_TRUE(entry->has_focus());
    auto clipboard = Gtk::Clipboard::get();

    clipboard->set_text("4711");
    press_key(*window, GDK_KEY_v, GDK_CONTROL_MASK);
    EXPECT_TRUE(wait_for([&] { return entry->get_text() == "4711"; })) << entry->get_text();

    entry->set_text("8123");
    entry->select_region(0, -1);
    press_key(*window, GDK_KEY_c, GDK_CONTROL_MASK);
    EXPECT_EQ(clipboard->wait_for_text(), "8123");
    EXPECT_EQ(entry->get_text(), "8123");

    entry->set_text("99");
    entry->select_region(0, -1);
    press_key(*window, GDK_KEY_x, GDK_CONTROL_MASK);
    EXPECT_EQ(clipboard->wait_for_text(), "99");
    EXPECT_EQ(entry->get_text(), "");

    // Outside a text field the keys do nothing but say so.
    window->next_button->grab_focus();
    CaptureStdout out;
    press_key(*window, GDK_KEY_v, GDK_CONTROL_MASK);
    EXPECT_EQ(out.text(), "unimplemented menu action EditPaste\n");
    EXPECT_EQ(entry->get_text(), "");
    window->hide();
}

TEST_F(SurveyWindowTest, EnterMovesFromMemberNumberOnToTheLocation) {
    window->show();
    window->notebook->set_current_page(window->member_panel->page_number);
    run_pending_events();
    window->member_panel->member_id->grab_focus();
    press_key(*window, GDK_KEY_Return, GdkModifierType(0));
    EXPECT_TRUE(window->member_panel->last_name->has_focus());
    press_key(*window, GDK_KEY_Return, GdkModifierType(0));
    EXPECT_EQ(window->notebook->get_current_page(), window->survey_panel1->page_number);
    Gtk::Widget* focus = window->get_focus();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus == window->survey_panel1->subregion ||
                focus->is_ancestor(*window->survey_panel1->subregion));
    window->hide();
}

} // namespace
