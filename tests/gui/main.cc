#include "survey-window-fixture.h"

#include <gtest/gtest.h>
#include <gtkmm/application.h>
#include <gtkmm/main.h>
#include <unistd.h>

MyApp& test_app() {
    static MyApp* app = [] {
        auto gtk_app =
            Glib::RefPtr<Gtk::Application>::cast_dynamic(Gio::Application::get_default());
        return new MyApp(gtk_app);
    }();
    return *app;
}

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

void run_pending_events() {
    while (Gtk::Main::events_pending())
        Gtk::Main::iteration();
}

int unexpected_dialog(Gtk::Dialog& d) {
    ADD_FAILURE() << "unexpected dialog \"" << d.get_title() << "\": " << dialog_message_text(d);
    return Gtk::RESPONSE_DELETE_EVENT;
}

int main(int argc, char** argv) {
    // Before the toolkit starts: GLib reads the user's folders once.
    use_private_home();
    ::testing::InitGoogleTest(&argc, argv);
    // The windows read resources/ and data-files/ from the working folder.
    if (chdir(TAVRO_SOURCE_DIR) != 0) return 2;
    // A dialog no test answers would wait for a user forever.
    install_unexpected_dialog_guard();
    // Death tests fork; the toolkit's helper threads make the threadsafe style
    // the only sound one here.
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    auto app = Gtk::Application::create("org.tavro.SurveyTests", Gio::APPLICATION_NON_UNIQUE);
    app->register_application();
    return RUN_ALL_TESTS();
}
