#include "ui/dialogs.h"

#include "core/errors.h"
#include "ui/my-app.h"

#include <gtkmm/messagedialog.h>
#include <pango/pango.h>

namespace {
DialogResponder responder;
} // namespace

bool is_valid_markup(const Glib::ustring& text) {
    return pango_parse_markup(text.c_str(), -1, 0, nullptr, nullptr, nullptr, nullptr);
}

int run_dialog(Gtk::Dialog& dialog) {
    if (responder) return responder(dialog);
    return dialog.run();
}

void set_dialog_responder(DialogResponder r) {
    responder = std::move(r);
}

Glib::ustring dialog_message_text(Gtk::Dialog& dialog) {
    auto* message = dynamic_cast<Gtk::MessageDialog*>(&dialog);
    if (!message) return Glib::ustring();
    Glib::ustring text = message->property_text().get_value();
    Glib::ustring secondary = message->property_secondary_text().get_value();
    if (!secondary.empty()) text += "\n" + secondary;
    return text;
}

void install_error_dialogs() {
    set_error_display_hook(
        [](const Glib::ustring& message, bool is_fatal, const Glib::ustring& title) {
            // A message that is not valid markup would show as an empty dialog; show
            // it as plain text instead so that the user still learns what went wrong.
            bool markup = is_valid_markup(message);
            Gtk::MessageDialog dialog(message, markup,
                                      is_fatal ? Gtk::MESSAGE_ERROR : Gtk::MESSAGE_WARNING,
                                      is_fatal ? Gtk::BUTTONS_CLOSE : Gtk::BUTTONS_OK, true);
            if (!MyApp::icon_list.empty()) dialog.set_icon_list(MyApp::icon_list);
            dialog.set_title(title);
            run_dialog(dialog);
        });
}
