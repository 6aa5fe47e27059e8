#include "ui/dialogs.h"

#include "core/errors.h"

#include <cstring>
#include <gtkmm/messagedialog.h>
#include <pango/pango.h>

namespace {
DialogResponder responder;
Gtk::Window* busy = nullptr;
} // namespace

void set_busy_window(Gtk::Window* window) {
    busy = window;
}

namespace {
// Links are the labels' own markup, unknown to Pango's parser: checked as spans.
std::string links_as_spans(const std::string& text) {
    static const GRegex* open = g_regex_new("<a\\s+href=\"[^\"<>]*\"\\s*>", GRegexCompileFlags(0),
                                            GRegexMatchFlags(0), nullptr);
    gchar* spans =
        g_regex_replace_literal(open, text.c_str(), -1, 0, "<span>", GRegexMatchFlags(0), nullptr);
    std::string checked = spans ? spans : "";
    g_free(spans);
    for (size_t at; (at = checked.find("</a>")) != std::string::npos;)
        checked.replace(at, 4, "</span>");
    return checked;
}
} // namespace

bool is_valid_markup(const Glib::ustring& text) {
    return pango_parse_markup(links_as_spans(text).c_str(), -1, 0, nullptr, nullptr, nullptr,
                              nullptr);
}

Glib::ustring markup_as_plain_text(const Glib::ustring& text) {
    // Tags go, and what stands for a character becomes that character; what
    // is left is what the volunteer was meant to read.
    static const GRegex* tags =
        g_regex_new("<[^<>]*>", GRegexCompileFlags(0), GRegexMatchFlags(0), nullptr);
    gchar* stripped =
        g_regex_replace_literal(tags, text.c_str(), -1, 0, "", GRegexMatchFlags(0), nullptr);
    std::string plain = stripped ? stripped : text.raw();
    g_free(stripped);
    for (auto [entity, character] :
         {std::make_pair("&lt;", "<"), std::make_pair("&gt;", ">"), std::make_pair("&quot;", "\""),
          std::make_pair("&apos;", "'"), std::make_pair("&amp;", "&")})
        for (size_t at = 0; (at = plain.find(entity, at)) != std::string::npos; ++at)
            plain.replace(at, strlen(entity), character);
    return plain;
}

int run_dialog(Gtk::Dialog& dialog) {
    // A question or a report stands alone; the progress window comes back
    // after it when the work goes on.
    Gtk::Window* hidden = busy && busy->get_visible() ? busy : nullptr;
    if (hidden) hidden->hide();
    // A screen reader announces a message box by its name: its title says
    // what it is about, where its kind ("Information") would not.
    const Glib::ustring title = dialog.get_title();
    if (!title.empty())
        atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(dialog.gobj())), title.c_str());
    const int response = responder ? responder(dialog) : dialog.run();
    if (hidden && busy == hidden) hidden->show();
    return response;
}

bool ask_or_cancel(Gtk::Window& parent, const Glib::ustring& title, const Glib::ustring& text,
                   const Glib::ustring& secondary, const Glib::ustring& go_on) {
    Gtk::MessageDialog question(parent, text, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE,
                                true);
    if (!secondary.empty()) question.set_secondary_text(secondary);
    question.add_button("_Cancel", Gtk::RESPONSE_CANCEL);
    question.add_button(go_on, Gtk::RESPONSE_ACCEPT);
    question.set_default_response(Gtk::RESPONSE_CANCEL);
    question.set_title(title);
    question.set_icon_list(Gtk::Window::get_default_icon_list());
    const int response = run_dialog(question);
    question.hide();
    return response == Gtk::RESPONSE_ACCEPT;
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
            Gtk::MessageDialog dialog(markup ? message : markup_as_plain_text(message), markup,
                                      is_fatal ? Gtk::MESSAGE_ERROR : Gtk::MESSAGE_WARNING,
                                      is_fatal ? Gtk::BUTTONS_CLOSE : Gtk::BUTTONS_OK, true);
            const auto icons = Gtk::Window::get_default_icon_list();
            if (!icons.empty()) dialog.set_icon_list(icons);
            dialog.set_title(title);
            if (!report_advice().empty()) dialog.set_secondary_text(report_advice());
            run_dialog(dialog);
        });
}
