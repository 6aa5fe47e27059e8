#include "ui/start-panel.h"

#include "app/store-files.h"
#include "app/survey-search.h"
#include "core/errors.h"
#include "ui/page-host.h"

#include <cstdio>
#include <cstdlib>
#include <gtk/gtk.h>
#include <map>
#include <set>
#include <vector>

void SurveyTreeColumns::set(const Gtk::TreeRow& row, const std::string& file,
                            MyApp::WhichDir folder, const Glib::ustring& text) const {
    row[path] = file;
    row[which] = folder;
    row[label] = text;
}

StartPanel::StartPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void StartPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                PageHost* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("survey_tree", survey_tree);
    builder->get_widget("startp_updates_button", updates_button);
    builder->get_widget("startp_new_survey_button", new_survey_button);
    builder->get_widget("startp_upload_all_button", upload_all_button);
    builder->get_widget("startp_edit_view_button", edit_view_button);
    builder->get_widget("startp_mark_button", mark_button);
    builder->get_widget("startp_upload_button", upload_button);
    builder->get_widget("startp_delete_button", delete_button);
    const std::pair<Gtk::Button*, void (StartPanel::*)()> buttons[] = {
        {updates_button, &StartPanel::on_updates_button},
        {new_survey_button, &StartPanel::on_new_survey_button},
        {upload_all_button, &StartPanel::on_upload_all_button},
        {edit_view_button, &StartPanel::on_edit_view_button},
        {mark_button, &StartPanel::on_mark_button},
        {upload_button, &StartPanel::on_upload_button},
        {delete_button, &StartPanel::on_delete_button},
    };
    for (const auto& [button, handler] : buttons)
        if (button) button->signal_clicked().connect(sigc::mem_fun(*this, handler));
    survey_store = Gtk::TreeStore::create(survey_columns);
    if (survey_tree) {
        survey_tree->set_model(survey_store);
        survey_tree->append_column("Survey", survey_columns.label);
        // A description longer than the list is wide ends in "…" and shows
        // whole as the row's tooltip, rather than making the list scroll sideways.
        if (auto* text =
                dynamic_cast<Gtk::CellRendererText*>(survey_tree->get_column(0)->get_first_cell()))
            text->property_ellipsize() = Pango::ELLIPSIZE_END;
        survey_tree->set_tooltip_column(survey_columns.label.index());
        // Rows of one height: a search that brings back a thousand surveys
        // need not measure each.
        survey_tree->get_column(0)->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
        survey_tree->get_column(0)->set_expand(true);
        survey_tree->set_fixed_height_mode(true);
        survey_tree->signal_button_press_event().connect(
            sigc::mem_fun(*this, &StartPanel::on_survey_clicked), false);
        survey_tree->signal_key_press_event().connect(
            sigc::mem_fun(*this, &StartPanel::on_survey_kb_event), false);
        survey_tree->signal_popup_menu().connect(
            sigc::mem_fun(*this, &StartPanel::on_survey_kb_activated));
        survey_selection = survey_tree->get_selection();
    }
    add_search_and_notice();
    build_survey_model();
    deselect_survey();
}

void StartPanel::add_search_and_notice() {
    // Above the instructions: the notice, shown only when it has news.
    insert_row(0);
    attach(delete_notice, 0, 0, 2, 1);
    delete_notice.set_no_show_all(true);
    delete_notice.set_show_close_button(true);
    delete_notice.set_message_type(Gtk::MESSAGE_INFO);
    delete_notice_text.set_line_wrap(true);
    delete_notice_text.set_xalign(0);
    delete_notice_text.show();
    if (auto* area = dynamic_cast<Gtk::Container*>(delete_notice.get_content_area()))
        area->add(delete_notice_text);
    delete_notice.signal_response().connect([this](int) { delete_notice.hide(); });
    // Beside "Start New Survey": the same with the chosen (or open) survey's
    // place, date and conditions.
    if (auto* box = new_survey_button ? dynamic_cast<Gtk::Box*>(new_survey_button->get_parent())
                                      : nullptr) {
        box->pack_start(repeat_button, false, true);
        int at = 0;
        gtk_container_child_get(GTK_CONTAINER(box->gobj()), GTK_WIDGET(new_survey_button->gobj()),
                                "position", &at, nullptr);
        box->reorder_child(repeat_button, at + 1);
        repeat_button.show();
    }
    // Above the list and its buttons: the search and the counts, so that the
    // search is the first control Tab reaches on the page.
    insert_row(2);
    insert_row(2);
    attach(survey_search, 0, 2, 1, 1);
    attach(survey_counts, 0, 3, 1, 1);
    survey_search.set_placeholder_text("Find surveys by site, date, member or file name");
    atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(survey_search.gobj())),
                        "Find surveys");
    // At once, not after the entry's pause: a search of the store takes no time.
    survey_search.signal_changed().connect([this] {
        show_survey_rows();
        deselect_survey();
    });
    survey_counts.set_xalign(0);
    survey_counts.set_line_wrap(true);
    survey_search.show();
    survey_counts.show();
}

void StartPanel::tell_deleted(const Glib::ustring& description, bool trashed) {
    if (!trashed) {
        delete_notice.hide();
        return;
    }
    delete_notice_text.set_text("\"" + description +
                                "\" was moved to the trash. You can restore it from there.");
    delete_notice.show();
}

// What a row of the list should show; key tells the same row apart from
// others across two readings of the store.
struct ListRow {
    std::string key, path;
    MyApp::WhichDir which;
    Glib::ustring label;
    std::vector<ListRow> children;
};

namespace {

std::string key_of(const std::string& path, const Glib::ustring& label) {
    if (!path.empty()) return path;
    const std::string text = label.raw(), none = " (none)";
    const bool empty = text.size() > none.size() &&
                       text.compare(text.size() - none.size(), none.size(), none) == 0;
    return "#" + (empty ? text.substr(0, text.size() - none.size()) : text);
}

ListRow group_row(const Glib::ustring& label) {
    return {key_of("", label), "", MyApp::NOT_A_SURVEY, label, {}};
}

} // namespace

Gtk::TreeIter StartPanel::add_row(const Gtk::TreeIter& parent, const Gtk::TreeIter& before,
                                  const ListRow& row) {
    // One signal for the new row, not one more for each column: a search
    // that brings back a thousand surveys inserts a thousand rows.
    Glib::Value<std::string> path;
    path.init(path.value_type());
    path.set(row.path);
    Glib::Value<MyApp::WhichDir> which;
    which.init(which.value_type());
    which.set(row.which);
    Glib::Value<Glib::ustring> label;
    label.init(label.value_type());
    label.set(row.label);
    int columns[] = {survey_columns.path.index(), survey_columns.which.index(),
                     survey_columns.label.index()};
    GValue values[] = {*path.gobj(), *which.gobj(), *label.gobj()};
    const int position = before ? survey_store->get_path(before).back() : -1;
    GtkTreeIter added;
    gtk_tree_store_insert_with_valuesv(survey_store->gobj(), &added,
                                       parent ? const_cast<GtkTreeIter*>(parent.gobj()) : nullptr,
                                       position, columns, values, 3);
    return Gtk::TreeIter(GTK_TREE_MODEL(survey_store->gobj()), &added);
}

void StartPanel::sync_rows(const Gtk::TreeIter& parent, const Gtk::TreeNodeChildren& rows,
                           const std::vector<ListRow>& wanted) {
    std::set<std::string> keys;
    for (const ListRow& row : wanted)
        keys.insert(row.key);
    auto key = [this](const Gtk::TreeIter& at) {
        return key_of((*at)[survey_columns.path], (*at)[survey_columns.label]);
    };
    Gtk::TreeIter at = rows.begin();
    for (const ListRow& row : wanted) {
        // Rows of surveys that went are dropped; both readings keep one order.
        while (at && key(at) != row.key && !keys.count(key(at)))
            at = survey_store->erase(at);
        if (!at || key(at) != row.key) {
            Gtk::TreeIter added = add_row(parent, at, row);
            sync_rows(added, added->children(), row.children);
            continue;
        }
        const Gtk::TreeRow existing = *at;
        if (existing[survey_columns.which] != row.which ||
            existing[survey_columns.label] != row.label)
            survey_columns.set(existing, row.path, row.which, row.label);
        sync_rows(at, existing.children(), row.children);
        ++at;
    }
    while (at)
        at = survey_store->erase(at);
}

void StartPanel::build_survey_model() {
    const auto& folders = MyApp::STATE_FOLDERS;
    for (int f = 0; f < 3; ++f) {
        listed[f].clear();
        for (const std::string& path : list_survey_files(app->get_survey_dir(folders[f]))) {
            if (debug_level > 0) printf("child filename = %s\n", path.c_str());
            // A file that names no member, or can't be read, goes with member 0.
            int member = 0;
            std::string description = app->get_survey_description(path, &member);
            if (description.empty()) description = "(corrupted survey file)";
            listed[f].push_back(
                {path, member, description, survey_search_text(path, member, description)});
        }
    }
    show_survey_rows();
}

void StartPanel::show_survey_rows() {
    const auto& folders = MyApp::STATE_FOLDERS;
    const std::vector<Glib::ustring> words = search_words(survey_search.get_text());
    std::vector<ListRow> list;
    int found = 0;
    for (int f = 0; f < 3; ++f) {
        const char* name = MyApp::folder_name(folders[f]);
        // Surveys by member number.
        std::map<int, std::vector<ListRow>> by_member;
        for (const Listed& survey : listed[f])
            if (survey_matches(survey.search_text, words)) {
                by_member[survey.member].push_back(
                    {survey.path, survey.path, folders[f], survey.description, {}});
                ++found;
            }
        list.push_back(group_row(listed[f].empty() ? Glib::ustring(name) + " (none)" : name));
        for (auto& [member, surveys] : by_member) {
            if (by_member.size() == 1) {
                list.back().children = std::move(surveys);
                break;
            }
            list.back().children.push_back(group_row("Member ID " + std::to_string(member)));
            list.back().children.back().children = std::move(surveys);
        }
    }
    survey_counts.set_text(
        survey_count_line(static_cast<int>(listed[0].size()), static_cast<int>(listed[1].size()),
                          static_cast<int>(listed[2].size()), found, !words.empty()));
    // A first reading fills the list while no view watches it (a view kept up
    // to date row by row makes that several times slower); later ones change
    // only the rows that differ, so that the view keeps what it measured.
    const bool first = survey_store->children().empty();
    if (first && survey_tree) survey_tree->unset_model();
    Gtk::TreeIter chosen = cursor_row();
    const std::string had =
        chosen ? key_of((*chosen)[survey_columns.path], (*chosen)[survey_columns.label]) : "";
    sync_rows(Gtk::TreeIter(), survey_store->children(), list);
    // The chosen row went (moved, deleted): the toolkit puts the cursor on a
    // neighbour, which is not the user's choice.
    chosen = cursor_row();
    if (chosen && key_of((*chosen)[survey_columns.path], (*chosen)[survey_columns.label]) != had &&
        survey_selection)
        survey_selection->unselect_all();
    if (survey_tree) {
        if (first) survey_tree->set_model(survey_store);
        survey_tree->expand_row(Gtk::TreePath("0"), false);
        survey_tree->expand_row(Gtk::TreePath("1"), false);
    }
}

Gtk::TreePath StartPanel::cursor_path() {
    Gtk::TreePath path;
    Gtk::TreeViewColumn* column = nullptr;
    if (survey_tree) survey_tree->get_cursor(path, column);
    return path;
}

Gtk::TreeIter StartPanel::cursor_row() {
    const Gtk::TreePath path = cursor_path();
    return path.empty() ? Gtk::TreeIter() : survey_store->get_iter(path);
}

std::string StartPanel::lookup_selected_survey(MyApp::WhichDir* which) {
    // Only a row the user sees chosen counts.
    Gtk::TreeIter row = cursor_row();
    if (!row || (survey_selection && !survey_selection->is_selected(row))) return std::string();
    if (which) *which = (*row)[survey_columns.which];
    return (*row)[survey_columns.path];
}

bool StartPanel::do_survey_line_trigger(const Gtk::TreePath& path, int button) {
    Gtk::TreeIter row = path.empty() ? Gtk::TreeIter() : survey_store->get_iter(path);
    if (!row) return false;
    const std::string file = (*row)[survey_columns.path];
    const MyApp::WhichDir which = (*row)[survey_columns.which];
    if (debug_level >= 30) printf("survey selected: %s\n", file.c_str());
    if (which == MyApp::NOT_A_SURVEY) {
        deselect_survey();
        if (button == 1) {
            if (survey_tree->row_expanded(path))
                survey_tree->collapse_row(path);
            else
                survey_tree->expand_row(path, false);
        }
        return true;
    }
    // A survey of Uploaded can only be looked at; one of Ready To Upload can
    // go back to In Progress or be sent.
    const bool uploaded = which == MyApp::UPLOADED, ready = which == MyApp::READY_TO_UPLOAD;
    edit_view_button->set_label(uploaded ? "View" : "Edit");
    edit_view_button->set_sensitive(true);
    mark_button->set_label(ready ? "Un-Mark For Upload" : "Mark For Upload");
    mark_button->set_sensitive(!uploaded);
    mark_button->set_visible(ready);
    upload_button->set_sensitive(ready);
    delete_button->set_sensitive(true);
    return true;
}

bool StartPanel::on_survey_clicked(GdkEventButton* event) {
    if (event->type != GDK_BUTTON_PRESS || (event->button != 1 && event->button != 3)) return false;
    GdkWindow* bin = survey_tree->get_bin_window()->gobj();
    if (event->window != bin) {
        printf("hmm, survey click in some other window? %p vs. %p\n",
               static_cast<void*>(event->window), static_cast<void*>(bin));
        return false;
    }
    survey_tree->grab_focus();
    Gtk::TreePath path;
    Gtk::TreeViewColumn* column = nullptr;
    int cell_x = 0, cell_y = 0;
    if (!survey_tree->get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path,
                                      column, cell_x, cell_y))
        return false;
    survey_tree->set_cursor(path, *survey_tree->get_column(0), false);
    if (debug_level >= 10) printf("got path: %s\n", path.to_string().c_str());
    return do_survey_line_trigger(path, static_cast<int>(event->button));
}

bool StartPanel::on_survey_kb_event(GdkEventKey* event) {
    if (event->type == GDK_KEY_PRESS &&
        (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_Right))
        return do_survey_line_trigger(cursor_path(), 0);
    if (debug_level >= 40) printf("ignoring key %d\n", static_cast<int>(event->keyval));
    return false;
}

bool StartPanel::on_survey_kb_activated() {
    return do_survey_line_trigger(cursor_path(), 0);
}

void StartPanel::on_edit_view_button() {
    const std::string path = lookup_selected_survey(nullptr);
    if (path.empty()) return;
    if (!window->check_file_save_okay("closing it to open the selected survey")) return;
    window->replace_with_survey(path);
}

void StartPanel::on_mark_button() {
    MyApp::WhichDir which = MyApp::NOT_A_SURVEY;
    const std::string path = lookup_selected_survey(&which);
    if (path.empty()) return;
    if (which == MyApp::READY_TO_UPLOAD) {
        std::string moved = path;
        if (app->move_survey_to(MyApp::IN_PROGRESS, moved) == RC_OK &&
            window->survey_data.filename == path)
            window->survey_data.filename = moved;
    }
    build_survey_model();
    deselect_survey();
}

void StartPanel::on_upload_button() {
    const std::string path = lookup_selected_survey(nullptr);
    if (path.empty()) return;
    // The open survey is saved first by the window's own upload.
    if (path == window->survey_data.filename)
        window->on_action_FileUploadThis("");
    else
        window->do_upload_single(path);
    build_survey_model();
    deselect_survey();
}

void StartPanel::on_delete_button() {
    const std::string path = lookup_selected_survey(nullptr);
    if (path.empty() || !window->maybe_delete_survey(path)) return;
    if (path == window->survey_data.filename) {
        // The survey being edited is gone: go on with a fresh one.
        window->on_action_FileNew("");
        return;
    }
    deselect_survey();
    survey_tree->expand_row(Gtk::TreePath("2"), false);
}

void StartPanel::deselect_survey() {
    if (edit_view_button) {
        edit_view_button->set_label("Edit");
        edit_view_button->set_sensitive(false);
    }
    if (mark_button) {
        mark_button->set_label("Mark For Upload");
        mark_button->set_sensitive(false);
        mark_button->hide();
    }
    if (upload_button) upload_button->set_sensitive(false);
    if (delete_button) delete_button->set_sensitive(false);
}

void StartPanel::on_updates_button() {
    window->manual_check_for_updates();
}

void StartPanel::on_new_survey_button() {
    window->on_action_FileNew("");
}

void StartPanel::on_upload_all_button() {
    window->on_action_FileUploadAll("");
}
