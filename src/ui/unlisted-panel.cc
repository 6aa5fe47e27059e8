#include "ui/unlisted-panel.h"

#include "ui/survey-window.h"

UnlistedPanel::UnlistedPanel(BaseObjectType* cobject, const Glib::RefPtr<Gtk::Builder>&)
    : Gtk::Grid(cobject) {}

void UnlistedPanel::ctor_continued(const Glib::RefPtr<Gtk::Builder>&, SurveyWindow* survey_window) {
    window = survey_window;
    app = window->app;
}

RetCode UnlistedPanel::setup_for_subregion(const Glib::ustring&) {
    return RC_OK;
}

void UnlistedPanel::refilter() {
    refilter_added();
}

void UnlistedPanel::refilter_added() {
    // The page has no lists of its own yet.
}

void UnlistedPanel::update_columns() {
    // The page has no species tree yet.
}
