// What the window's actions do: the menu bar, tool bar, the Help dialogs and the
// choices of the abundance pop-up menus.
#include "core/errors.h"
#include "core/misc.h"
#include "core/version.h"
#include "ui/confirm-panel.h"
#include "ui/dialogs.h"
#include "ui/my-app.h"
#include "ui/survey-window.h"
#include "ui/unlisted-panel.h"

#include <cstdio>
#include <giomm/file.h>
#include <glibmm/regex.h>
#include <gtk/gtk.h>
#include <pango/pango.h>

RetCode SurveyWindow::build_menus() {
    using W = SurveyWindow;
    const std::pair<const char*, void (W::*)(const std::string&)> plain[] = {
        {"FileOpen", &W::on_action_FileOpen},
        {"FileDelete", &W::on_action_FileDelete},
        {"FileNew", &W::on_action_FileNew},
        {"FileSaveForLater", &W::on_action_FileSaveForLater},
        {"FileSaveForUpload", &W::on_action_FileSaveForUpload},
        {"FileUploadThis", &W::on_action_FileUploadThis},
        {"FileUploadAll", &W::on_action_FileUploadAll},
        {"FileClose", &W::on_action_FileClose},
        {"FileQuit", &W::on_action_FileQuit},
        {"EditCut", &W::on_action_EditCut},
        {"EditCopy", &W::on_action_EditCopy},
        {"EditPaste", &W::on_action_EditPaste},
        {"HelpInstructions", &W::on_action_HelpInstructions},
        {"HelpContact", &W::on_action_HelpContact},
        {"HelpCheckForUpdates", &W::on_action_HelpCheckForUpdates},
        {"HelpReleaseNotes", &W::on_action_HelpReleaseNotes},
        {"HelpAbout", &W::on_action_HelpAbout},
    };
    WindowMenus::Handlers handlers;
    for (const auto& [name, handler] : plain)
        handlers[name] = [this, name = std::string(name), handler] { (this->*handler)(name); };
    handlers["ViewToolbar"] = [this] {
        on_action_ViewToolbar("ViewToolbar", menus.toggle_actions["ViewToolbar"]);
    };
    return menus.build(*this, survey_window_box, handlers);
}

void SurveyWindow::on_action_FileSaveForLater(const std::string&) {
    do_save(MyApp::IN_PROGRESS, SAVE_OFFER_NEXT);
}
void SurveyWindow::on_action_FileSaveForUpload(const std::string&) {
    do_save(MyApp::READY_TO_UPLOAD, SAVE_OFFER_NEXT);
}

void SurveyWindow::on_action_FileClose(const std::string&) {
    if (check_file_save_okay("closing this survey")) close_for_good();
}

void SurveyWindow::on_action_FileQuit(const std::string&) {
    if (check_file_save_okay("exiting this program")) close_for_good();
}

// The Edit actions keep the stock accelerators (Ctrl+X, Ctrl+C, Ctrl+V), and
// window accelerators see a key before the focused entry does: unless the
// action does the entry's job, those keys would never reach it.
bool SurveyWindow::clipboard_action(const std::string& name) {
    Gtk::Widget* focus = get_focus();
    if (!focus || !GTK_IS_EDITABLE(focus->gobj())) {
        printf("unimplemented menu action %s\n", name.c_str());
        return false;
    }
    GtkEditable* editable = GTK_EDITABLE(focus->gobj());
    if (name == "EditCut")
        gtk_editable_cut_clipboard(editable);
    else if (name == "EditCopy")
        gtk_editable_copy_clipboard(editable);
    else
        gtk_editable_paste_clipboard(editable);
    return true;
}

void SurveyWindow::on_action_EditCut(const std::string& name) {
    clipboard_action(name);
}
void SurveyWindow::on_action_EditCopy(const std::string& name) {
    clipboard_action(name);
}
void SurveyWindow::on_action_EditPaste(const std::string& name) {
    clipboard_action(name);
}

void SurveyWindow::on_action_ViewToolbar(const std::string& name,
                                         const Glib::RefPtr<Gtk::ToggleAction>& action) {
    bool active = action->get_active();
    printf("%s() - now %s\n", name.c_str(), active ? "TRUE" : "false");
    if (!menus.toolbar) return;
    if (active)
        menus.toolbar->show();
    else
        menus.toolbar->hide();
}

void SurveyWindow::run_and_hide(Gtk::Dialog* dialog) {
    if (!dialog) return;
    run_dialog(*dialog);
    dialog->hide();
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

void SurveyWindow::show_help_file(const std::string& path, const Glib::ustring& contents,
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

void SurveyWindow::on_action_HelpInstructions(const std::string&) {
    const std::string path = "resources/instructions.txt";
    Glib::ustring contents;
    if (!read_file_contents(path, contents)) {
        error("Failed to read instructions file %s", path.c_str());
        return;
    }
    show_help_file(path, contents, "Instructions for survey data entry");
}

void SurveyWindow::on_action_HelpReleaseNotes(const std::string&) {
    const std::string path = "resources/release-notes.txt";
    Glib::ustring contents;
    if (!read_file_contents(path, contents)) {
        error("Failed to read release notes file %s", path.c_str());
        return;
    }
    show_help_file(path, contents,
                   Glib::ustring("Release notes - Version ") + BuildInfo::version_str);
}

void SurveyWindow::on_action_HelpContact(const std::string&) {
    run_and_hide(contact_dialog);
}

void SurveyWindow::on_action_HelpCheckForUpdates(const std::string&) {
    manual_check_for_updates();
}

void SurveyWindow::on_action_HelpAbout(const std::string&) {
    run_and_hide(about_dialog);
}

void SurveyWindow::on_abundance_menu_item(int abun) {
    if (abundance_target < 1) {
        error("**** Invalid ab chg target!!  abun=%d species id %d\n", abun, abundance_target);
        return;
    }
    survey_data.abundances[abundance_target] = abun;
    species_stores.set_abundance(abundance_target, abun);
    if (unlisted_panel) unlisted_panel->refilter();
    // Chosen on the Confirmation page: its counts and verdict follow.
    if (confirm_panel && notebook->get_current_page() == confirm_panel->page_number)
        confirm_panel->refresh();
    note_change();
    if (debug_level >= 2)
        printf("abun_menu: species id %d abundance = %d\n", abundance_target, abun);
}

void SurveyWindow::popup_abundance_menu(Gtk::TreeView& tree, const Gtk::TreePath& path, int button,
                                        int species_id) {
    abundance_target = species_id;
    auto seen = survey_data.abundances.find(species_id);
    abundance_popups.popup(tree, path, button, species_id,
                           seen == survey_data.abundances.end() ? 0 : seen->second);
}
