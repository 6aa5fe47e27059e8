// The Help menu's dialogs: instructions, release notes, contact and about.
#include "ui/help-dialogs.h"

#include "app/my-app-core.h"
#include "core/errors.h"
#include "core/misc.h"
#include "core/palette.h"
#include "core/version.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"

#include <glibmm/regex.h>
#include <gtk/gtk.h>

HelpDialogs::HelpDialogs(const Glib::RefPtr<Gtk::Builder>& builder, Gtk::Window& parent) {
    builder->get_widget("about_dialog", about_dialog);
    builder->get_widget("contact_dialog", contact_dialog);
    builder->get_widget("instructions_dialog", instructions_dialog);
    builder->get_widget("program_instructions", program_instructions);
    for (Gtk::Window* dialog :
         {static_cast<Gtk::Window*>(contact_dialog), static_cast<Gtk::Window*>(instructions_dialog),
          static_cast<Gtk::Window*>(about_dialog)}) {
        if (!dialog) continue;
        if (!MyApp::icon_list.empty()) dialog->set_icon_list(MyApp::icon_list);
        dialog->set_transient_for(parent);
    }
    if (about_dialog)
        about_dialog->set_version(Glib::ustring("Version ") + BuildInfo::version_str + "\nBuilt " +
                                  BuildInfo::date_str);
    show_contact_addresses(builder);
}

HelpDialogs::~HelpDialogs() {
    // Top-level widgets of their own: they don't go with the window's tree.
    delete about_dialog;
    delete contact_dialog;
    delete instructions_dialog;
}

// The addresses are deployment settings, so the UI file only holds placeholders.
void HelpDialogs::show_contact_addresses(const Glib::RefPtr<Gtk::Builder>& builder) {
    std::string web = MyAppCore::server_base_url();
    if (about_dialog) about_dialog->set_website(web);
    Gtk::Label* text = nullptr;
    builder->get_widget("contact_text", text);
    if (!text) return;
    Glib::ustring email = escape_markup(MyAppCore::support_email());
    Glib::ustring markup = text->get_label();
    for (auto [placeholder, value] : {std::pair<Glib::ustring, Glib::ustring>{
                                          "mailto:support@tavro.example", "mailto:" + email},
                                      {">support@tavro.example<", ">" + email + "<"},
                                      {"http://www.tavro.example", escape_markup(web)},
                                      {">www.tavro.example<", ">" + escape_markup(web) + "<"}}) {
        auto at = markup.find(placeholder);
        if (at != Glib::ustring::npos) markup.replace(at, placeholder.size(), value);
    }
    text->set_markup(markup);
}

namespace {

// The markup in front of a bullet's text ("  <b>•</b>  "); empty for other lines.
Glib::ustring bullet_prefix(const Glib::ustring& line) {
    static const auto bullet = Glib::Regex::create("^\\s*(<[^/>][^>]*>\\s*)*•\\s*(</[^>]*>\\s*)*");
    Glib::MatchInfo match;
    if (!bullet->match(line, match)) return Glib::ustring();
    const Glib::ustring prefix = match.fetch(0);
    return is_valid_markup(prefix) ? prefix : Glib::ustring();
}

// A wrapped bullet goes on under its text, not under the bullet: each bullet
// line hangs by the width of what stands in front of its text.
void show_with_hanging_bullets(Gtk::TextView& view, const Glib::ustring& markup) {
    // A fresh buffer each time: the markup leaves its tags in the buffer's table.
    auto buffer = Gtk::TextBuffer::create();
    view.set_buffer(buffer);
    Gtk::TextIter end = buffer->end();
    gtk_text_buffer_insert_markup(buffer->gobj(), end.gobj(), markup.c_str(), -1);
    auto tags = buffer->get_tag_table();
    std::vector<Glib::ustring> lines = Glib::Regex::split_simple("\n", markup);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Glib::ustring prefix = bullet_prefix(lines[i]);
        if (prefix.empty()) continue;
        auto layout = view.create_pango_layout("");
        layout->set_markup(prefix);
        int width = 0, height = 0;
        layout->get_pixel_size(width, height);
        const Glib::ustring name = Glib::ustring::compose("hanging-%1", width);
        auto tag = tags->lookup(name);
        if (!tag) {
            tag = buffer->create_tag(name);
            tag->property_left_margin() = view.get_left_margin() + width;
            tag->property_indent() = -width;
        }
        Gtk::TextIter start = buffer->get_iter_at_line(static_cast<int>(i));
        Gtk::TextIter stop = start;
        stop.forward_to_line_end();
        buffer->apply_tag(tag, start, stop);
    }
}

} // namespace

void HelpDialogs::show_help_file(const std::string& path, const Glib::ustring& contents,
                                 const Glib::ustring& title) {
    if (!program_instructions || !instructions_dialog) return;
    // The file's text is markup; a file that isn't shows a notice instead.
    if (is_valid_markup(contents))
        show_with_hanging_bullets(*program_instructions, contents);
    else
        program_instructions->get_buffer()->set_text("error parsing markup in " + path);
    instructions_dialog->set_title(title);
    run_and_hide(instructions_dialog);
}

void HelpDialogs::instructions() {
    const std::string path = "resources/instructions.txt";
    Glib::ustring contents;
    if (!read_file_contents(path, contents)) {
        error("Failed to read instructions file %s", path.c_str());
        return;
    }
    // The red the text names is the red faults are shown in.
    const std::string light_red = std::string("foreground=\"") + LIGHT_PALETTE.fault + "\"";
    std::string text = contents.raw();
    for (size_t at = 0; (at = text.find(light_red, at)) != std::string::npos;) {
        const std::string red = std::string("foreground=\"") + palette().fault + "\"";
        text.replace(at, light_red.size(), red);
        at += red.size();
    }
    show_help_file(path, text, "Instructions for survey data entry");
}

void HelpDialogs::release_notes() {
    const std::string path = "resources/release-notes.txt";
    Glib::ustring contents;
    if (!read_file_contents(path, contents)) {
        error("Failed to read release notes file %s", path.c_str());
        return;
    }
    show_help_file(path, contents,
                   Glib::ustring("Release notes - Version ") + BuildInfo::version_str);
}

void HelpDialogs::contact() {
    run_and_hide(contact_dialog);
}

void HelpDialogs::about() {
    run_and_hide(about_dialog);
}

void HelpDialogs::run_and_hide(Gtk::Dialog* dialog) {
    if (!dialog) return;
    run_dialog(*dialog);
    dialog->hide();
}
