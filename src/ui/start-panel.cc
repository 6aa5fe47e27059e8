#include "ui/start-panel.h"

#include "ui/survey-window.h"

StartPanel::StartPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void StartPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                SurveyWindow* survey_window) {
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
    };
    for (const auto& [button, handler] : buttons)
        if (button) button->signal_clicked().connect(sigc::mem_fun(*this, handler));
    deselect_survey();
}

std::string StartPanel::lookup_selected_survey() {
    // The list of saved surveys comes with the survey store.
    return std::string();
}

void StartPanel::on_edit_view_button() {
    std::string path = lookup_selected_survey();
    if (path.empty()) return;
    printf("open %s: not yet available\n", path.c_str());
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
    if (window->check_file_save_okay("checking for updates")) window->check_for_updates("", 4);
}

void StartPanel::on_new_survey_button() {
    window->on_action_FileNew("");
}

void StartPanel::on_upload_all_button() {
    window->on_action_FileUploadAll("");
}
