// The one place where the program runs modal dialogs, so that tests can answer them.
#pragma once

#include <functional>
#include <gtkmm/dialog.h>
#include <gtkmm/window.h>

// Runs a dialog to its end (Gtk::Dialog::run unless a responder is installed)
// and returns the response.
int run_dialog(Gtk::Dialog& dialog);

// The progress window of the work under way, hidden while a dialog runs;
// null when none.
void set_busy_window(Gtk::Window* window);

// Tests install a responder that answers each dialog instead of the user; an
// empty function restores the real run.
using DialogResponder = std::function<int(Gtk::Dialog& dialog)>;
void set_dialog_responder(DialogResponder responder);

// A question whose answer that keeps things, Cancel, is the default; true
// when the volunteer chose go_on instead.
bool ask_or_cancel(Gtk::Window& parent, const Glib::ustring& title, const Glib::ustring& text,
                   const Glib::ustring& secondary, const Glib::ustring& go_on);

// Main text (and secondary text, after a line end) of a message dialog;
// empty for other dialogs.
Glib::ustring dialog_message_text(Gtk::Dialog& dialog);

// True when Pango accepts the text as markup.
bool is_valid_markup(const Glib::ustring& text);
// Markup that did not parse, as the text it was meant to show.
Glib::ustring markup_as_plain_text(const Glib::ustring& text);

// Shows the program's error reports in message dialogs from now on.
void install_error_dialogs();
