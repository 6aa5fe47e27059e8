#include "ui/confirm-panel.h"

#include "ui/survey-window.h"

ConfirmPanel::ConfirmPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void ConfirmPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>& builder,
                                  SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
    builder->get_widget("confirm_instructions", confirm_instructions);
    builder->get_widget("confirm_bottom_time", confirm_bottom_time);
    if (confirm_bottom_time)
        confirm_bottom_time->signal_toggled().connect(sigc::mem_fun(*this, &ConfirmPanel::refresh));
}

void ConfirmPanel::refresh() {
    // Until the survey's answers are checked here, no survey counts as complete.
    window->survey_data.is_complete = false;
    bool can_upload = window->survey_data.is_complete && !window->survey_data.already_uploaded;
    if (window->ready_button) window->ready_button->set_sensitive(can_upload);
    if (window->upload_button) window->upload_button->set_sensitive(can_upload);
    if (confirm_instructions)
        confirm_instructions->set_markup(
            "Please check that all information is correct; items "
            "<span weight=\"bold\" fgcolor=\"red\">marked in red</span> need to be fixed.");
}
